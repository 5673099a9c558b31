#include "SvgPaintServers.h"

#include <cstring>

#include "SvgArtRole.h"
#include "SvgTransform.h"
#include "simhost/Handles.h"

namespace shunthost::svg {

namespace {

bool isPaintServer(const char* name) {
    return std::strcmp(name, "pattern") == 0 || std::strcmp(name, "linearGradient") == 0 ||
           std::strcmp(name, "radialGradient") == 0;
}

}  // namespace

std::size_t PaintServers::collect(pugi::xml_node root) {
    std::size_t artElements = 0;
    const XmlNames& names = artwork_.names;
    forEachElement(root, [&](pugi::xml_node node) {
        const char* local = names.svgLocalName(node);
        if (roleOf(local) != Role::NotArt) {
            ++artElements;
            return;
        }
        if (!isPaintServer(local)) {
            if (std::strcmp(local, "style") == 0) {
                styleElements_.push_back(node);
            }
            return;
        }
        const std::string_view id = artwork_.value(node.attribute("id"));
        if (id.empty()) {
            return;
        }
        servers_.emplace(id, node);
        if (std::strcmp(local, "pattern") == 0 && !isOwnPattern(node)) {
            patternIds_.emplace(node.internal_object(),
                                artwork_.document.addPattern(simhost::Pattern{std::string(id)}));
            artwork_.patterns.push_back(node);
        }
    });
    return artElements;
}

pugi::xml_node PaintServers::find(std::string_view id) const {
    const auto found = servers_.find(id);
    return found == servers_.end() ? pugi::xml_node() : found->second;
}

std::string_view PaintServers::hrefOf(pugi::xml_node element) const {
    const pugi::xml_attribute plain = element.attribute("href");
    return artwork_.value(plain ? plain : element.attribute(artwork_.names.xlinkHref.c_str()));
}

// The pattern that `pattern` refers to by href, or null.
pugi::xml_node PaintServers::referencedPattern(pugi::xml_node pattern) {
    const std::string_view href = hrefOf(pattern);
    if (href.empty()) {
        return {};
    }
    const auto found = href.starts_with('#') ? servers_.find(href.substr(1)) : servers_.end();
    if (found == servers_.end() || !artwork_.names.isSvg(found->second, "pattern")) {
        errors_.fail(pattern, "pattern refers to " + quoted(href) + ", which is no pattern of this document");
    }
    return found->second;
}

// The shared pattern behind one of our own.
pugi::xml_node PaintServers::sharedPatternOf(pugi::xml_node own) {
    pugi::xml_node node = own;
    for (int depth = 0; depth < kMaxHrefChain; ++depth) {
        node = referencedPattern(node);
        if (!node) {
            errors_.fail(own, "pattern made for a path refers to no shared pattern");
        }
        if (!isOwnPattern(node)) {
            return node;
        }
    }
    errors_.fail(own, "pattern references form a loop");
}

// patternTransform, inherited along href as SVG does.
std::pair<AIRealMatrix, Affine> PaintServers::patternTransform(pugi::xml_node pattern) {
    pugi::xml_node node = pattern;
    for (int depth = 0; node && depth < kMaxHrefChain; ++depth) {
        const pugi::xml_attribute attribute = node.attribute("patternTransform");
        if (attribute) {
            const std::string_view text = artwork_.value(attribute);
            const auto rounded = parseTransform(text);
            const auto exact = parseTransformExactly(text);
            if (!rounded || !exact) {
                errors_.fail(node, "bad patternTransform " + quoted(text));
            }
            return {*rounded, *exact};
        }
        node = referencedPattern(node);
    }
    if (node) {
        errors_.fail(pattern, "pattern references form a loop");
    }
    return {AIRealMatrix{1, 0, 0, 1, 0, 0}, Affine{}};
}

const PaintServers::PatternFill& PaintServers::patternFill(pugi::xml_node pattern) {
    const auto known = patternFills_.find(pattern.internal_object());
    if (known != patternFills_.end()) {
        return known->second;
    }
    const bool own = isOwnPattern(pattern);
    const pugi::xml_node shared = own ? sharedPatternOf(pattern) : pattern;
    const auto [rounded, exact] = patternTransform(pattern);
    const PatternFill fill{simhost::patternHandle(patternIds_.at(shared.internal_object())),
                           flipVertical(rounded), exact, own};
    return patternFills_.emplace(pattern.internal_object(), fill).first->second;
}

}  // namespace shunthost::svg
