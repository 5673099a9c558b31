// Where an element sits on the page. The host keeps every matrix in page
// coordinates: the root element's user space (its viewBox units), with the
// vertical axis turned upward. An element's own matrix (a pattern's
// patternTransform, an image's transform) sits between what lies outside it
// (its ancestors' transforms and nested viewports, and for a shape its own
// transform) and what lies inside it (an image's placement of its picture).
#ifndef SHUNTHOST_SVG_SVGPAGESPACE_H
#define SHUNTHOST_SVG_SVGPAGESPACE_H

#include <optional>
#include <pugixml.hpp>
#include <string_view>

#include "SvgTransform.h"
#include "SvgXmlText.h"

namespace shunthost::svg {

// The size of a viewport in its own user units, what percentages refer to.
struct ViewportSize {
    double width = 0;
    double height = 0;
};

// preserveAspectRatio: where the picture goes in its box, and whether it is
// stretched ("none"), fitted whole ("meet", the default) or made to cover the
// box ("slice"). An unreadable value is the default, as renderers take it.
struct AspectRatio {
    double alignX = 0.5;  // 0 min, 0.5 mid, 1 max
    double alignY = 0.5;
    bool none = false;
    bool slice = false;
};
AspectRatio parseAspectRatio(std::string_view text);

// The map from a box of `boxWidth` × `boxHeight` at (boxX, boxY) of the
// content into the viewport (x, y, width, height), as a viewBox maps. A box
// without area maps by translation alone.
Affine fitBox(double boxX, double boxY, double boxWidth, double boxHeight, double x, double y, double width,
              double height, const AspectRatio& aspect);

// A length of a viewport's or image's geometry (x, y, width, height) in user
// units; a percentage is of `reference`. nullopt: missing or unreadable.
std::optional<double> geometryLength(std::string_view text, double reference);

// A nested <svg>: the map from its content's user space into the user space
// it sits in, and the size of the viewport its content sees. Its values are
// read as they mean through `text`.
Affine nestedViewport(pugi::xml_node svg, XmlText& text, const ViewportSize& outside, ViewportSize& inside);

// The viewport the root gives its content: its viewBox, else its width and
// height; unknown parts are 0.
ViewportSize rootViewport(pugi::xml_node root, XmlText& text);

// The host's matrix for an element: outside · own · inside, in page
// coordinates turned upward, rounded to floats once. With nothing outside or
// inside it is the element's own matrix turned upward, exact in floats.
AIRealMatrix toHostMatrix(const Affine& outside, const Affine& own, const Affine& inside);
AIRealMatrix toHostMatrix(const Affine& outside, const AIRealMatrix& own, const Affine& inside);

// The element's own matrix that gives the host's matrix `host`: the one whose
// toHostMatrix is `host` bit for bit where such a float matrix is found, else
// the nearest. nullopt when outside or inside has no inverse (the element is
// squashed flat on the page) or the result is not finite.
std::optional<AIRealMatrix> fromHostMatrix(const Affine& outside, const AIRealMatrix& host,
                                           const Affine& inside);

}  // namespace shunthost::svg

#endif
