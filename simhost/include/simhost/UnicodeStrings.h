// The host's Unicode strings, which plug-ins hold by reference.
#ifndef SIMHOST_UNICODESTRINGS_H
#define SIMHOST_UNICODESTRINGS_H

namespace simhost {

class Host;

class UnicodeStrings {
public:
    explicit UnicodeStrings(Host& host) : host_(host) {}

private:
    [[maybe_unused]] Host& host_;
};

}  // namespace simhost

#endif
