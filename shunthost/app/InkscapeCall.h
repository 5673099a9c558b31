// How Inkscape runs an effect: the program the .inx names, then `--id=ID` for
// each selected object, `--NAME=VALUE` for each parameter and the path of a
// copy of the drawing last; the new drawing is read from standard output.
#ifndef SHUNTHOST_APP_INKSCAPECALL_H
#define SHUNTHOST_APP_INKSCAPECALL_H

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace shunthost {

// What each of the extension's menu entries does in the palette.
enum class EffectOperation { Slide, Dashes, Reset, Capture, Apply, Show };

struct EffectCall {
    EffectOperation operation = EffectOperation::Show;
    std::vector<std::string> ids;  // the objects selected in Inkscape, in its order
    int item = 0;                  // the palette item clicked (slide, dashes, reset)
    float step = 1.0f;             // slide and dashes
    std::string documentPath;
};

// A call that does not follow the convention; the message says what is wrong.
class EffectCallError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether the arguments are an effect call rather than a subcommand: the
// .inx files pass a hidden parameter `--operation=NAME`, and nothing else
// starts shunt-host's command line with an option of that kind.
bool isEffectCall(const std::vector<std::string>& args);

// Throws EffectCallError.
EffectCall parseEffectCall(const std::vector<std::string>& args);

// The host key codes to hold down for a step, or nothing when no combination
// of the palette's modifier keys gives that step. Where two combinations give
// the same step, the one with fewer keys.
std::optional<std::vector<int>> keysForStep(float step);

// "slide", "dashes", ...: the name in `--operation=` and in the .inx ids.
const char* operationName(EffectOperation operation);

}  // namespace shunthost

#endif
