// The SVG properties the host models on paths, as inherited from element to
// element: fill, stroke and their opacities, the stroke's width, joins, caps
// and dashes, and `color` for currentColor.
#ifndef SHUNTHOST_SVG_SVGPAINTPROPERTIES_H
#define SHUNTHOST_SVG_SVGPAINTPROPERTIES_H

#include <array>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "SvgColor.h"
#include "hostapi/AIArtSuites.h"

namespace shunthost::svg {

enum class Property {
    Fill,
    FillOpacity,
    FillRule,
    Stroke,
    StrokeWidth,
    StrokeOpacity,
    StrokeMiterlimit,
    StrokeLinecap,
    StrokeLinejoin,
    StrokeDasharray,
    StrokeDashoffset,
    Color,
};
inline constexpr std::size_t kPropertyCount = 12;

std::optional<Property> propertyNamed(std::string_view name);
const char* propertyName(Property property);

struct Paint {
    // Other: a paint the host does not model (context-fill, context-stroke, a
    // colour with alpha, a reference outside the file): kept as written.
    enum class Kind : unsigned char { None, Color, Url, CurrentColor, Other };
    Kind kind = Kind::None;
    Rgb rgb{};
    std::string_view url;   // Url: the referenced id, without '#'
    std::string_view text;  // Url: the whole value, for paint servers kept as they are
    bool hasFallback = false;
    Kind fallbackKind = Kind::None;  // Url: None, Color or CurrentColor after the url()
    Rgb fallbackRgb{};
};

inline Paint blackPaint() {
    Paint paint;
    paint.kind = Paint::Kind::Color;
    return paint;
}

// One element's values after inheritance. Views point into the XML document.
struct InheritedStyle {
    Paint fill = blackPaint();  // SVG's initial fill is black
    Paint stroke{};             // and its initial stroke none
    Rgb color{};
    AIReal fillOpacity = 1;
    AIBoolean evenOddFill = 0;
    AIReal strokeWidth = 1;
    AIReal strokeOpacity = 1;
    AIReal miterLimit = 4;
    ASInt32 lineCap = 0;   // butt, round, square
    ASInt32 lineJoin = 0;  // miter, round, bevel
    ASInt16 dashCount = 0;
    std::array<AIReal, kMaxDashComponents> dash{};
    AIReal dashOffset = 0;
};

// A value SVG would not take, with the reason.
struct BadValue : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Sets one property from its text; "inherit" keeps what the parent gave. A
// value the host cannot read in a property the palette never changes is kept
// in the file as it is and leaves the inherited value; one in the dashes,
// which the palette changes, throws BadValue.
void applyProperty(InheritedStyle& style, Property property, std::string_view value);

Paint parsePaint(std::string_view text);

// Keywords the host's enumerations stand for, and back.
const char* lineCapName(ASInt32 cap);
const char* lineJoinName(ASInt32 join);

}  // namespace shunthost::svg

#endif
