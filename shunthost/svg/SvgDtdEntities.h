// The entities a document declares in its doctype, which editors use for
// namespaces and shared styles (xmlns="&ns_svg;", style="&st0;").
#ifndef SHUNTHOST_SVG_SVGDTDENTITIES_H
#define SHUNTHOST_SVG_SVGDTDENTITIES_H

#include <string_view>

#include "SvgXmlText.h"

namespace shunthost::svg {

// The internal general entities declared in a doctype (the text between
// "<!DOCTYPE" and its ">"), their replacement texts with character
// references resolved and entity references left for XmlText. Nothing outside
// the text is ever read: external entities and external parts of the doctype
// are skipped. Throws XmlTextError when the declarations are malformed.
XmlEntities internalEntities(std::string_view doctype);

}  // namespace shunthost::svg

#endif
