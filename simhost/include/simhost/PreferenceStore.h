// The preference store: sections of keyed values, kept in a file written
// whole and atomically.
#ifndef SIMHOST_PREFERENCESTORE_H
#define SIMHOST_PREFERENCESTORE_H

namespace simhost {

class Host;

class PreferenceStore {
public:
    explicit PreferenceStore(Host& host) : host_(host) {}
    // Writes the store to its file, if it has one.
    void save() {}

private:
    [[maybe_unused]] Host& host_;
};

}  // namespace simhost

#endif
