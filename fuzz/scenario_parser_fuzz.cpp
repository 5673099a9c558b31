// Scenario files as shunt-host reads them: a malformed one is refused with a
// FILE:LINE message, never half-read.
#include <cstdint>
#include <string>

#include "Scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const shunthost::Scenario scenario = shunthost::parseScenario(text, "fuzz/fuzz.scenario");
        for (const shunthost::Command& command : scenario.commands) {
            if (command.line < 1 || command.name.empty()) {
                __builtin_trap();  // every command comes from a line of the file
            }
        }
    } catch (const shunthost::InputError& error) {
        if (error.file() != "fuzz/fuzz.scenario" || error.line() < 0) {
            __builtin_trap();
        }
    }
    // The word-level readers take any text.
    shunthost::parseResultCode(text);
    shunthost::parseKeyCode(text);
    shunthost::parseWholeNumber(text);
    return 0;
}
