#include "SvgPathStyleReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "SvgNumbers.h"
#include "simhost/Document.h"

namespace shunthost::svg {

PathStyleReader::Resolved PathStyleReader::resolve(pugi::xml_node element, const Paint& paint,
                                                   const Rgb& color, bool isFill) {
    switch (paint.kind) {
        case Paint::Kind::None:
            return {plainPaintValues(PaintMode::None), {}};
        case Paint::Kind::Color:
            return {plainPaintValues(PaintMode::Color, paint.rgb), {}};
        case Paint::Kind::CurrentColor:
            return {plainPaintValues(PaintMode::Color, color), {}};
        case Paint::Kind::Other:
            // Kept as written, like a gradient: the palette leaves such a path alone.
            return {plainPaintValues(PaintMode::OtherServer, {}, kGradient), {}};
        case Paint::Kind::Url:
            break;
    }
    const pugi::xml_node server = servers_.find(paint.url);
    if (!server) {
        if (!paint.hasFallback) {
            // A dangling reference, or a paint server the host does not model
            // (a hatch): renderers draw nothing or their own, the file keeps it.
            Paint other;
            other.kind = Paint::Kind::Other;
            return resolve(element, other, color, isFill);
        }
        Paint fallback;
        fallback.kind = paint.fallbackKind;
        fallback.rgb = paint.fallbackRgb;
        return resolve(element, fallback, color, isFill);
    }
    if (!servers_.names().isSvg(server, "pattern")) {
        return {plainPaintValues(PaintMode::OtherServer, {}, kGradient), {}};
    }
    if (!isFill) {
        return {plainPaintValues(PaintMode::OtherServer, {}, kPattern), {}};
    }
    return {plainPaintValues(PaintMode::Pattern), server};
}

std::vector<float> PathStyleReader::ownNumbers(pugi::xml_node node, const std::string& name,
                                               std::size_t count) {
    const pugi::xml_attribute attribute = node.attribute(name.c_str());
    if (!attribute) {
        return {};
    }
    const std::string_view text = servers_.value(attribute);
    const auto numbers = parseNumberList(text);
    if (!numbers || numbers->size() != count) {
        errors_.fail(node, "bad " + name + " " + quoted(text) + ": " + std::to_string(count) +
                               (count == 1 ? " number" : " numbers") + " expected");
    }
    return *numbers;
}

long long PathStyleReader::ownInteger(pugi::xml_node node, const std::string& name, std::string_view text,
                                      long long low, long long high) {
    const auto value = parseInteger(text);
    if (!value || *value < low || *value > high) {
        errors_.fail(node, "bad " + name + " " + quoted(text));
    }
    return *value;
}

void PathStyleReader::readPatternFields(pugi::xml_node own, AIPathStyle& style) {
    if (const auto v = ownNumbers(own, own_.shift, 2); !v.empty()) {
        style.shiftDist = v[0];
        style.shiftAngle = v[1];
    }
    if (const auto v = ownNumbers(own, own_.scale, 2); !v.empty()) {
        style.scaleH = v[0];
        style.scaleV = v[1];
    }
    if (const auto v = ownNumbers(own, own_.rotate, 1); !v.empty()) {
        style.rotate = v[0];
    }
    if (const pugi::xml_attribute reflect = own.attribute(own_.reflect.c_str())) {
        const std::string_view text = servers_.value(reflect);
        const std::size_t comma = text.find(',');
        const auto angle =
            comma == std::string_view::npos ? std::nullopt : parseNumber(text.substr(comma + 1));
        if (!angle) {
            errors_.fail(own, "bad " + own_.reflect + " " + quoted(text) + ": REFLECTED,ANGLE expected");
        }
        style.reflect = static_cast<AIBoolean>(ownInteger(own, own_.reflect, text.substr(0, comma), 0, 255));
        style.reflectAngle = *angle;
    }
    if (const auto v = ownNumbers(own, own_.shear, 2); !v.empty()) {
        style.shearAngle = v[0];
        style.shearAxis = v[1];
    }
}

PaintValues PathStyleReader::withExactValues(pugi::xml_node element, const std::string& name,
                                             std::string_view text, const PaintValues& read) {
    if (text.empty()) {
        return read;
    }
    const auto exact = parsePaintValues(text);
    if (!exact) {
        errors_.fail(element, "bad " + name + " " + quoted(text) + ": PAINTED,KIND,C0,C1,C2,C3 expected");
    }
    return showSame(*exact, read, name == own_.fill) ? *exact : read;
}

AIPathStyle PathStyleReader::read(pugi::xml_node element, const ElementAttributes& attributes,
                                  const InheritedStyle& inherited, ArtSource& source,
                                  pugi::xml_node& fillPattern) {
    AIPathStyle style = simhost::defaultPathStyle();
    const Resolved fill = resolve(element, inherited.fill, inherited.color, true);
    const Resolved stroke = resolve(element, inherited.stroke, inherited.color, false);
    setFillValues(style, withExactValues(element, own_.fill, attributes.fillValues, fill.values));
    setStrokeValues(style, withExactValues(element, own_.stroke, attributes.strokeValues, stroke.values));
    fillPattern = fill.pattern;
    if (fill.pattern) {
        const PaintServers::PatternFill& pattern = servers_.patternFill(fill.pattern);
        style.pattern = pattern.handle;
        style.transform = pattern.matrix;
        if (pattern.own) {
            source.ownPattern = fill.pattern;
            readPatternFields(fill.pattern, style);
        }
    }
    style.fillOpacity = inherited.fillOpacity;
    style.evenOddFill = inherited.evenOddFill;
    style.strokeWidth = inherited.strokeWidth;
    style.strokeOpacity = inherited.strokeOpacity;
    style.miterLimit = inherited.miterLimit;
    style.lineCap = inherited.lineCap;
    style.lineJoin = inherited.lineJoin;
    style.dashCount = inherited.dashCount;
    std::copy(inherited.dash.begin(), inherited.dash.end(), style.dash);
    style.dashOffset = inherited.dashOffset;

    if (!attributes.fillRule.empty()) {
        const auto rule =
            static_cast<AIBoolean>(ownInteger(element, own_.fillRule, attributes.fillRule, 0, 255));
        style.evenOddFill = (rule != 0) == (style.evenOddFill != 0) ? rule : style.evenOddFill;
    }
    if (!attributes.lineCap.empty()) {
        const auto cap =
            static_cast<ASInt32>(ownInteger(element, own_.lineCap, attributes.lineCap, INT32_MIN, INT32_MAX));
        style.lineCap = std::strcmp(lineCapName(cap), lineCapName(style.lineCap)) == 0 ? cap : style.lineCap;
    }
    if (!attributes.lineJoin.empty()) {
        const auto join = static_cast<ASInt32>(
            ownInteger(element, own_.lineJoin, attributes.lineJoin, INT32_MIN, INT32_MAX));
        style.lineJoin =
            std::strcmp(lineJoinName(join), lineJoinName(style.lineJoin)) == 0 ? join : style.lineJoin;
    }
    if (!attributes.overprint.empty()) {
        const std::string_view text = attributes.overprint;
        const std::size_t comma = text.find(',');
        if (comma == std::string_view::npos) {
            errors_.fail(element, "bad " + own_.overprint + " " + quoted(text) + ": FILL,STROKE expected");
        }
        style.fillOverprint =
            static_cast<AIBoolean>(ownInteger(element, own_.overprint, text.substr(0, comma), 0, 255));
        style.strokeOverprint =
            static_cast<AIBoolean>(ownInteger(element, own_.overprint, text.substr(comma + 1), 0, 255));
    }
    return style;
}

}  // namespace shunthost::svg
