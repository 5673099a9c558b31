// Faults the host has from its start, as `serve --refuse/--fail` give them.
#ifndef SHUNTHOST_SERVE_STARTFAULTS_H
#define SHUNTHOST_SERVE_STARTFAULTS_H

#include <optional>
#include <string>

#include "hostapi/ASTypes.h"

namespace shunthost::serve {

struct StartFault {
    std::string suite;
    std::optional<int> entry;  // empty: acquisitions of the suite are refused
    ASErr code = 0;
};

// "SUITE[:CODE]" (a refusal, by default kSPSuiteNotFoundError) and
// "SUITE ENTRY CODE" (every call of that entry answers CODE). CODE is a
// number or a four-character code in single quotes. Throws
// std::invalid_argument.
StartFault parseRefusal(const std::string& text);
StartFault parseFailure(const std::string& text);

}  // namespace shunthost::serve

#endif
