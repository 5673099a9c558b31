// Conversions of the host's Unicode strings over ICU. The platform encoding
// is Mac OS Roman, ICU's converter "macintosh".
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <memory>

#include "simhost/UnicodeStrings.h"

namespace simhost::unicode {

namespace {

const char* converterName(AICharacterEncoding encoding) {
    switch (encoding) {
        case kAIPlatformCharacterEncoding:
        case kAIRomanCharacterEncoding:
            return "macintosh";
        case kAIUTF8CharacterEncoding:
            return "UTF-8";
    }
    return nullptr;
}

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter open(AICharacterEncoding encoding) {
    const char* name = converterName(encoding);
    if (name == nullptr) {
        return nullptr;
    }
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name, &status));
    return U_SUCCESS(status) ? std::move(converter) : nullptr;
}

}  // namespace

bool fullSupport() {
    return true;
}

std::optional<std::u16string> decode(std::string_view bytes, AICharacterEncoding encoding) {
    Converter converter = open(encoding);
    if (!converter) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    // Bytes that are not valid in the encoding are an error, not a U+FFFD.
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::u16string out(bytes.size() + 1, u'\0');  // no 8-bit encoding here yields more units than bytes
    const int32_t length = ucnv_toUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()),
                                         bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::optional<std::string> encode(std::u16string_view text, AICharacterEncoding encoding) {
    Converter converter = open(encoding);
    if (!converter) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    if (encoding != kAIUTF8CharacterEncoding) {
        ucnv_setSubstChars(converter.get(), "?", 1, &status);
    }
    // A unit never needs more than three bytes.
    std::string out(text.size() * 3 + 1, '\0');
    const int32_t length = ucnv_fromUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()),
                                           text.data(), static_cast<int32_t>(text.size()), &status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::optional<std::u16string> normalize(std::u16string_view text, ASInt32 form) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = nullptr;
    switch (form) {
        case ai::UnicodeString::kForm_NFD:
            normalizer = icu::Normalizer2::getNFDInstance(status);
            break;
        case ai::UnicodeString::kForm_NFC:
            normalizer = icu::Normalizer2::getNFCInstance(status);
            break;
        case ai::UnicodeString::kForm_NFKD:
            normalizer = icu::Normalizer2::getNFKDInstance(status);
            break;
        case ai::UnicodeString::kForm_NFKC:
            normalizer = icu::Normalizer2::getNFKCInstance(status);
            break;
        default:
            return std::nullopt;
    }
    if (U_FAILURE(status) || normalizer == nullptr) {
        return std::nullopt;
    }
    const icu::UnicodeString source(false, text.data(), static_cast<int32_t>(text.size()));
    const icu::UnicodeString result = normalizer->normalize(source, status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    return std::u16string(result.getBuffer(), static_cast<std::size_t>(result.length()));
}

char32_t foldCase(char32_t codePoint) {
    const auto folded =
        static_cast<char32_t>(u_foldCase(static_cast<UChar32>(codePoint), U_FOLD_CASE_DEFAULT));
    // Simple folding stays in the same plane, so the unit count holds.
    return (folded > 0xFFFF) == (codePoint > 0xFFFF) ? folded : codePoint;
}

}  // namespace simhost::unicode
