// Conversions of the host's Unicode strings where ICU is not available (the
// 32-bit cross builds): 7-bit ASCII text converts in every encoding, since
// all three agree on it; anything else is answered with an error.
#include "simhost/UnicodeStrings.h"

namespace simhost::unicode {

namespace {

bool knownEncoding(AICharacterEncoding encoding) {
    return encoding == kAIPlatformCharacterEncoding || encoding == kAIRomanCharacterEncoding ||
           encoding == kAIUTF8CharacterEncoding;
}

template <class Text>
bool allAscii(const Text& text) {
    for (auto c : text) {
        if (static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<decltype(c)>>(c)) > 0x7F) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool fullSupport() {
    return false;
}

std::optional<std::u16string> decode(std::string_view bytes, AICharacterEncoding encoding) {
    if (!knownEncoding(encoding) || !allAscii(bytes)) {
        return std::nullopt;
    }
    return std::u16string(bytes.begin(), bytes.end());
}

std::optional<std::string> encode(std::u16string_view text, AICharacterEncoding encoding) {
    if (!knownEncoding(encoding) || !allAscii(text)) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : text) {
        out += static_cast<char>(unit);
    }
    return out;
}

std::optional<std::u16string> normalize(std::u16string_view text, ASInt32 form) {
    // ASCII text is the same in every form.
    if (form < ai::UnicodeString::kForm_NFD || form > ai::UnicodeString::kForm_NFKC || !allAscii(text)) {
        return std::nullopt;
    }
    return std::u16string(text);
}

char32_t foldCase(char32_t codePoint) {
    return codePoint >= U'A' && codePoint <= U'Z' ? codePoint + (U'a' - U'A') : codePoint;
}

}  // namespace simhost::unicode
