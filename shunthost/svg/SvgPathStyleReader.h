// A path's style from its element: the inherited SVG properties, the paint
// servers its fill and stroke show, and the exact values the writer kept
// beside them in the project's own attributes.
#ifndef SHUNTHOST_SVG_SVGPATHSTYLEREADER_H
#define SHUNTHOST_SVG_SVGPATHSTYLEREADER_H

#include <string>
#include <string_view>
#include <vector>

#include "SvgDocument.h"
#include "SvgPaintProperties.h"
#include "SvgPaintServers.h"
#include "SvgPaintValues.h"
#include "SvgReadContext.h"

namespace shunthost::svg {

class PathStyleReader {
public:
    PathStyleReader(PaintServers& servers, ReadErrors& errors, const OwnNames& own)
        : servers_(servers), errors_(errors), own_(own) {}

    // The style of a path or mystery path element, its pattern matrix in the
    // element's own user space; notes in `source` the pattern of ours that its
    // fill shows, and in `fillPattern` the pattern it shows (null for none).
    AIPathStyle read(pugi::xml_node element, const ElementAttributes& attributes,
                     const InheritedStyle& inherited, ArtSource& source, pugi::xml_node& fillPattern);

private:
    struct Resolved {
        PaintValues values;
        pugi::xml_node pattern;
    };
    Resolved resolve(pugi::xml_node element, const Paint& paint, const Rgb& color, bool isFill);
    std::vector<float> ownNumbers(pugi::xml_node node, const std::string& name, std::size_t count);
    long long ownInteger(pugi::xml_node node, const std::string& name, std::string_view text, long long low,
                         long long high);
    // Pattern fields that SVG has no attribute for, from one of our own patterns.
    void readPatternFields(pugi::xml_node own, AIPathStyle& style);
    // Exact values the writer kept beside an SVG paint; used while the SVG
    // still shows what they show, so an edit made elsewhere is never undone.
    PaintValues withExactValues(pugi::xml_node element, const std::string& name, std::string_view text,
                                const PaintValues& read);

    PaintServers& servers_;
    ReadErrors& errors_;
    const OwnNames& own_;
};

}  // namespace shunthost::svg

#endif
