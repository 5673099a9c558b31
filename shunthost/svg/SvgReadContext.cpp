#include "SvgReadContext.h"

#include <algorithm>
#include <cstring>

#include "SvgError.h"

namespace shunthost::svg {

int ReadErrors::lineAt(std::ptrdiff_t offset) {
    if (offset < 0) {
        return 0;
    }
    if (!loaded_) {
        text_ = original_();
        loaded_ = true;
    }
    const auto end =
        text_.begin() + std::min<std::ptrdiff_t>(offset, static_cast<std::ptrdiff_t>(text_.size()));
    return 1 + static_cast<int>(std::count(text_.begin(), end, '\n'));
}

void ReadErrors::fail(pugi::xml_node element, const std::string& message) {
    throw SvgError(sourceName_, lineAt(element.offset_debug()), message);
}

ElementAttributes gatherAttributes(pugi::xml_node element, std::string_view prefix, const OwnNames& own) {
    ElementAttributes out;
    const char first = prefix.empty() ? '\0' : prefix.front();
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
         attribute = attribute.next_attribute()) {
        // Names are compared as C strings and values measured only when
        // taken: most attributes are none of these ("d", "x", "width"...), and
        // a path's data may be long.
        const char* name = attribute.name();
        if (name[0] == first && std::strncmp(name, prefix.data(), prefix.size()) == 0 &&
            name[prefix.size()] == ':') {
            const std::string_view ownName(name);
            if (ownName == own.artType)
                out.artType = attribute.value();
            else if (ownName == own.fill)
                out.fillValues = attribute.value();
            else if (ownName == own.stroke)
                out.strokeValues = attribute.value();
            else if (ownName == own.fillRule)
                out.fillRule = attribute.value();
            else if (ownName == own.lineCap)
                out.lineCap = attribute.value();
            else if (ownName == own.lineJoin)
                out.lineJoin = attribute.value();
            else if (ownName == own.overprint)
                out.overprint = attribute.value();
            continue;
        }
        switch (name[0]) {
            case 'i':
                if (name[1] == 'd' && name[2] == '\0')
                    out.id = attribute.value();
                break;
            case 't':
                if (std::strcmp(name, "transform") == 0)
                    out.transform = attribute.value();
                break;
            case 'h':
                if (std::strcmp(name, "href") == 0)
                    out.href = attribute.value();
                break;
            case 'x':
                if (std::strcmp(name, "xlink:href") == 0 && out.href.empty())
                    out.href = attribute.value();
                break;
            case 's':
                if (std::strcmp(name, "style") == 0) {
                    out.style = attribute.value();
                    break;
                }
                [[fallthrough]];
            case 'f':
            case 'c':
                if (const auto property = propertyNamed(name)) {
                    out.give(*property, attribute.value());
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
