#include "SvgXmlText.h"

#include <charconv>
#include <cstring>

namespace shunthost::svg {

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// "#60" or "#x3C": the character, or 0 when it is none XML allows.
char32_t characterReference(std::string_view name) {
    const bool hex = name.size() > 1 && name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return 0;
    }
    const bool allowed = value == 0x9 || value == 0xA || value == 0xD || (value >= 0x20 && value <= 0xD7FF) ||
                         (value >= 0xE000 && value <= 0xFFFD) || (value >= 0x10000 && value <= 0x10FFFF);
    return allowed ? static_cast<char32_t>(value) : 0;
}

char predefined(std::string_view name) {
    if (name == "lt")
        return '<';
    if (name == "gt")
        return '>';
    if (name == "amp")
        return '&';
    if (name == "apos")
        return '\'';
    if (name == "quot")
        return '"';
    return 0;
}

}  // namespace

bool XmlText::needsDecoding(const char* raw) {
    return std::strpbrk(raw, "&\t\n\r") != nullptr;
}

std::string_view XmlText::decode(pugi::xml_attribute attribute) {
    return decode(attribute.value());
}

std::string_view XmlText::decode(const char* raw) {
    if (!needsDecoding(raw)) {
        return raw;
    }
    Decoded& entry = decoded_[raw];
    if (entry.raw != raw) {
        std::string value;
        decodeInto(raw, value);
        totalBytes_ += value.size();
        totalBytes_ -= std::min(totalBytes_, entry.value.size());
        if (totalBytes_ > kMaxTotalBytes) {
            throw XmlTextError("entity references expand to more than " +
                               std::to_string(kMaxTotalBytes >> 20) + " MiB in all");
        }
        entry.raw = raw;
        entry.value = std::move(value);
    }
    return entry.value;
}

void XmlText::decodeInto(std::string_view raw, std::string& out) const {
    expand(raw, out, 0);
}

// XML's attribute-value normalisation: a line end or tab is a space, character
// references stand for their character, entity references for their
// replacement text (normalised the same way). A reference the document does
// not declare is kept as written, as it was before such files were read at all.
void XmlText::expand(std::string_view raw, std::string& out, int nesting) const {
    if (nesting > kMaxNesting) {
        throw XmlTextError("entity references nest more than " + std::to_string(kMaxNesting) +
                           " deep (or refer to themselves)");
    }
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\r') {
            out += ' ';
            if (i + 1 < raw.size() && raw[i + 1] == '\n') {
                ++i;
            }
            continue;
        }
        if (c == '\n' || c == '\t') {
            out += ' ';
            continue;
        }
        const std::size_t semicolon = c == '&' ? raw.find(';', i) : std::string_view::npos;
        if (semicolon == std::string_view::npos) {
            out += c;
            continue;
        }
        const std::string_view name = raw.substr(i + 1, semicolon - i - 1);
        if (name.starts_with('#')) {
            if (const char32_t character = characterReference(name)) {
                appendUtf8(out, character);
            } else {
                out.append(raw.substr(i, semicolon - i + 1));
            }
        } else if (const char character = predefined(name)) {
            out += character;
        } else if (const auto entity = entities_.find(std::string(name)); entity != entities_.end()) {
            expand(entity->second, out, nesting + 1);
        } else {
            out.append(raw.substr(i, semicolon - i + 1));
        }
        if (out.size() > kMaxValueBytes) {
            throw XmlTextError("entity references expand to more than " +
                               std::to_string(kMaxValueBytes >> 20) + " MiB in one value");
        }
        i = semicolon;
    }
}

std::string escapeAttribute(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            case '\t':
                out += "&#9;";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

void setAttributeText(pugi::xml_attribute attribute, std::string_view value) {
    if (value.find_first_of("&<\"\n\r\t") == std::string_view::npos) {
        attribute.set_value(value.data(), value.size());
    } else {
        attribute.set_value(escapeAttribute(value).c_str());
    }
}

}  // namespace shunthost::svg
