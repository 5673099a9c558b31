#include "SvgNumbers.h"

#include <charconv>
#include <cmath>

namespace shunthost::svg {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Parses a number at the start of `text`; returns the characters used, or 0.
std::size_t scanNumber(std::string_view text, float& out) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // from_chars would take "inf", "nan" and a second sign; SVG allows none of them.
    if (pos >= text.size() || !(isDigit(text[pos]) || text[pos] == '.')) {
        return 0;
    }
    float magnitude = 0;
    const auto [end, ec] =
        std::from_chars(text.data() + pos, text.data() + text.size(), magnitude, std::chars_format::general);
    if (ec != std::errc{}) {
        return 0;
    }
    out = negative ? -magnitude : magnitude;
    return static_cast<std::size_t>(end - text.data());
}

}  // namespace

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

void appendFloat(std::string& out, float value) {
    char buffer[32];
    char* end = nullptr;
    // Whole numbers below 100000 are most of what a drawing holds (0, 1, 100,
    // steps of the palette) and their shortest text is the integer's, which
    // is far cheaper to make. From 100000 on "1e+05" is shorter; -0 keeps its sign.
    if (value > -100000.0f && value < 100000.0f && value == static_cast<float>(static_cast<int>(value)) &&
        !(value == 0.0f && std::signbit(value))) {
        end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<int>(value)).ptr;
    } else {
        end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    }
    out.append(buffer, end);
}

std::string formatFloat(float value) {
    std::string out;
    appendFloat(out, value);
    return out;
}

void appendFloatList(std::string& out, std::span<const float> values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        appendFloat(out, values[i]);
    }
}

std::string formatFloatList(std::span<const float> values) {
    std::string out;
    appendFloatList(out, values);
    return out;
}

std::optional<float> parseNumber(std::string_view text) {
    text = trimmed(text);
    float value = 0;
    const std::size_t used = scanNumber(text, value);
    if (used == 0 || used != text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<long long> parseInteger(std::string_view text) {
    text = trimmed(text);
    if (text.starts_with('+')) {
        text.remove_prefix(1);
    }
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<float>> parseNumberList(std::string_view text) {
    std::vector<float> values;
    std::size_t pos = 0;
    auto skipSpace = [&] {
        while (pos < text.size() && isSpace(text[pos])) {
            ++pos;
        }
    };
    skipSpace();
    while (pos < text.size()) {
        float value = 0;
        const std::size_t used = scanNumber(text.substr(pos), value);
        if (used == 0) {
            return std::nullopt;
        }
        values.push_back(value);
        pos += used;
        skipSpace();
        if (pos < text.size() && text[pos] == ',') {
            ++pos;
            skipSpace();
            if (pos >= text.size()) {
                return std::nullopt;  // a trailing comma
            }
        }
    }
    return values;
}

std::optional<float> parseLength(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && ((text.back() >= '0' && text.back() <= '9') || text.back() == '.')) {
        return parseNumber(text);  // no unit: the common case
    }
    struct Unit {
        std::string_view name;
        double pixels;
    };
    static constexpr Unit kUnits[] = {{"px", 1.0},         {"pt", 4.0 / 3.0},   {"pc", 16.0},
                                      {"mm", 96.0 / 25.4}, {"cm", 96.0 / 2.54}, {"in", 96.0}};
    for (const Unit& unit : kUnits) {
        if (text.size() > unit.name.size() && text.ends_with(unit.name)) {
            const auto number = parseNumber(text.substr(0, text.size() - unit.name.size()));
            if (!number) {
                return std::nullopt;
            }
            if (unit.pixels == 1.0) {
                return number;
            }
            const double pixels = static_cast<double>(*number) * unit.pixels;
            if (!std::isfinite(static_cast<float>(pixels))) {
                return std::nullopt;
            }
            return static_cast<float>(pixels);
        }
    }
    return parseNumber(text);
}

}  // namespace shunthost::svg
