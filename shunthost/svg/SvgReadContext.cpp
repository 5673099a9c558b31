#include "SvgReadContext.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "SvgError.h"

namespace shunthost::svg {

LineEnds::LineEnds(std::string_view text) : bits_(text.size() / 64 + 1, 0), size_(text.size()) {
    for (const char* at = text.data();
         const void* found = std::memchr(at, '\n', text.data() + text.size() - at);
         at = static_cast<const char*>(found) + 1) {
        const auto position = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        bits_[position / 64] |= std::uint64_t{1} << (position % 64);
    }
}

int LineEnds::lineAt(std::ptrdiff_t offset) const {
    if (offset < 0) {
        return 0;
    }
    const auto end = std::min(static_cast<std::size_t>(offset), size_);
    int line = 1;
    for (std::size_t word = 0; word < end / 64; ++word) {
        line += std::popcount(bits_[word]);
    }
    if (end % 64 != 0) {
        line += std::popcount(bits_[end / 64] & ((std::uint64_t{1} << (end % 64)) - 1));
    }
    return line;
}

void ReadErrors::fail(pugi::xml_node element, const std::string& message) {
    throw SvgError(sourceName_, lineAt(element.offset_debug()), message);
}

ElementAttributes gatherAttributes(pugi::xml_node element, SvgArtwork& artwork, const OwnNames& own) {
    ElementAttributes out;
    const std::string_view prefix = artwork.prefix;
    const std::string_view xlinkHref = artwork.names.xlinkHref;
    auto value = [&artwork](pugi::xml_attribute attribute) { return artwork.value(attribute); };
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
         attribute = attribute.next_attribute()) {
        // Values are measured only when taken: most attributes are none of
        // these ("d", "x", "width"...), and a path's data may be long.
        const std::string_view name = attribute.name();
        if (name.size() > prefix.size() && name[prefix.size()] == ':' && name.starts_with(prefix)) {
            if (name == own.artType)
                out.artType = value(attribute);
            else if (name == own.fill)
                out.fillValues = value(attribute);
            else if (name == own.stroke)
                out.strokeValues = value(attribute);
            else if (name == own.fillRule)
                out.fillRule = value(attribute);
            else if (name == own.lineCap)
                out.lineCap = value(attribute);
            else if (name == own.lineJoin)
                out.lineJoin = value(attribute);
            else if (name == own.overprint)
                out.overprint = value(attribute);
            continue;
        }
        if (name == xlinkHref) {
            if (out.href.empty())
                out.href = value(attribute);
            continue;
        }
        // The first letter sends most names on their way.
        switch (name.empty() ? '\0' : name.front()) {
            case 'i':
                if (name == "id") {
                    out.id = value(attribute);
                    if (out.idAsWritten.data() == nullptr) {
                        out.idAsWritten = attribute.value();
                    }
                }
                break;
            case 't':
                if (name == "transform")
                    out.transform = value(attribute);
                break;
            case 'h':
                if (name == "href")
                    out.href = value(attribute);
                break;
            case 's':
                if (name == "style") {
                    out.style = value(attribute);
                    break;
                }
                [[fallthrough]];
            case 'f':
            case 'c':
                if (name == "class") {
                    if (out.classAsWritten.data() == nullptr) {
                        out.classAsWritten = attribute.value();
                    }
                } else if (const auto property = propertyNamed(name)) {
                    out.give(*property, value(attribute));
                }
                break;
            default:
                break;
        }
    }
    return out;
}

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

}  // namespace shunthost::svg
