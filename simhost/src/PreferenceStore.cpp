#include "simhost/PreferenceStore.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "simhost/FileReplacement.h"
#include "simhost/Host.h"
#include "simhost/RegularFile.h"

namespace simhost {

namespace {

constexpr const char* kHeader = "shunt-preferences 1";
// Far more than any host writes; a larger file is not one of ours.
constexpr std::uint64_t kLargestPreferenceFile = std::uint64_t{16} << 20;

std::string quote(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads one word at `pos`: a quoted string (unescaped) or a run of non-blanks.
std::optional<std::string> word(const std::string& line, std::size_t& pos, bool quoted) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
        ++pos;
    }
    if (pos >= line.size()) {
        return std::nullopt;
    }
    std::string out;
    if (!quoted) {
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') {
            out += line[pos++];
        }
        return out;
    }
    if (line[pos] != '"') {
        return std::nullopt;
    }
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= line.size()) {
            return std::nullopt;
        }
        if (line[pos] == '"' || line[pos] == '\\') {
            out += line[pos];
        } else if (line[pos] == 'x' && pos + 2 < line.size() && hexDigit(line[pos + 1]) >= 0 &&
                   hexDigit(line[pos + 2]) >= 0) {
            out += static_cast<char>(hexDigit(line[pos + 1]) * 16 + hexDigit(line[pos + 2]));
            pos += 2;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;  // no closing quote
}

template <class Int>
std::optional<Int> number(const std::string& text) {
    Int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<PreferenceValue> value(const std::string& kind, const std::string& line, std::size_t& pos) {
    if (kind == "string") {
        auto text = word(line, pos, true);
        return text ? std::optional<PreferenceValue>(*text) : std::nullopt;
    }
    const auto text = word(line, pos, false);
    if (!text) {
        return std::nullopt;
    }
    if (kind == "integer") {
        const auto n = number<ASInt32>(*text);
        return n ? std::optional<PreferenceValue>(*n) : std::nullopt;
    }
    if (kind == "boolean") {
        if (*text == "0" || *text == "1") {
            return PreferenceValue(*text == "1");
        }
        return std::nullopt;
    }
    if (kind == "point") {
        const auto comma = text->find(',');
        if (comma == std::string::npos) {
            return std::nullopt;
        }
        const auto v = number<ASInt16>(text->substr(0, comma));
        const auto h = number<ASInt16>(text->substr(comma + 1));
        return v && h ? std::optional<PreferenceValue>(ADMPoint{*v, *h}) : std::nullopt;
    }
    return std::nullopt;
}

// A name for the damaged file beside it that nothing uses yet.
std::string asideName(const std::string& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string name = file + ".damaged";
    for (int n = 2; fs::exists(name, ec); ++n) {
        name = file + ".damaged-" + std::to_string(n);
    }
    return name;
}

}  // namespace

PreferenceStore::PreferenceStore(Host& host) : PreferenceStore(host.options().preferencesFile) {}

PreferenceStore::PreferenceStore(std::string file) : file_(std::move(file)) {
    load();
}

const PreferenceValue* PreferenceStore::find(const std::string& section, const std::string& key) const {
    auto found = values_.find({section, key});
    return found == values_.end() ? nullptr : &found->second;
}

void PreferenceStore::put(const std::string& section, const std::string& key, PreferenceValue value) {
    values_[{section, key}] = std::move(value);
}

std::vector<PreferenceEntry> PreferenceStore::entries() const {
    std::vector<PreferenceEntry> out;
    for (const auto& [where, value] : values_) {
        out.push_back({where.first, where.second, value});
    }
    return out;
}

std::string PreferenceStore::serialize() const {
    std::string out = std::string(kHeader) + "\n";
    for (const auto& [where, stored] : values_) {
        std::string line;
        if (const auto* b = std::get_if<bool>(&stored)) {
            line = "boolean " + quote(where.first) + " " + quote(where.second) + " " + (*b ? "1" : "0");
        } else if (const auto* i = std::get_if<ASInt32>(&stored)) {
            line = "integer " + quote(where.first) + " " + quote(where.second) + " " + std::to_string(*i);
        } else if (const auto* p = std::get_if<ADMPoint>(&stored)) {
            line = "point " + quote(where.first) + " " + quote(where.second) + " " + std::to_string(p->v) +
                   "," + std::to_string(p->h);
        } else {
            line = "string " + quote(where.first) + " " + quote(where.second) + " " +
                   quote(std::get<std::string>(stored));
        }
        out += line + "\n";
    }
    return out;
}

std::optional<std::map<std::pair<std::string, std::string>, PreferenceValue>> PreferenceStore::parse(
    const std::string& text, std::string& error) {
    std::map<std::pair<std::string, std::string>, PreferenceValue> values;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    bool headerSeen = false;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!headerSeen) {
            if (line != kHeader) {
                error = "line 1: not a preference file (expected \"" + std::string(kHeader) + "\")";
                return std::nullopt;
            }
            headerSeen = true;
            continue;
        }
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        std::size_t pos = 0;
        const auto kind = word(line, pos, false);
        const auto section = word(line, pos, true);
        const auto key = section ? word(line, pos, true) : std::nullopt;
        const auto stored = key ? value(*kind, line, pos) : std::nullopt;
        const bool rest = pos < line.size() && line.find_first_not_of(" \t", pos) != std::string::npos;
        if (!stored || rest) {
            error = "line " + std::to_string(lineNumber) + ": cannot read \"" + line + "\"";
            return std::nullopt;
        }
        values[{*section, *key}] = *stored;
    }
    if (!headerSeen) {
        error = "the file is empty";
        return std::nullopt;
    }
    return values;
}

void PreferenceStore::load() {
    if (file_.empty()) {
        return;
    }
    std::string text;
    std::string error;
    try {
        text = readRegularFile(file_, kLargestPreferenceFile);
    } catch (const FileError& failure) {
        if (failure.kind() == FileError::Kind::System && failure.systemError() == ENOENT) {
            return;  // a first run: nothing stored yet
        }
        if (failure.kind() != FileError::Kind::TooLarge) {
            // Not a damaged file but one we cannot use (a folder, a file we
            // may not read): left as it is, and never saved over.
            unusable_ = failure.what();
            damageReport_ = "preference file " + file_ + " cannot be used (" + unusable_ +
                            "); it was left as it is, the defaults are used and nothing will be saved";
            return;
        }
        error = failure.what();
    }
    if (error.empty()) {
        if (auto values = parse(text, error)) {
            values_ = std::move(*values);
            return;
        }
    }
    // Keep the damaged file for whoever wants to look at it, and start afresh.
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string aside = asideName(file_);
    fs::rename(file_, aside, ec);
    damageReport_ =
        "preference file " + file_ + " is damaged (" + error + "); " +
        (ec ? "it could not be set aside (" + ec.message() + ")" : "it was set aside as " + aside) +
        " and the defaults are used";
}

bool PreferenceStore::save() {
    saveError_.clear();
    if (file_.empty()) {
        return true;
    }
    if (!unusable_.empty()) {
        saveError_ = "not saved to " + file_ + ": it could not be read at start (" + unusable_ + ")";
        return false;
    }
    const std::string text = serialize();
    try {
        replaceFile(file_, [&text](std::FILE* file) { std::fwrite(text.data(), 1, text.size(), file); });
    } catch (const FileError& failure) {
        saveError_ = "cannot save " + file_ + ": " + failure.what();
        return false;
    }
    return true;
}

}  // namespace simhost
