// The paint servers of a document: patterns and gradients by id. The
// patterns shared between paths become the host document's patterns; the
// patterns the writer made for single paths ("ours", marked for=) stand for
// the shared pattern they refer to.
#ifndef SHUNTHOST_SVG_SVGPAINTSERVERS_H
#define SHUNTHOST_SVG_SVGPAINTSERVERS_H

#include <pugixml.hpp>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "SvgDocument.h"
#include "SvgReadContext.h"

namespace shunthost::svg {

class PaintServers {
public:
    PaintServers(SvgArtwork& artwork, ReadErrors& errors, const OwnNames& own)
        : artwork_(artwork), errors_(errors), own_(own) {}

    // Finds every paint server under `root`; adds the shared patterns to the
    // document in document order. Returns the number of elements of kinds
    // that become art: at least as many as there will be objects.
    std::size_t collect(pugi::xml_node root);

    // The paint server with that id, or null.
    pugi::xml_node find(std::string_view id) const;

    const XmlNames& names() const { return artwork_.names; }
    // What an attribute's value means (XmlText).
    std::string_view value(pugi::xml_attribute attribute) const { return artwork_.value(attribute); }

    bool isOwnPattern(pugi::xml_node pattern) const {
        return !pattern.attribute(own_.forPath.c_str()).empty();
    }

    // What a fill of one <pattern> gives a path, worked out once per pattern:
    // many paths show the same one.
    struct PatternFill {
        AIPatternHandle handle;
        AIRealMatrix matrix;  // in host coordinates, as in the pattern's own user space
        Affine exact;         // patternTransform before rounding, in SVG coordinates
        bool own;
    };
    const PatternFill& patternFill(pugi::xml_node pattern);

    std::string_view hrefOf(pugi::xml_node element) const;

    // The <style> elements, in document order.
    const std::vector<pugi::xml_node>& styleElements() const { return styleElements_; }

private:
    static constexpr int kMaxHrefChain = 64;

    // The pattern that `pattern` refers to by href, or null.
    pugi::xml_node referencedPattern(pugi::xml_node pattern);
    // The shared pattern behind one of our own.
    pugi::xml_node sharedPatternOf(pugi::xml_node own);
    // patternTransform, inherited along href as SVG does.
    // Rounded to floats once, and before rounding.
    std::pair<AIRealMatrix, Affine> patternTransform(pugi::xml_node pattern);

    SvgArtwork& artwork_;
    ReadErrors& errors_;
    const OwnNames& own_;
    std::unordered_map<std::string_view, pugi::xml_node> servers_;
    std::unordered_map<const pugi::xml_node_struct*, simhost::PatternId> patternIds_;
    std::unordered_map<const pugi::xml_node_struct*, PatternFill> patternFills_;
    std::vector<pugi::xml_node> styleElements_;
};

}  // namespace shunthost::svg

#endif
