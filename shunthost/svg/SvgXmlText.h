// Attribute values as the file wrote them and as they mean. The XML is parsed
// without decoding attribute values, so that an attribute the host does not
// change is saved exactly as written (entity references, character
// references, line breaks and all). What a value means is decoded here when
// the reader looks at it: references replaced, white space normalised as XML
// does. Values the writer sets are escaped here.
#ifndef SHUNTHOST_SVG_SVGXMLTEXT_H
#define SHUNTHOST_SVG_SVGXMLTEXT_H

#include <cstddef>
#include <deque>
#include <pugixml.hpp>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

namespace shunthost::svg {

// Entity references that expand past the limits, or refer to each other in a loop.
struct XmlTextError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The internal general entities a document declares: name, replacement text.
using XmlEntities = std::unordered_map<std::string, std::string>;

class XmlText {
public:
    // Whatever one value may expand to, and all values of a document together:
    // generous for styles shared by entity, far below what a small file could
    // make by nesting references.
    static constexpr std::size_t kMaxValueBytes = std::size_t{1} << 20;
    static constexpr std::size_t kMaxTotalBytes = std::size_t{64} << 20;
    static constexpr int kMaxNesting = 16;

    void setEntities(XmlEntities entities) { entities_ = std::move(entities); }
    const XmlEntities& entities() const { return entities_; }

    // The value an attribute means. Points into the document for the usual
    // value without references or line breaks; otherwise into storage that
    // lives as long as this object. Throws XmlTextError.
    std::string_view decode(pugi::xml_attribute attribute) { return decode(attribute.value()); }
    // Measures and checks the value in one pass: the reader takes a few
    // values of every element.
    std::string_view decode(const char* raw) {
        const char* end = raw;
        for (;; ++end) {
            // The end and all four lie at or below '&': one comparison for
            // nearly every letter.
            const auto c = static_cast<unsigned char>(*end);
            if (c > '&') {
                continue;
            }
            if (c == 0) {
                return {raw, static_cast<std::size_t>(end - raw)};
            }
            if (c == '&' || c == '\n' || c == '\r' || c == '\t') {
                return decodeStored(raw);
            }
        }
    }
    // Decodes into `out` (appending); throws XmlTextError.
    void decodeInto(std::string_view raw, std::string& out) const;

    static bool needsDecoding(const char* raw);

private:
    std::string_view decodeStored(const char* raw);
    void expand(std::string_view raw, std::string& out, int nesting) const;

    XmlEntities entities_;
    struct Decoded {
        std::string raw;
        std::string value;
    };
    // By the address of the raw text; checked against the text, as pugixml
    // reuses the memory of a value set later.
    std::unordered_map<const char*, Decoded> decoded_;
    std::size_t totalBytes_ = 0;
};

// The text of an attribute value that reads back as `value` (quoted with '"').
std::string escapeAttribute(std::string_view value);
// Sets an attribute to mean `value`.
void setAttributeText(pugi::xml_attribute attribute, std::string_view value);

}  // namespace shunthost::svg

#endif
