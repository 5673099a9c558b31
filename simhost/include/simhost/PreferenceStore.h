// The host's preference store: values by section and key, kept in a text
// file (HostOptions::preferencesFile; empty keeps them in memory only).
//
// The file is read once, when the host starts, and written whole at
// shut-down as simhost::replaceFile writes: first to a temporary file beside
// it, then renamed over it, so a crash or a full disk leaves either the old
// file or the new one, never half of one; a link is written through and a
// read-only file is refused. A damaged file is set aside under a new name,
// the defaults (no stored values) are used, and damageReport() says so. A
// file that cannot be read at all (a folder, a pipe, no permission) is left
// as it is, the defaults are used, and it is never saved over.
//
// File format, one value a line, '#' lines and blank lines ignored:
//
//   shunt-preferences 1
//   integer "SECTION" "KEY" 7168
//   boolean "SECTION" "KEY" 1
//   point   "SECTION" "KEY" 120,-4
//   string  "SECTION" "KEY" "text"
//
// In quoted words a backslash escapes '"' and '\', and \xHH stands for any
// byte below 0x20 or 0x7F. The first line must be the header.
#ifndef SIMHOST_PREFERENCESTORE_H
#define SIMHOST_PREFERENCESTORE_H

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "hostapi/ASTypes.h"

namespace simhost {

class Host;

using PreferenceValue = std::variant<bool, ASInt32, ADMPoint, std::string>;

struct PreferenceEntry {
    std::string section;
    std::string key;
    PreferenceValue value;
};

class PreferenceStore {
public:
    // Reads the host's preference file, if it has one.
    explicit PreferenceStore(Host& host);
    // A store over `file` (empty: memory only), for tools that keep their own.
    explicit PreferenceStore(std::string file);

    const PreferenceValue* find(const std::string& section, const std::string& key) const;
    void put(const std::string& section, const std::string& key, PreferenceValue value);
    // Every value, sorted by section and key.
    std::vector<PreferenceEntry> entries() const;
    void clear() { values_.clear(); }

    // Writes the store to its file, if it has one. False, with the reason in
    // saveError(), when it could not; the old file is then left as it was.
    bool save();
    const std::string& saveError() const { return saveError_; }
    // When the file was damaged at start: what was wrong and where the file
    // was put; the host started with no stored values.
    const std::optional<std::string>& damageReport() const { return damageReport_; }
    const std::string& file() const { return file_; }

    // The text of a store, and a store from text (nullopt and the reason
    // when the text is not a preference file).
    std::string serialize() const;
    static std::optional<std::map<std::pair<std::string, std::string>, PreferenceValue>> parse(
        const std::string& text, std::string& error);

private:
    void load();

    std::string file_;
    std::map<std::pair<std::string, std::string>, PreferenceValue> values_;
    std::string saveError_;
    std::string unusable_;  // why the file could not be read at start; it is then never saved
    std::optional<std::string> damageReport_;
};

}  // namespace simhost

#endif
