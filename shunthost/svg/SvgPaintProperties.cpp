#include "SvgPaintProperties.h"

#include <cstring>
#include <string>

#include "SvgNumbers.h"

namespace shunthost::svg {

namespace {

constexpr std::string_view kPropertyNames[kPropertyCount] = {
    "fill",
    "fill-opacity",
    "fill-rule",
    "stroke",
    "stroke-width",
    "stroke-opacity",
    "stroke-miterlimit",
    "stroke-linecap",
    "stroke-linejoin",
    "stroke-dasharray",
    "stroke-dashoffset",
    "color",
};

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

float number(Property property, std::string_view value) {
    const auto parsed = parseNumber(value);
    if (!parsed) {
        throw BadValue("bad number " + quoted(value) + " in " + propertyName(property));
    }
    return *parsed;
}

float length(Property property, std::string_view value) {
    const auto parsed = parseLength(value);
    if (!parsed) {
        throw BadValue("bad length " + quoted(value) + " in " + propertyName(property));
    }
    return *parsed;
}

// Opacity: a number, or a percentage as CSS allows.
float opacity(Property property, std::string_view value) {
    value = trimmed(value);
    if (!value.empty() && value.back() == '%') {
        return number(property, value.substr(0, value.size() - 1)) / 100.0f;
    }
    return number(property, value);
}

template <std::size_t N>
ASInt32 keyword(Property property, std::string_view value, const std::string_view (&names)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (value == names[i]) {
            return static_cast<ASInt32>(i);
        }
    }
    throw BadValue("unknown " + std::string(propertyName(property)) + " " + quoted(value));
}

void applyDashArray(InheritedStyle& style, std::string_view value) {
    if (value == "none") {
        style.dashCount = 0;
        return;
    }
    std::array<AIReal, kMaxDashComponents> values{};
    std::size_t count = 0;
    std::size_t pos = 0;
    // Items are lengths, separated by commas and/or white space.
    auto separator = [](char c) { return c == ' ' || c == ',' || c == '\t' || c == '\n' || c == '\r'; };
    while (pos < value.size()) {
        while (pos < value.size() && separator(value[pos])) {
            ++pos;
        }
        std::size_t end = pos;
        while (end < value.size() && !separator(value[end])) {
            ++end;
        }
        if (end > pos) {
            if (count == values.size()) {
                throw BadValue("stroke-dasharray has more than " + std::to_string(kMaxDashComponents) +
                               " components; at most " + std::to_string(kMaxDashComponents) + " are kept");
            }
            values[count++] = length(Property::StrokeDasharray, value.substr(pos, end - pos));
        }
        pos = end;
    }
    if (count == 0) {
        throw BadValue("empty stroke-dasharray");
    }
    style.dashCount = static_cast<ASInt16>(count);
    style.dash = values;
}

}  // namespace

std::optional<Property> propertyNamed(std::string_view name) {
    // Every attribute of every element read asks: the length picks the one or
    // two names it can be, a letter tells two apart, and one comparison of a
    // length known here, a few loads, settles it.
    auto is = [name]<std::size_t N>(const char(&literal)[N], Property property) -> std::optional<Property> {
        if (std::memcmp(name.data(), literal, N - 1) == 0) {
            return property;
        }
        return std::nullopt;
    };
    switch (name.size()) {
        case 4:
            return is("fill", Property::Fill);
        case 5:
            return is("color", Property::Color);
        case 6:
            return is("stroke", Property::Stroke);
        case 9:
            return is("fill-rule", Property::FillRule);
        case 12:
            return name[0] == 'f' ? is("fill-opacity", Property::FillOpacity)
                                  : is("stroke-width", Property::StrokeWidth);
        case 14:
            return name[7] == 'o' ? is("stroke-opacity", Property::StrokeOpacity)
                                  : is("stroke-linecap", Property::StrokeLinecap);
        case 15:
            return is("stroke-linejoin", Property::StrokeLinejoin);
        case 16:
            return is("stroke-dasharray", Property::StrokeDasharray);
        case 17:
            return name[7] == 'm' ? is("stroke-miterlimit", Property::StrokeMiterlimit)
                                  : is("stroke-dashoffset", Property::StrokeDashoffset);
        default:
            return std::nullopt;
    }
}

