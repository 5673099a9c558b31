// Which elements are SVG's and how the file names XLink. A file may put SVG
// in the default namespace (the usual way) or under a prefix (<svg:svg
// xmlns:svg=...>), and may bind XLink to any prefix; both are taken from the
// bindings on the root element, where editors write them.
#ifndef SHUNTHOST_SVG_SVGNAMESPACES_H
#define SHUNTHOST_SVG_SVGNAMESPACES_H

#include <cstring>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace shunthost::svg {

class XmlText;

inline constexpr const char* kSvgNamespace = "http://www.w3.org/2000/svg";
inline constexpr const char* kXlinkNamespace = "http://www.w3.org/1999/xlink";

struct XmlNames {
    std::string svgPrefix;              // the prefix bound to SVG, "" when none is
    bool unprefixedIsSvg = true;        // no default namespace, or SVG's
    std::string xlinkPrefix = "xlink";  // bound to XLink, or free to bind
    bool xlinkBound = false;
    std::string xlinkHref = "xlink:href";  // xlinkPrefix + ":href"

    // The local name of an SVG element ("path"), or "" for an element of
    // another namespace. An unprefixed name in the usual file is the name itself.
    const char* svgLocalName(pugi::xml_node element) const { return svgLocalName(element.name()); }
    // The same from the element's name, where the caller has it already.
    const char* svgLocalName(const char* name) const {
        if (svgPrefix.empty() && unprefixedIsSvg) {
            return name;
        }
        if (!svgPrefix.empty() && std::strncmp(name, svgPrefix.c_str(), svgPrefix.size()) == 0 &&
            name[svgPrefix.size()] == ':') {
            return name + svgPrefix.size() + 1;
        }
        return unprefixedIsSvg && std::strchr(name, ':') == nullptr ? name : "";
    }
    bool isSvg(pugi::xml_node element, const char* local) const {
        return std::strcmp(svgLocalName(element), local) == 0;
    }
    // The name to give a new SVG element in this file.
    std::string svgName(std::string_view local) const {
        return unprefixedIsSvg ? std::string(local) : svgPrefix + ":" + std::string(local);
    }
};

// The names as the root element binds them; values are read through `text`,
// so a namespace given by an entity (xmlns="&ns_svg;") counts.
XmlNames namespacesOf(pugi::xml_node root, XmlText& text);

}  // namespace shunthost::svg

#endif
