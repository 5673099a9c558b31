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
    // A file that binds no default namespace is taken as SVG when its root is
    // a plain <svg>, as librsvg and Inkscape take it (Inkscape's own examples
    // bind only xmlns:svg); one whose root is <svg:svg> has no SVG elements
    // without the prefix.
    if (defaultNamespace && !defaultNamespace->empty()) {
        names.unprefixedIsSvg = *defaultNamespace == kSvgNamespace;
    } else {
        names.unprefixedIsSvg = names.svgPrefix.empty() || std::string_view(root.name()) == "svg";
    }
    return names;
}

}  // namespace shunthost::svg