const char* propertyName(Property property) {
    return kPropertyNames[static_cast<std::size_t>(property)].data();
}

Paint parsePaint(std::string_view text) {
    text = trimmed(text);
    Paint paint;
    if (text == "none" || text == "transparent") {
        return paint;
    }
    if (text == "currentColor" || text == "currentcolor") {
        paint.kind = Paint::Kind::CurrentColor;
        return paint;
    }
    paint.kind = Paint::Kind::Other;
    if (text.starts_with("url(")) {
        const std::size_t close = text.find(')');
        if (close == std::string_view::npos) {
            return paint;
        }
        std::string_view target = trimmed(text.substr(4, close - 4));
        if (target.size() >= 2 && (target.front() == '"' || target.front() == '\'') &&
            target.back() == target.front()) {
            target = target.substr(1, target.size() - 2);
        }
        if (!target.starts_with('#') || target.size() < 2) {
            return paint;  // an element of another file
        }
        const std::string_view fallback = trimmed(text.substr(close + 1));
        if (!fallback.empty()) {
            const Paint parsed = parsePaint(fallback);
            if (parsed.kind == Paint::Kind::Url || parsed.kind == Paint::Kind::Other) {
                return paint;
            }
            paint.hasFallback = true;
            paint.fallbackKind = parsed.kind;
            paint.fallbackRgb = parsed.rgb;
        }
        paint.kind = Paint::Kind::Url;
        paint.url = target.substr(1);
        paint.text = text;
        return paint;
    }
    if (const auto rgb = parseColor(text)) {
        paint.kind = Paint::Kind::Color;
        paint.rgb = *rgb;
    }
    return paint;
}

namespace {

void applyReadableProperty(InheritedStyle& style, Property property, std::string_view value);

}  // namespace

void applyProperty(InheritedStyle& style, Property property, std::string_view value) {
    try {
        applyReadableProperty(style, property, value);
    } catch (const BadValue&) {
        if (property == Property::StrokeDasharray || property == Property::StrokeDashoffset) {
            throw;
        }
    }
}

namespace {

void applyReadableProperty(InheritedStyle& style, Property property, std::string_view value) {
    value = trimmed(value);
    if (value == "inherit") {
        return;
    }
    static constexpr std::string_view kCaps[] = {"butt", "round", "square"};
    static constexpr std::string_view kJoins[] = {"miter", "round", "bevel"};
    static constexpr std::string_view kRules[] = {"nonzero", "evenodd"};
    switch (property) {
        case Property::Fill:
            style.fill = parsePaint(value);
            break;
        case Property::Stroke:
            style.stroke = parsePaint(value);
            break;
        case Property::Color: {
            if (value == "currentColor" || value == "currentcolor") {
                break;
            }
            const auto rgb = parseColor(value);
            if (!rgb) {
                throw BadValue("unknown colour " + quoted(value));
            }
            style.color = *rgb;
            break;
        }
        case Property::FillOpacity:
            style.fillOpacity = opacity(property, value);
            break;
        case Property::StrokeOpacity:
            style.strokeOpacity = opacity(property, value);
            break;
        case Property::FillRule:
            style.evenOddFill = static_cast<AIBoolean>(keyword(property, value, kRules));
            break;
        case Property::StrokeWidth:
            style.strokeWidth = length(property, value);
            break;
        case Property::StrokeMiterlimit:
            style.miterLimit = number(property, value);
            break;
        case Property::StrokeLinecap:
            style.lineCap = keyword(property, value, kCaps);
            break;
        case Property::StrokeLinejoin:
            style.lineJoin = keyword(property, value, kJoins);
            break;
        case Property::StrokeDasharray:
            applyDashArray(style, value);
            break;
        case Property::StrokeDashoffset:
            style.dashOffset = length(property, value);
            break;
    }
}

}  // namespace

const char* lineCapName(ASInt32 cap) {
    return cap == 1 ? "round" : cap == 2 ? "square" : "butt";
}

const char* lineJoinName(ASInt32 join) {
    return join == 1 ? "round" : join == 2 ? "bevel" : "miter";
}

}  // namespace shunthost::svg
