#include "DocumentDump.h"

#include <span>

#include "SvgNumbers.h"

namespace shunthost::svg {

namespace {

std::string matrixText(const AIRealMatrix& m) {
    const float values[] = {m.a, m.b, m.c, m.d, m.tx, m.ty};
    return formatFloatList(values);
}

std::string pair(float first, float second) {
    const float values[] = {first, second};
    return formatFloatList(values);
}

const char* boolean(AIBoolean value) {
    return value != 0 ? "1" : "0";
}

std::string pathStyleText(const AIPathStyle& s) {
    std::string dash = "-";
    if (s.dashCount > 0) {
        const auto count = static_cast<std::size_t>(std::min<int>(s.dashCount, kMaxDashComponents));
        dash = formatFloatList(std::span<const float>(s.dash, count));
    }
    return std::string(" fillPaint=") + boolean(s.fillPaint) +
           " fillKind=" + std::to_string(s.fillColorKind) + " patternMatrix=" + matrixText(s.transform) +
           " shift=" + pair(s.shiftDist, s.shiftAngle) + " scale=" + pair(s.scaleH, s.scaleV) +
           " rotate=" + formatFloat(s.rotate) + " reflect=" + boolean(s.reflect) +
           " reflectAngle=" + formatFloat(s.reflectAngle) + " shear=" + pair(s.shearAngle, s.shearAxis) +
           " strokePaint=" + boolean(s.strokePaint) + " dash=" + dash +
           " dashOffset=" + formatFloat(s.dashOffset);
}

}  // namespace

std::string dumpObject(const simhost::ArtObject& object) {
    std::string line = "object " + object.name + " type=" + std::to_string(object.type);
    switch (object.type) {
        case kPathArt:
        case kMysteryPathArt:
            line += pathStyleText(object.style);
            break;
        case kPlacedArt:
        case kRasterArt:
        case kForeignObjectArt:
            line += " matrix=" + matrixText(object.matrix);
            break;
        default:
            break;
    }
    return line;
}

std::vector<std::string> dumpObjects(const simhost::Document& document) {
    std::vector<std::string> lines;
    for (const simhost::ArtId id : document.documentOrder()) {
        lines.push_back(dumpObject(document.art(id)));
    }
    return lines;
}

}  // namespace shunthost::svg
