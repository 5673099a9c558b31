#include "SvgPaintValues.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "SvgNumbers.h"
#include "SvgTransform.h"

namespace shunthost::svg {

namespace {

PaintValues makeValues(AIBoolean painted, ASInt32 kind, const AIReal (&components)[4]) {
    PaintValues values{painted, kind, {}};
    std::copy(std::begin(components), std::end(components), values.components.begin());
    return values;
}

}  // namespace

PaintValues fillValues(const AIPathStyle& style) {
    return makeValues(style.fillPaint, style.fillColorKind, style.fillColor);
}

PaintValues strokeValues(const AIPathStyle& style) {
    return makeValues(style.strokePaint, style.strokeColorKind, style.strokeColor);
}

void setFillValues(AIPathStyle& style, const PaintValues& values) {
    style.fillPaint = values.painted;
    style.fillColorKind = values.kind;
    std::copy(values.components.begin(), values.components.end(), style.fillColor);
}

void setStrokeValues(AIPathStyle& style, const PaintValues& values) {
    style.strokePaint = values.painted;
    style.strokeColorKind = values.kind;
    std::copy(values.components.begin(), values.components.end(), style.strokeColor);
}

PaintMode paintMode(const PaintValues& values, bool patternsAllowed) {
    if (values.painted == 0 || values.kind == kNoneColor) {
        return PaintMode::None;
    }
    if (values.kind == kPattern) {
        return patternsAllowed ? PaintMode::Pattern : PaintMode::OtherServer;
    }
    if (values.kind == kGradient) {
        return PaintMode::OtherServer;
    }
    return PaintMode::Color;
}

PaintValues plainPaintValues(PaintMode mode, const Rgb& rgb, ASInt32 serverKind) {
    switch (mode) {
        case PaintMode::None:
            return {0, kGrayColor, {}};
        case PaintMode::Color:
            return {1, kThreeColor, {rgb[0], rgb[1], rgb[2], 0}};
        case PaintMode::Pattern:
            return {1, kPattern, {}};
        case PaintMode::OtherServer:
            break;
    }
    return {1, serverKind, {}};
}

bool showSame(const PaintValues& a, const PaintValues& b, bool patternsAllowed) {
    const PaintMode mode = paintMode(a, patternsAllowed);
    if (mode != paintMode(b, patternsAllowed)) {
        return false;
    }
    if (mode == PaintMode::OtherServer) {
        return a.kind == b.kind;
    }
    if (mode != PaintMode::Color) {
        return true;
    }
    return formatColor(screenColor(a.kind, a.components.data())) ==
           formatColor(screenColor(b.kind, b.components.data()));
}

bool sameBits(const PaintValues& a, const PaintValues& b) {
    if (a.painted != b.painted || a.kind != b.kind) {
        return false;
    }
    for (std::size_t i = 0; i < a.components.size(); ++i) {
        if (!sameBits(a.components[i], b.components[i])) {
            return false;
        }
    }
    return true;
}

std::string formatPaintValues(const PaintValues& values) {
    std::string out = std::to_string(values.painted);
    out += ',';
    out += std::to_string(values.kind);
    out += ',';
    appendFloatList(out, values.components);
    return out;
}

std::optional<PaintValues> parsePaintValues(std::string_view text) {
    const std::size_t first = text.find(',');
    const std::size_t second = first == std::string_view::npos ? first : text.find(',', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    const auto painted = parseInteger(text.substr(0, first));
    const auto kind = parseInteger(text.substr(first + 1, second - first - 1));
    const auto components = parseNumberList(text.substr(second + 1));
    if (!painted || *painted < 0 || *painted > 255 || !kind || *kind < INT32_MIN || *kind > INT32_MAX ||
        !components || components->size() != 4) {
        return std::nullopt;
    }
    return PaintValues{static_cast<AIBoolean>(*painted),
                       static_cast<ASInt32>(*kind),
                       {(*components)[0], (*components)[1], (*components)[2], (*components)[3]}};
}

}  // namespace shunthost::svg
