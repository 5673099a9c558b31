#include "SvgEncoding.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <memory>

namespace shunthost::svg {

namespace {

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// The value of encoding="..." in an XML declaration at the start; empty if none.
std::string_view declaredEncoding(std::string_view bytes) {
    if (!startsWith(bytes, "<?xml")) {
        return {};
    }
    const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
    const std::size_t key = declaration.find("encoding");
    if (key == std::string_view::npos) {
        return {};
    }
    const std::size_t quote = declaration.find_first_of("\"'", key);
    if (quote == std::string_view::npos) {
        return {};
    }
    const std::size_t end = declaration.find(declaration[quote], quote + 1);
    if (end == std::string_view::npos) {
        return {};
    }
    return declaration.substr(quote + 1, end - quote - 1);
}

struct CloseConverter {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, CloseConverter>;

Converter openConverter(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name.c_str(), &status));
    if (U_FAILURE(status) || !converter) {
        throw EncodingError("unknown encoding '" + name + "'");
    }
    return converter;
}

int32_t checkedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT32_MAX / 2)) {
        throw EncodingError("too large to convert from its encoding");
    }
    return static_cast<int32_t>(size);
}

}  // namespace

SourceEncoding detectEncoding(std::string_view bytes) {
    // Byte order marks, the longer ones first (UTF-32LE begins like UTF-16LE).
    static constexpr struct {
        std::string_view bom;
        const char* name;
    } kMarks[] = {
        {std::string_view("\xFF\xFE\x00\x00", 4), "UTF-32LE"},
        {std::string_view("\x00\x00\xFE\xFF", 4), "UTF-32BE"},
        {"\xEF\xBB\xBF", ""},
        {"\xFF\xFE", "UTF-16LE"},
        {"\xFE\xFF", "UTF-16BE"},
    };
    for (const auto& mark : kMarks) {
        if (startsWith(bytes, mark.bom)) {
            return {mark.name, std::string(mark.bom)};
        }
    }
    // Without a mark, "<?" in two-byte units tells the byte order.
    if (startsWith(bytes, std::string_view("<\0?\0", 4))) {
        return {"UTF-16LE", ""};
    }
    if (startsWith(bytes, std::string_view("\0<\0?", 4))) {
        return {"UTF-16BE", ""};
    }
    const std::string_view declared = declaredEncoding(bytes);
    // A declaration of UTF-16 on bytes that are not is taken as UTF-8, as
    // other readers do.
    if (declared.empty() || equalsIgnoringCase(declared, "UTF-8") || equalsIgnoringCase(declared, "UTF8") ||
        equalsIgnoringCase(declared.substr(0, 6), "UTF-16") ||
        equalsIgnoringCase(declared.substr(0, 6), "UTF-32")) {
        return {};
    }
    const std::string name(declared);
    openConverter(name);  // known?
    return {name, ""};
}

std::string toUtf8(std::string_view bytes, const SourceEncoding& encoding) {
    bytes.remove_prefix(std::min(bytes.size(), encoding.bom.size()));
    if (encoding.isUtf8()) {
        return std::string(bytes);
    }
    const Converter converter = openConverter(encoding.name);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::u16string utf16(bytes.size() + 1, u'\0');
    const int32_t units = ucnv_toUChars(converter.get(), utf16.data(), checkedLength(utf16.size()),
                                        bytes.data(), checkedLength(bytes.size()), &status);
    if (U_FAILURE(status)) {
        throw EncodingError("not text in its encoding " + encoding.name);
    }
    std::string utf8(static_cast<std::size_t>(units) * 3, '\0');
    int32_t length = 0;
    u_strToUTF8(utf8.data(), checkedLength(utf8.size()), &length, utf16.data(), units, &status);
    if (U_FAILURE(status)) {
        throw EncodingError("not text in its encoding " + encoding.name);
    }
    utf8.resize(static_cast<std::size_t>(length));
    return utf8;
}

std::string fromUtf8(std::string_view text, const SourceEncoding& encoding) {
    if (encoding.isUtf8()) {
        return std::string(text);
    }
    UErrorCode status = U_ZERO_ERROR;
    std::u16string utf16(text.size() + 1, u'\0');
    int32_t units = 0;
    // Bytes that are no UTF-8 (kept from a file that had them) become U+FFFD.
    u_strFromUTF8WithSub(utf16.data(), checkedLength(utf16.size()), &units, text.data(),
                         checkedLength(text.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) {
        throw EncodingError("cannot convert the text to " + encoding.name);
    }
    const Converter converter = openConverter(encoding.name);
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_ESCAPE, UCNV_ESCAPE_XML_DEC, nullptr, nullptr,
                          &status);
    // Measured first: a character the encoding lacks takes up to ten bytes.
    const int32_t needed = ucnv_fromUChars(converter.get(), nullptr, 0, utf16.data(), units, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        status = U_ZERO_ERROR;
    }
    ucnv_resetFromUnicode(converter.get());
    std::string out(static_cast<std::size_t>(needed) + 1, '\0');
    const int32_t length =
        ucnv_fromUChars(converter.get(), out.data(), checkedLength(out.size()), utf16.data(), units, &status);
    if (U_FAILURE(status)) {
        throw EncodingError("cannot convert the text to " + encoding.name);
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

}  // namespace shunthost::svg
