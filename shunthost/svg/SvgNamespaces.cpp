#include "SvgNamespaces.h"

#include <optional>

#include "SvgXmlText.h"

namespace shunthost::svg {

XmlNames namespacesOf(pugi::xml_node root, XmlText& text) {
    XmlNames names;
    bool xlinkTaken = false;
    std::optional<std::string_view> defaultNamespace;
    for (const pugi::xml_attribute attribute : root.attributes()) {
        const std::string_view name = attribute.name();
        if (!name.starts_with("xmlns")) {
            continue;
        }
        const std::string_view uri = text.decode(attribute);
        if (name == "xmlns") {
            defaultNamespace = uri;
        } else if (name.starts_with("xmlns:")) {
            const std::string_view prefix = name.substr(6);
            if (uri == kSvgNamespace && names.svgPrefix.empty()) {
                names.svgPrefix = prefix;
            } else if (uri == kXlinkNamespace && !names.xlinkBound) {
                names.xlinkPrefix = prefix;
                names.xlinkBound = true;
            } else if (prefix == "xlink") {
                xlinkTaken = true;
            }
        }
    }
    if (!names.xlinkBound && xlinkTaken) {
        // "xlink" means something else here: bind XLink to a free variant.
        for (int n = 2;; ++n) {
            names.xlinkPrefix = "xlink" + std::to_string(n);
            if (!root.attribute(("xmlns:" + names.xlinkPrefix).c_str())) {
                break;
            }
        }
    }
    names.xlinkHref = names.xlinkPrefix + ":href";
    // A file that binds no namespace at all is taken as SVG, as renderers do;
    // one that binds SVG to a prefix alone has no SVG elements without it.
    if (defaultNamespace && !defaultNamespace->empty()) {
        names.unprefixedIsSvg = *defaultNamespace == kSvgNamespace;
    } else {
        names.unprefixedIsSvg = names.svgPrefix.empty();
    }
    return names;
}

}  // namespace shunthost::svg
