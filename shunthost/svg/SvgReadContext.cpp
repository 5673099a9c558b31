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
    for (const pugi::xml_attribute attribute : element.attributes()) {
        const std::string_view name = attribute.name();
        const std::string_view value = attribute.value();
        if (name.size() > prefix.size() && name[prefix.size()] == ':' && name.starts_with(prefix)) {
            if (name == own.artType)
                out.artType = value;
            else if (name == own.fill)
                out.fillValues = value;
            else if (name == own.stroke)
                out.strokeValues = value;
            else if (name == own.fillRule)
                out.fillRule = value;
            else if (name == own.lineCap)
                out.lineCap = value;
            else if (name == own.lineJoin)
                out.lineJoin = value;
            else if (name == own.overprint)
                out.overprint = value;
            continue;
        }
        // Most attributes are none of these ("d", "x", "width"...): the first
        // letter sends them on their way.
        switch (name.empty() ? '\0' : name.front()) {
            case 'i':
                if (name == "id")
                    out.id = value;
                break;
            case 't':
                if (name == "transform")
                    out.transform = value;
                break;
            case 'h':
                if (name == "href")
                    out.href = value;
                break;
            case 'x':
                if (name == "xlink:href" && out.href.empty())
                    out.href = value;
                break;
            case 's':
                if (name == "style") {
                    out.style = value;
                    break;
                }
                [[fallthrough]];
            case 'f':
            case 'c':
                if (const auto property = propertyNamed(name)) {
                    out.properties[static_cast<std::size_t>(*property)] = value;
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
