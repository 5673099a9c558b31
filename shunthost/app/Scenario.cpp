#include "Scenario.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace shunthost {

InputError::InputError(std::string file, int line, const std::string& message)
    : std::runtime_error(file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + message),
      file_(std::move(file)),
      line_(line) {}

std::vector<std::string> splitScenarioLine(const std::string& line, const std::string& file, int lineNumber) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : line) {
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == '"') {
            quoted = true;
            inWord = true;
        } else if (c == '#') {
            break;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord) {
                words.push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) {
        throw InputError(file, lineNumber, "unterminated double quote");
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

std::optional<long> parseWholeNumber(const std::string& text) {
    long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<ASErr> parseResultCode(const std::string& text) {
    if (text.size() == 6 && text.front() == '\'' && text.back() == '\'') {
        return fourCharCode(text[1], text[2], text[3], text[4]);
    }
    const auto value = parseWholeNumber(text);
    if (!value || *value < INT32_MIN || *value > static_cast<long>(UINT32_MAX)) {
        return std::nullopt;
    }
    return static_cast<ASErr>(static_cast<std::uint32_t>(*value));
}

std::optional<int> parseKeyCode(const std::string& text) {
    static const std::map<std::string, int> names = {
        {"option", 240}, {"shift", 241}, {"control", 243}, {"command", 244}};
    if (auto found = names.find(text); found != names.end()) {
        return found->second;
    }
    const auto value = parseWholeNumber(text);
    if (!value || *value < 0 || *value > 256) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

namespace {

// How many positional arguments each command takes: at least, at most (-1: any).
struct Shape {
    int least;
    int most;
    std::set<std::string> options;
};

const std::map<std::string, Shape>& shapes() {
    static const std::map<std::string, Shape> table = {
        {"open", {1, 1, {}}},
        {"start", {0, 0, {}}},
        {"select", {1, -1, {}}},
        {"keys", {0, -1, {}}},
        {"click", {1, 2, {}}},
        {"choose", {1, 1, {}}},
        {"track", {1, 1, {}}},
        {"menu", {1, 1, {}}},
        {"update", {0, 0, {}}},
        {"about", {0, 0, {}}},
        {"unload", {0, 0, {}}},
        {"reload", {0, 0, {}}},
        {"refuse", {1, 1, {"version", "code"}}},
        {"fail", {3, 3, {"at", "times"}}},
        {"answer", {0, 1, {}}},
        {"drag", {2, 2, {}}},
        {"dock", {2, 2, {}}},
        {"dump", {0, 0, {}}},
        {"palette", {0, 0, {}}},
        {"prefs", {0, 0, {}}},
        {"save", {1, 1, {}}},
        {"quit", {0, 0, {}}},
        {"expect", {1, 1, {}}},
    };
    return table;
}

void requireNumber(const Command& command, const std::string& text, const std::string& file, long least,
                   long most) {
    const auto value = parseWholeNumber(text);
    if (!value || *value < least || *value > most) {
        throw InputError(file, command.line,
                         command.name + ": \"" + text + "\" is not a whole number from " +
                             std::to_string(least) + " to " + std::to_string(most));
    }
}

void check(const Command& command, const std::string& file) {
    const auto& args = command.args;
    if (command.name == "click") {
        requireNumber(command, args[0], file, 1, 11);
    } else if (command.name == "choose" || command.name == "track") {
        requireNumber(command, args[0], file, INT32_MIN, INT32_MAX);
    } else if (command.name == "answer" && !args.empty()) {
        requireNumber(command, args[0], file, INT32_MIN, INT32_MAX);
    } else if (command.name == "drag") {
        requireNumber(command, args[0], file, -32768, 32767);
        requireNumber(command, args[1], file, -32768, 32767);
    } else if (command.name == "dock") {
        requireNumber(command, args[1], file, INT32_MIN, INT32_MAX);
    } else if (command.name == "keys") {
        for (const auto& key : args) {
            if (!parseKeyCode(key)) {
                throw InputError(file, command.line,
                                 "keys: \"" + key + "\" is neither a key code from 0 to 256 nor a key name");
            }
        }
    } else if (command.name == "select" && (args[0] == "all" || args[0] == "none") && args.size() > 1) {
        throw InputError(file, command.line, "select " + args[0] + " takes nothing after it");
    } else if (command.name == "refuse") {
        if (auto v = command.options.find("version"); v != command.options.end()) {
            requireNumber(command, v->second, file, INT32_MIN, INT32_MAX);
        }
        if (auto c = command.options.find("code");
            c != command.options.end() && !parseResultCode(c->second)) {
            throw InputError(file, command.line, "refuse: \"" + c->second + "\" is not a result code");
        }
    } else if (command.name == "fail") {
        requireNumber(command, args[1], file, 0, 1000);
        if (!parseResultCode(args[2])) {
            throw InputError(
                file, command.line,
                "fail: \"" + args[2] + "\" is not a result code (a number or a code like 'S!Fd')");
        }
        if (auto at = command.options.find("at"); at != command.options.end()) {
            requireNumber(command, at->second, file, 1, INT32_MAX);
        }
        if (auto times = command.options.find("times"); times != command.options.end()) {
            requireNumber(command, times->second, file, -1, INT32_MAX);
        }
    }
}

}  // namespace

Scenario parseScenario(const std::string& text, const std::string& path) {
    Scenario scenario;
    scenario.path = path;
    scenario.folder = std::filesystem::path(path).parent_path().string();
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        auto words = splitScenarioLine(line, path, lineNumber);
        if (words.empty()) {
            continue;
        }
        Command command;
        command.line = lineNumber;
        command.name = words[0];
        auto shape = shapes().find(command.name);
        if (shape == shapes().end()) {
            throw InputError(path, lineNumber, "unknown command \"" + command.name + "\"");
        }
        for (std::size_t i = 1; i < words.size(); ++i) {
            const auto eq = words[i].find('=');
            if (!shape->second.options.empty() && eq != std::string::npos &&
                shape->second.options.count(words[i].substr(0, eq)) != 0) {
                command.options[words[i].substr(0, eq)] = words[i].substr(eq + 1);
            } else {
                command.args.push_back(words[i]);
            }
        }
        const int count = static_cast<int>(command.args.size());
        if (count < shape->second.least || (shape->second.most >= 0 && count > shape->second.most)) {
            throw InputError(path, lineNumber, command.name + ": wrong number of arguments");
        }
        check(command, path);
        scenario.commands.push_back(std::move(command));
    }
    return scenario;
}

Scenario readScenario(const std::string& path) {
    // A folder opens as a stream on some systems and reads as nothing.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw InputError(path, 0, "cannot read the scenario: it is a folder, not a file");
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int error = errno;
        throw InputError(path, 0,
                         std::string("cannot read the scenario: ") +
                             (error != 0 ? std::strerror(error) : "the file cannot be opened"));
    }
    std::stringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        throw InputError(path, 0, "cannot read the scenario: a read error");
    }
    return parseScenario(text.str(), path);
}

}  // namespace shunthost
