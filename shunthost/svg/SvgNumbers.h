// Numbers as SVG and the transcript write them. Every number the host keeps is
// a 32-bit float, and it must read back bit for bit, so numbers are written as
// the shortest text that parses back to the same float and parsed with correct
// rounding straight to float (never through double).
#ifndef SHUNTHOST_SVG_SVGNUMBERS_H
#define SHUNTHOST_SVG_SVGNUMBERS_H

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shunthost::svg {

// Shortest round-tripping text: "0.015625", "-116", "-0", "1e-07", "nan", "inf".
std::string formatFloat(float value);

// The same, added at the end of `out`.
void appendFloat(std::string& out, float value);

// Comma-separated, no spaces: "1,0,0,1,0,-1".
std::string formatFloatList(std::span<const float> values);
void appendFloatList(std::string& out, std::span<const float> values);

// One SVG number, the whole text (surrounding white space allowed): an optional
// sign, digits with an optional fraction, an optional exponent. Infinity, NaN,
// hex and numbers beyond the float range are refused.
std::optional<float> parseNumber(std::string_view text);

// Numbers separated by white space and/or one comma ("4, 2", "4 2", "4,2").
std::optional<std::vector<float>> parseNumberList(std::string_view text);

// A length in user units: a number with an optional absolute unit (px, pt, pc,
// mm, cm, in). Relative units (%, em, ex) need a context the host does not keep
// and are refused.
std::optional<float> parseLength(std::string_view text);

// A whole decimal number with an optional sign, the whole text.
std::optional<long long> parseInteger(std::string_view text);

std::string_view trimmed(std::string_view text);

}  // namespace shunthost::svg

#endif
