#include "StartFaults.h"

#include <sstream>
#include <stdexcept>
#include <vector>

#include "Scenario.h"

namespace shunthost::serve {

namespace {

ASErr codeOf(const std::string& text, const std::string& flag) {
    const auto code = parseResultCode(text);
    if (!code) {
        throw std::invalid_argument(flag + ": \"" + text +
                                    "\" is neither a number nor a four-character code in single quotes");
    }
    return *code;
}

}  // namespace

StartFault parseRefusal(const std::string& text) {
    const auto colon = text.find(':');
    StartFault fault{text.substr(0, colon), std::nullopt, kSPSuiteNotFoundError};
    if (fault.suite.empty()) {
        throw std::invalid_argument("--refuse: expected \"SUITE[:CODE]\"");
    }
    if (colon != std::string::npos) {
        fault.code = codeOf(text.substr(colon + 1), "--refuse");
    }
    return fault;
}

// The suite's name has spaces in it; the entry and the code are the last two words.
StartFault parseFailure(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    if (words.size() < 3) {
        throw std::invalid_argument("--fail: expected \"SUITE ENTRY CODE\"");
    }
    const std::string& entryText = words[words.size() - 2];
    const auto entry = parseWholeNumber(entryText);
    if (!entry || *entry < 0 || *entry > 1000) {
        throw std::invalid_argument("--fail: \"" + entryText + "\" is not an entry number");
    }
    std::string suite = words[0];
    for (std::size_t i = 1; i + 2 < words.size(); ++i) {
        suite += " " + words[i];
    }
    return {suite, static_cast<int>(*entry), codeOf(words.back(), "--fail")};
}

}  // namespace shunthost::serve
