#include "InkscapeCall.h"

#include <array>
#include <string_view>

#include "svg/SvgNumbers.h"

namespace shunthost {

namespace {

// Host key codes of the palette's modifier keys.
constexpr int kShift = 241;
constexpr int kOption = 240;
constexpr int kControl = 243;
constexpr int kCommand = 244;

struct StepKeys {
    float step;
    std::vector<int> keys;
};

// Every step the keys give. Shift makes the others multiply instead of
// divide: Option doubles (or halves) the base, Control takes the step times
// (or over) 4, Command times (or over) 8. Option+Control and Command both give
// 16 (0.125 without Shift); Command alone is listed, being one key fewer.
const std::array<StepKeys, 14>& stepTable() {
    static const std::array<StepKeys, 14> table{{
        {1.0f, {}},
        {2.0f, {kShift}},
        {4.0f, {kShift, kOption}},
        {8.0f, {kShift, kControl}},
        {16.0f, {kShift, kCommand}},
        {32.0f, {kShift, kOption, kCommand}},
        {64.0f, {kShift, kControl, kCommand}},
        {128.0f, {kShift, kOption, kControl, kCommand}},
        {0.5f, {kOption}},
        {0.25f, {kControl}},
        {0.125f, {kCommand}},
        {0.0625f, {kOption, kCommand}},
        {0.03125f, {kControl, kCommand}},
        {0.015625f, {kOption, kControl, kCommand}},
    }};
    return table;
}

constexpr std::array<std::pair<std::string_view, EffectOperation>, 6> kOperations{{
    {"slide", EffectOperation::Slide},
    {"dashes", EffectOperation::Dashes},
    {"reset", EffectOperation::Reset},
    {"capture", EffectOperation::Capture},
    {"apply", EffectOperation::Apply},
    {"show", EffectOperation::Show},
}};

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

int parseItem(EffectOperation operation, std::string_view value) {
    const auto number = svg::parseInteger(value);
    const bool valid = number && ((operation == EffectOperation::Slide && *number >= 1 && *number <= 8) ||
                                  (operation == EffectOperation::Dashes && (*number == 9 || *number == 10)));
    if (!valid) {
        throw EffectCallError(std::string("--item=") + std::string(value) + ": " +
                              (operation == EffectOperation::Slide
                                   ? "the arrows are items 1 (right) to 8 (up and right)"
                                   : "the dash buttons are items 9 (back) and 10 (forward)"));
    }
    return static_cast<int>(*number);
}

}  // namespace

const char* operationName(EffectOperation operation) {
    for (const auto& [name, value] : kOperations) {
        if (value == operation) {
            return name.data();
        }
    }
    return "?";
}

std::optional<std::vector<int>> keysForStep(float step) {
    for (const StepKeys& entry : stepTable()) {
        if (entry.step == step) {
            return entry.keys;
        }
    }
    return std::nullopt;
}

bool isEffectCall(const std::vector<std::string>& args) {
    if (args.empty() || !startsWith(args[0], "--") || args[0] == "--help" || args[0] == "--version") {
        return false;
    }
    for (const auto& arg : args) {
        if (startsWith(arg, "--operation=")) {
            return true;
        }
    }
    return false;
}

EffectCall parseEffectCall(const std::vector<std::string>& args) {
    EffectCall call;
    std::optional<EffectOperation> operation;
    std::optional<std::string> item;
    std::optional<std::string> step;
    std::vector<std::string> paths;
    for (const auto& arg : args) {
        if (!startsWith(arg, "--")) {
            paths.push_back(arg);
            continue;
        }
        const auto equals = arg.find('=');
        if (equals == std::string::npos) {
            throw EffectCallError(arg + ": Inkscape passes every parameter as --NAME=VALUE");
        }
        const std::string name = arg.substr(2, equals - 2);
        const std::string value = arg.substr(equals + 1);
        if (name == "id") {
            if (!value.empty()) {
                call.ids.push_back(value);
            }
        } else if (name == "operation") {
            for (const auto& [known, op] : kOperations) {
                if (value == known) {
                    operation = op;
                }
            }
            if (!operation) {
                throw EffectCallError("--operation=" + value +
                                      ": the operations are slide, dashes, reset, capture, apply and show");
            }
        } else if (name == "item") {
            item = value;
        } else if (name == "step") {
            step = value;
        } else if (name != "selected-nodes") {
            // Inkscape adds --selected-nodes when nodes are selected; the
            // palette works on whole objects and has no use for them.
            throw EffectCallError("--" + name +
                                  ": the Shunt Palette's effects take --operation, --item and --step");
        }
    }
    if (!operation) {
        throw EffectCallError("no --operation=NAME: run shunt-host through the Shunt Palette's .inx files");
    }
    if (paths.size() != 1) {
        throw EffectCallError(paths.empty() ? "no drawing: the path of the SVG file comes last"
                                            : "more than one drawing: only the last argument is a path");
    }
    call.operation = *operation;
    call.documentPath = paths[0];
    switch (call.operation) {
        case EffectOperation::Slide:
        case EffectOperation::Dashes: {
            call.item =
                item ? parseItem(call.operation, *item) : (call.operation == EffectOperation::Slide ? 1 : 10);
            if (step) {
                const auto number = svg::parseNumber(*step);
                if (!number || !keysForStep(*number)) {
                    throw EffectCallError(
                        "--step=" + *step +
                        ": the keys give the steps 0.015625, 0.03125, ... 1, 2, 4, ... 128");
                }
                call.step = *number;
            }
            break;
        }
        case EffectOperation::Reset:
            call.item = 11;
            break;
        default:
            break;
    }
    return call;
}

}  // namespace shunthost
