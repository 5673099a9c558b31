// Scenario files: one command a line, read and checked whole before any of
// it runs, so a bad scenario never half-runs.
#ifndef SHUNTHOST_APP_SCENARIO_H
#define SHUNTHOST_APP_SCENARIO_H

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "hostapi/ASTypes.h"

namespace shunthost {

// A problem with an input: "FILE:LINE: message", or "FILE: message" when
// it is not tied to a line (LINE 0).
class InputError : public std::runtime_error {
public:
    InputError(std::string file, int line, const std::string& message);
    const std::string& file() const { return file_; }
    int line() const { return line_; }

private:
    std::string file_;
    int line_;
};

struct Command {
    int line = 0;
    std::string name;
    std::vector<std::string> args;               // positional, quotes removed
    std::map<std::string, std::string> options;  // key=value words (refuse, fail)
};

struct Scenario {
    std::string path;
    std::string folder;  // paths in commands are relative to it
    std::vector<Command> commands;
};

// Splits a line at spaces; double quotes group words and are removed; single
// quotes are ordinary characters; '#' outside quotes starts a comment.
std::vector<std::string> splitScenarioLine(const std::string& line, const std::string& file, int lineNumber);

// Reads and checks a scenario: every command known, with the right number of
// well-formed arguments. Throws InputError.
Scenario readScenario(const std::string& path);
Scenario parseScenario(const std::string& text, const std::string& path);

// A result code written as a decimal number or as a four-character code in
// single quotes ('S!Fd'). Empty when the text is neither.
std::optional<ASErr> parseResultCode(const std::string& text);
std::optional<long> parseWholeNumber(const std::string& text);

// Key names a scenario may use besides the codes: shift 241, option 240,
// control 243, command 244.
std::optional<int> parseKeyCode(const std::string& text);

}  // namespace shunthost

#endif
