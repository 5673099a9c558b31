// A fill or stroke as the host keeps it (painted flag, colour kind, four
// components) and as SVG can show it. SVG shows a colour as #rrggbb and knows
// nothing of colour kinds, so what a plain SVG paint reads back as is fixed
// here once, for the reader and for the writer, which adds an exact copy of
// the values in the project's own attribute whenever they differ.
#ifndef SHUNTHOST_SVG_SVGPAINTVALUES_H
#define SHUNTHOST_SVG_SVGPAINTVALUES_H

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "SvgColor.h"
#include "hostapi/AIArtSuites.h"

namespace shunthost::svg {

struct PaintValues {
    AIBoolean painted = 0;
    ASInt32 kind = kGrayColor;
    std::array<AIReal, 4> components{};
};

PaintValues fillValues(const AIPathStyle& style);
PaintValues strokeValues(const AIPathStyle& style);
void setFillValues(AIPathStyle& style, const PaintValues& values);
void setStrokeValues(AIPathStyle& style, const PaintValues& values);

// What an SVG paint shows, which is all that survives without our attribute.
enum class PaintMode { None, Color, Pattern, OtherServer };
PaintMode paintMode(const PaintValues& values, bool patternsAllowed);

// The values a plain SVG paint of that mode reads back as; `serverKind` is the
// colour kind of a paint server the host does not model (kGradient, or kPattern
// on a stroke).
PaintValues plainPaintValues(PaintMode mode, const Rgb& rgb = {}, ASInt32 serverKind = kGradient);

// Whether two values show the same on the page (same mode, same #rrggbb).
bool showSame(const PaintValues& a, const PaintValues& b, bool patternsAllowed);

bool sameBits(const PaintValues& a, const PaintValues& b);

// "PAINTED,KIND,C0,C1,C2,C3", exact.
std::string formatPaintValues(const PaintValues& values);
std::optional<PaintValues> parsePaintValues(std::string_view text);

}  // namespace shunthost::svg

#endif
