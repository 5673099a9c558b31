// "AI User Suite": numbers to and from the length-prefixed decimal text the
// host shows and reads.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "simhost/Host.h"

namespace simhost {

namespace {

// The host's number text: at most 15 characters, `precision` decimal places
// at most, trailing zeros and a bare point dropped, never "-0".
std::string formatReal(AIReal value, ASInt16 precision);
// The value of decimal text with optional sign, point and exponent and
// surrounding blanks; nullopt for anything else.
std::optional<AIReal> parseReal(std::string_view text);

SuiteKey kUserKey{kAIUserSuite, kAIUserSuiteVersion};

constexpr std::size_t kMaxNumberText = 15;
constexpr int kMaxPrecision = 10;  // a float has no more than this to show

std::string trimmed(const std::string& text) {
    std::size_t end = text.size();
    if (text.find('.') != std::string::npos && text.find('e') == std::string::npos) {
        while (end > 0 && text[end - 1] == '0') {
            --end;
        }
        if (end > 0 && text[end - 1] == '.') {
            --end;
        }
    }
    const std::string kept = text.substr(0, end);
    return kept == "-0" ? std::string(1, '0') : kept;
}

AIErr realToString(AIReal value, ASInt16 precision, unsigned char* pstr) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kUserKey, 4,
                                [&] { return std::to_string(value) + " " + std::to_string(precision); })) {
        return *fault;
    }
    if (pstr == nullptr) {
        host.violation("realToString: null text buffer");
        return kBadParameterErr;
    }
    const std::string text = formatReal(value, precision);
    pstr[0] = static_cast<unsigned char>(text.size());
    std::memcpy(pstr + 1, text.data(), text.size());
    return kNoErr;
}

AIErr stringToReal(const unsigned char* pstr, AIReal* value) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kUserKey, 5, [&] {
            std::string shown(1, '"');
            if (pstr != nullptr) {
                shown.append(reinterpret_cast<const char*>(pstr + 1), pstr[0]);
            }
            return pstr == nullptr ? std::string("null") : shown + '"';
        })) {
        return *fault;
    }
    if (pstr == nullptr || value == nullptr) {
        host.violation("stringToReal: null text or result address");
        return kBadParameterErr;
    }
    const auto parsed = parseReal(std::string_view(reinterpret_cast<const char*>(pstr + 1), pstr[0]));
    if (!parsed) {
        return kBadParameterErr;
    }
    *value = *parsed;
    return kNoErr;
}

AIUserSuite gUserSuite{
    .realToString = realToString,
    .stringToReal = stringToReal,
};

std::string formatReal(AIReal value, ASInt16 precision) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-Infinity" : "Infinity";
    }
    const int places = std::clamp<int>(precision, 0, kMaxPrecision);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", places, static_cast<double>(value));
    std::string fixed = trimmed(text);
    if (fixed.size() <= kMaxNumberText) {
        return fixed;
    }
    // Too long written out: the most significant digits that fit, with an exponent.
    for (int digits = 9; digits >= 1; --digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strlen(text) <= kMaxNumberText) {
            return text;
        }
    }
    return text;
}

std::optional<AIReal> parseReal(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() == '+' || text.front() == '-') {
        return std::nullopt;
    }
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || std::isnan(value) || std::isinf(value)) {
        return std::nullopt;
    }
    return static_cast<AIReal>(negative ? -value : value);
}

}  // namespace

void registerUserSuite(Host& host) {
    registerSuite<kUserKey>(host, gUserSuite);
}

}  // namespace simhost
