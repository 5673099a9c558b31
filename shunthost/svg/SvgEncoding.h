// The character encoding of an SVG file. The XML is parsed as UTF-8; a file
// in another encoding XML allows (UTF-16 or UTF-32 with or without a byte
// order mark, or whatever its declaration names: ISO-8859-1, windows-1252,
// Shift_JIS...) is converted on reading and converted back on saving, so the
// saved file keeps its encoding, its declaration and its byte order mark.
#ifndef SHUNTHOST_SVG_SVGENCODING_H
#define SHUNTHOST_SVG_SVGENCODING_H

#include <stdexcept>
#include <string>
#include <string_view>

namespace shunthost::svg {

struct EncodingError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct SourceEncoding {
    std::string name;  // the converter's name; empty for UTF-8
    std::string bom;   // the byte order mark the file began with

    bool isUtf8() const { return name.empty(); }
};

// The encoding of a file's bytes, from its byte order mark, the layout of its
// first characters or its declaration. Throws EncodingError for one the
// converter does not know.
SourceEncoding detectEncoding(std::string_view bytes);

// The text after the byte order mark, as UTF-8. Throws EncodingError for
// bytes that are not text in that encoding.
std::string toUtf8(std::string_view bytes, const SourceEncoding& encoding);

// UTF-8 text in the encoding, without the byte order mark; a character the
// encoding cannot hold becomes a character reference ("&#8364;").
std::string fromUtf8(std::string_view text, const SourceEncoding& encoding);

}  // namespace shunthost::svg

#endif
