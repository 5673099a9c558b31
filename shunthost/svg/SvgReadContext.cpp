#include "SvgReadContext.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "SvgArtRole.h"
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

namespace {

// The name after "prefix:", or null when it has another prefix or none.
const char* afterPrefix(const char* name, std::string_view prefix) {
    for (const char c : prefix) {
        if (*name++ != c) {
            return nullptr;
        }
    }
    return *name == ':' ? name + 1 : nullptr;
}

// The rest of the name after `word`, or null when it does not begin with it.
const char* afterWord(const char* name, std::string_view word) {
    for (const char c : word) {
        if (*name++ != c) {
            return nullptr;
        }
    }
    return name;
}

// The property an attribute of that name sets: the names' letters followed
// where they part, with no measuring of the name.
std::optional<Property> propertyOfName(const char* name) {
    if (const char* rest = afterWord(name, "fill")) {
        if (*rest == 0) {
            return Property::Fill;
        }
        if (nameIs(rest, "-opacity")) {
            return Property::FillOpacity;
        }
        if (nameIs(rest, "-rule")) {
            return Property::FillRule;
        }
        return std::nullopt;
    }
    if (const char* rest = afterWord(name, "stroke")) {
        if (*rest == 0) {
            return Property::Stroke;
        }
        if (*rest++ != '-') {
            return std::nullopt;
        }
        switch (*rest) {
            case 'w':
                return nameIs(rest, "width") ? std::optional(Property::StrokeWidth) : std::nullopt;
            case 'o':
                return nameIs(rest, "opacity") ? std::optional(Property::StrokeOpacity) : std::nullopt;
            case 'm':
                return nameIs(rest, "miterlimit") ? std::optional(Property::StrokeMiterlimit) : std::nullopt;
            case 'l':
                if (nameIs(rest, "linecap")) {
                    return Property::StrokeLinecap;
                }
                return nameIs(rest, "linejoin") ? std::optional(Property::StrokeLinejoin) : std::nullopt;
            case 'd':
                if (nameIs(rest, "dasharray")) {
                    return Property::StrokeDasharray;
                }
                return nameIs(rest, "dashoffset") ? std::optional(Property::StrokeDashoffset) : std::nullopt;
            default:
                return std::nullopt;
        }
    }
    return nameIs(name, "color") ? std::optional(Property::Color) : std::nullopt;
}

}  // namespace

ElementAttributes gatherAttributes(pugi::xml_node element, SvgArtwork& artwork, const OwnNames& own) {
    ElementAttributes out;
    const std::string_view prefix = artwork.prefix;
    const std::string_view xlinkPrefix = artwork.names.xlinkPrefix;
    auto value = [&artwork](pugi::xml_attribute attribute) { return artwork.value(attribute); };
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
         attribute = attribute.next_attribute()) {
        // Values are measured only when taken: most attributes are none of
        // these ("d", "x", "width"...), and a path's data may be long.
        const char* name = attribute.name();
        // The first letter sends most names on their way.
        switch (*name) {
            case 'i':
                if (nameIs(name, "id")) {
                    // The value as written is the one meant, and measured
                    // already, unless it holds a reference.
                    const char* raw = attribute.value();
                    out.id = artwork.text.decode(raw);
                    if (out.idAsWritten.data() == nullptr) {
                        out.idAsWritten = out.id.data() == raw ? out.id : std::string_view(raw);
                    }
                    continue;
                }
                break;
            case 't':
                if (nameIs(name, "transform")) {
                    out.transform = value(attribute);
                    continue;
                }
                break;
            case 'h':
                if (nameIs(name, "href")) {
                    out.href = value(attribute);
                    continue;
                }
                break;
            case 'c':
                if (nameIs(name, "class")) {
                    if (out.classAsWritten.data() == nullptr) {
                        out.classAsWritten = attribute.value();
                    }
                    continue;
                }
                [[fallthrough]];
            case 's':
                if (nameIs(name, "style")) {
                    out.style = value(attribute);
                    continue;
                }
                [[fallthrough]];
            case 'f':
                if (const auto property = propertyOfName(name)) {
                    out.give(*property, value(attribute));
                    continue;
                }
                break;
            default:
                break;
        }
        // Prefixed names: the project's own attributes and XLink's href.
        if (const char* local = afterPrefix(name, prefix)) {
            static constexpr std::pair<const std::string OwnNames::*, std::string_view ElementAttributes::*>
                kOwnAttributes[] = {{&OwnNames::artType, &ElementAttributes::artType},
                                    {&OwnNames::fill, &ElementAttributes::fillValues},
                                    {&OwnNames::stroke, &ElementAttributes::strokeValues},
                                    {&OwnNames::fillRule, &ElementAttributes::fillRule},
                                    {&OwnNames::lineCap, &ElementAttributes::lineCap},
                                    {&OwnNames::lineJoin, &ElementAttributes::lineJoin},
                                    {&OwnNames::overprint, &ElementAttributes::overprint}};
            for (const auto& [ownName, field] : kOwnAttributes) {
                if (nameIs(local, std::string_view(own.*ownName).substr(prefix.size() + 1))) {
                    out.*field = value(attribute);
                    break;
                }
            }
            continue;
        }
        if (const char* local = afterPrefix(name, xlinkPrefix); local != nullptr && nameIs(local, "href")) {
            if (out.href.empty())
                out.href = value(attribute);
        }
    }
    return out;
}

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

}  // namespace shunthost::svg
