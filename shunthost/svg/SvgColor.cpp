#include "SvgColor.h"

#include <algorithm>
#include <cmath>

#include "SvgColorNames.h"
#include "SvgNumbers.h"

namespace shunthost::svg {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

Rgb fromBytes(int r, int g, int b) {
    return {static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f, static_cast<float>(b) / 255.0f};
}

std::optional<Rgb> parseHex(std::string_view hex) {
    int digits[6];
    if (hex.size() != 3 && hex.size() != 6) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < hex.size(); ++i) {
        digits[i] = hexDigit(hex[i]);
        if (digits[i] < 0) {
            return std::nullopt;
        }
    }
    if (hex.size() == 3) {
        return fromBytes(digits[0] * 17, digits[1] * 17, digits[2] * 17);
    }
    return fromBytes(digits[0] * 16 + digits[1], digits[2] * 16 + digits[3], digits[4] * 16 + digits[5]);
}

// rgb(r, g, b) with numbers from 0 to 255 or percentages; out-of-range values are clamped as CSS does.
std::optional<Rgb> parseRgbFunction(std::string_view inside) {
    Rgb rgb{};
    std::size_t part = 0;
    while (part < 3) {
        const std::size_t comma = inside.find(',');
        const std::string_view item = trimmed(part < 2 ? inside.substr(0, comma) : inside);
        if ((part < 2 && comma == std::string_view::npos) || item.empty()) {
            return std::nullopt;
        }
        const bool percent = item.back() == '%';
        const auto number = parseNumber(percent ? item.substr(0, item.size() - 1) : item);
        if (!number) {
            return std::nullopt;
        }
        const float byte = percent ? *number * 2.55f : *number;
        rgb[part] = static_cast<float>(std::clamp(static_cast<int>(std::lround(byte)), 0, 255)) / 255.0f;
        if (part < 2) {
            inside.remove_prefix(comma + 1);
        }
        ++part;
    }
    return rgb;
}

}  // namespace

std::optional<Rgb> parseColor(std::string_view text) {
    text = trimmed(text);
    if (text.starts_with('#')) {
        return parseHex(text.substr(1));
    }
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (lower.starts_with("rgb(") && lower.ends_with(')')) {
        return parseRgbFunction(std::string_view(lower).substr(4, lower.size() - 5));
    }
    if (const auto bytes = namedColor(lower)) {
        return fromBytes((*bytes >> 16) & 0xFF, (*bytes >> 8) & 0xFF, *bytes & 0xFF);
    }
    return std::nullopt;
}

int colorByte(float component) {
    if (!(component > 0.0f)) {
        return 0;  // NaN too
    }
    return std::clamp(static_cast<int>(std::lround(static_cast<double>(component) * 255.0)), 0, 255);
}

std::string formatColor(const Rgb& rgb) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "#";
    for (float component : rgb) {
        const int byte = colorByte(component);
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
    return out;
}

Rgb screenColor(ASInt32 kind, const AIReal c[4]) {
    switch (kind) {
        case kGrayColor:
            return {c[0], c[0], c[0]};
        case kFourColor:
            return {(1 - c[0]) * (1 - c[3]), (1 - c[1]) * (1 - c[3]), (1 - c[2]) * (1 - c[3])};
        default:
            return {c[0], c[1], c[2]};
    }
}

}  // namespace shunthost::svg
