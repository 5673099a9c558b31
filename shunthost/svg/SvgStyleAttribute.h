// The `style` attribute: CSS declarations "name: value; ...". Read without
// copying, and edited so that every other declaration keeps its text.
#ifndef SHUNTHOST_SVG_SVGSTYLEATTRIBUTE_H
#define SHUNTHOST_SVG_SVGSTYLEATTRIBUTE_H

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace shunthost::svg {

// Calls `visit(name, value)` for each declaration in order, both trimmed; a
// trailing "!important" is dropped from the value.
void forEachDeclaration(std::string_view style,
                        const std::function<void(std::string_view name, std::string_view value)>& visit);

// The same with whether each declaration is !important.
void forEachDeclaration(
    std::string_view style,
    const std::function<void(std::string_view name, std::string_view value, bool important)>& visit);

// The style text with `name: value` added at its end.
std::string appendDeclaration(std::string_view style, std::string_view name, std::string_view value);

// The style text with the value of the last declaration of `name` replaced;
// nullopt when the text has no such declaration.
std::optional<std::string> replaceDeclaration(std::string_view style, std::string_view name,
                                              std::string_view value);

}  // namespace shunthost::svg

#endif
