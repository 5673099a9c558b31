#include "SvgReadContext.h"

#include <algorithm>

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
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
         attribute = attribute.next_attribute()) {
        // Values are measured only when taken: most attributes are none of
        // these ("d", "x", "width"...), and a path's data may be long.
        const std::string_view name = attribute.name();
        if (name.size() > prefix.size() && name[prefix.size()] == ':' && name.starts_with(prefix)) {
            if (name == own.artType)
                out.artType = attribute.value();
            else if (name == own.fill)
                out.fillValues = attribute.value();
            else if (name == own.stroke)
                out.strokeValues = attribute.value();
            else if (name == own.fillRule)
                out.fillRule = attribute.value();
            else if (name == own.lineCap)
                out.lineCap = attribute.value();
            else if (name == own.lineJoin)
                out.lineJoin = attribute.value();
            else if (name == own.overprint)
                out.overprint = attribute.value();
            continue;
        }
        // The first letter sends most names on their way.
        switch (name.empty() ? '\0' : name.front()) {
            case 'i':
                if (name == "id")
                    out.id = attribute.value();
                break;
            case 't':
                if (name == "transform")
                    out.transform = attribute.value();
                break;
            case 'h':
                if (name == "href")
                    out.href = attribute.value();
                break;
            case 'x':
                if (name == "xlink:href" && out.href.empty())
                    out.href = attribute.value();
                break;
            case 's':
                if (name == "style") {
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
