// The colour keywords SVG shares with CSS.
#ifndef SHUNTHOST_SVG_SVGCOLORNAMES_H
#define SHUNTHOST_SVG_SVGCOLORNAMES_H

#include <cstdint>
#include <optional>
#include <string_view>

namespace shunthost::svg {

// 0xRRGGBB of a lower-case colour keyword.
std::optional<std::uint32_t> namedColor(std::string_view lowerCaseName);

}  // namespace shunthost::svg

#endif
