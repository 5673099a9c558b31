// Writing a changed path style back into its element.
#include <cmath>
#include <span>

#include "SvgNumbers.h"
#include "SvgPaintProperties.h"
#include "SvgPaintValues.h"
#include "SvgTransform.h"
#include "SvgWriteContext.h"
#include "simhost/Handles.h"

namespace shunthost::svg {

namespace {

bool sameDash(const AIPathStyle& a, const AIPathStyle& b) {
    if (a.dashCount != b.dashCount) {
        return false;
    }
    for (int i = 0; i < a.dashCount && i < kMaxDashComponents; ++i) {
        if (!sameBits(a.dash[i], b.dash[i])) {
            return false;
        }
    }
    return true;
}

// The fields our own attributes keep beside the pattern matrix.
bool sameTransformFields(const AIPathStyle& a, const AIPathStyle& b) {
    return sameBits(a.shiftDist, b.shiftDist) && sameBits(a.shiftAngle, b.shiftAngle) &&
           sameBits(a.scaleH, b.scaleH) && sameBits(a.scaleV, b.scaleV) && sameBits(a.rotate, b.rotate) &&
           a.reflect == b.reflect && sameBits(a.reflectAngle, b.reflectAngle) &&
           sameBits(a.shearAngle, b.shearAngle) && sameBits(a.shearAxis, b.shearAxis);
}

bool samePatternFields(const AIPathStyle& a, const AIPathStyle& b) {
    return sameTransformFields(a, b) && sameBits(a.transform, b.transform);
}

std::optional<simhost::PatternId> patternIdOf(const SvgArtwork& artwork, AIPatternHandle handle) {
    const auto decoded = simhost::decodeHandle(handle);
    if (!decoded || decoded->kind != simhost::HandleKind::Pattern ||
        decoded->index >= artwork.patterns.size()) {
        return std::nullopt;
    }
    return decoded->index;
}

std::string dashText(const AIPathStyle& style) {
    if (style.dashCount <= 0) {
        return "none";
    }
    return formatFloatList(std::span<const float>(style.dash, static_cast<std::size_t>(style.dashCount)));
}

class PathStyleWriter {
public:
    PathStyleWriter(WriteContext& context, simhost::ArtId id, const AIPathStyle& now)
        : context_(context),
          artwork_(context.artwork()),
          id_(id),
          source_(artwork_.sources[id]),
          element_(source_.element),
          now_(now),
          before_(artwork_.styleRead(id)) {}

    void write() {
        writeFill();
        writeStroke();
        writeNumber("fill-opacity", now_.fillOpacity, before_.fillOpacity);
        writeNumber("stroke-width", now_.strokeWidth, before_.strokeWidth);
        writeNumber("stroke-opacity", now_.strokeOpacity, before_.strokeOpacity);
        writeNumber("stroke-miterlimit", now_.miterLimit, before_.miterLimit);
        writeNumber("stroke-dashoffset", now_.dashOffset, before_.dashOffset);
        if (!sameDash(now_, before_)) {
            set("stroke-dasharray", dashText(now_));
        }
        // Enumerations beyond what SVG names are kept exactly in our own attributes.
        if (now_.evenOddFill != before_.evenOddFill) {
            set("fill-rule", now_.evenOddFill != 0 ? "evenodd" : "nonzero");
            keepExactly("fill-rule", now_.evenOddFill > 1, [&] { return std::to_string(now_.evenOddFill); });
        }
        if (now_.lineCap != before_.lineCap) {
            set("stroke-linecap", lineCapName(now_.lineCap));
            keepExactly("stroke-linecap", now_.lineCap < 0 || now_.lineCap > 2,
                        [&] { return std::to_string(now_.lineCap); });
        }
        if (now_.lineJoin != before_.lineJoin) {
            set("stroke-linejoin", lineJoinName(now_.lineJoin));
            keepExactly("stroke-linejoin", now_.lineJoin < 0 || now_.lineJoin > 2,
                        [&] { return std::to_string(now_.lineJoin); });
        }
        if (now_.fillOverprint != before_.fillOverprint || now_.strokeOverprint != before_.strokeOverprint) {
            keepExactly("overprint", now_.fillOverprint != 0 || now_.strokeOverprint != 0, [&] {
                return std::to_string(now_.fillOverprint) + "," + std::to_string(now_.strokeOverprint);
            });
        }
    }

private:
    void set(const char* name, const std::string& value) {
        const auto property = propertyNamed(name);
        const auto bit = property ? 1u << static_cast<unsigned>(*property) : 0u;
        setProperty(artwork_, element_, name, value, (source_.fromSheet & bit) != 0,
                    (source_.importantInSheet & bit) != 0);
    }

    void writeNumber(const char* property, float now, float before) {
        if (!sameBits(now, before)) {
            set(property, formatFloat(now));
        }
    }

    // The value is made only when it is written.
    template <class MakeValue>
    void keepExactly(std::string_view local, bool needed, MakeValue makeValue) {
        if (needed) {
            context_.setOwnAttribute(element_, local, makeValue());
        } else {
            context_.removeOwnAttribute(element_, local);
        }
    }

    void writeFill() {
        const PaintValues now = fillValues(now_);
        const PaintMode mode = paintMode(now, true);
        const bool patternChanged = mode == PaintMode::Pattern &&
                                    (now_.pattern != before_.pattern || !samePatternFields(now_, before_));
        if (sameBits(now, fillValues(before_)) && !patternChanged) {
            return;
        }
        Rgb rgb{};
        switch (mode) {
            case PaintMode::None:
                releaseOwnPattern();
                set("fill", "none");
                break;
            case PaintMode::Color:
                releaseOwnPattern();
                rgb = screenColor(now.kind, now.components.data());
                set("fill", formatColor(rgb));
                // What SVG shows is the nearest #rrggbb; read back, that is the colour.
                rgb = *parseColor(formatColor(rgb));
                break;
            case PaintMode::Pattern: {
                // A fill that shows its own pattern already names it: a
                // move of every path of a large drawing writes no fill.
                const pugi::xml_node shown = source_.ownPattern;
                const pugi::xml_node own = writeOwnPattern();
                if (own != shown) {
                    set("fill", "url(#" + std::string(own.attribute("id").value()) + ")");
                }
                if (sameBits(now, fillValues(before_))) {
                    return;  // what our own attribute keeps is as it was
                }
                break;
            }
            case PaintMode::OtherServer:
                break;  // the element keeps the paint server it has (checked beforehand)
        }
        const PaintValues plain = plainPaintValues(mode, rgb, now.kind);
        keepExactly("fill", !sameBits(now, plain), [&] { return formatPaintValues(now); });
    }

    void writeStroke() {
        const PaintValues now = strokeValues(now_);
        if (sameBits(now, strokeValues(before_))) {
            return;
        }
        const PaintMode mode = paintMode(now, false);
        Rgb rgb{};
        if (mode == PaintMode::None) {
            set("stroke", "none");
        } else if (mode == PaintMode::Color) {
            rgb = screenColor(now.kind, now.components.data());
            set("stroke", formatColor(rgb));
            rgb = *parseColor(formatColor(rgb));
        }
        const PaintValues plain = plainPaintValues(mode, rgb, now.kind);
        keepExactly("stroke", !sameBits(now, plain), [&] { return formatPaintValues(now); });
    }

    // The fill no longer shows our own pattern: drop the pattern once no path shows it.
    void releaseOwnPattern() {
        if (!source_.ownPattern) {
            return;
        }
        context_.addOwnPatternUser(source_.ownPattern, -1);
        if (context_.ownPatternUsers(source_.ownPattern) <= 0) {
            removeElement(artwork_, source_.ownPattern);
        }
        source_.ownPattern = {};
    }

    // The path's own pattern, made or updated: it refers to the shared pattern
    // and carries this path's matrix, so paths sharing a pattern render each
    // with its own. One that other paths show too is left to them.
    pugi::xml_node writeOwnPattern() {
        pugi::xml_node own = source_.ownPattern;
        // A pattern made here has no attributes to look for: they are added.
        bool made = false;
        if (!own || context_.ownPatternUsers(own) > 1) {
            made = true;
            if (own) {
                context_.addOwnPatternUser(own, -1);
            }
            pugi::xml_node defs = context_.defs();
            own = defs.append_child(artwork_.names.svgName("pattern").c_str());
            defs.append_child(pugi::node_pcdata).set_value("\n");
            setAttributeText(own.append_attribute("id"),
                             context_.uniqueId(std::string(artwork_.nameAsRead(id_)) + "-fill"));
            context_.madeOwnPattern(own);
            source_.ownPattern = own;
        }
        const pugi::xml_node shared = artwork_.patterns[*patternIdOf(artwork_, now_.pattern)];
        // By xlink:href, which every renderer and editor follows; a plain href
        // there already (SVG 2's, which wins) is kept pointing to the same.
        const std::string href = "#" + std::string(artwork_.value(shared.attribute("id")));
        setAttribute(own, artwork_.names.xlinkHref.c_str(), href, made);
        if (!made && own.attribute("href")) {
            setAttribute(own, "href", href, made);
        }
        context_.bindXlink();
        setAttribute(own, "patternTransform", formatTransform(*ownMatrix(artwork_, id_, now_.transform)),
                     made);
        context_.setOwnAttribute(own, "for", artwork_.document.art(id_).name);
        // Fields that did not change since the pattern was written (or read)
        // are left as they are.
        if (made || !sameTransformFields(now_, before_)) {
            writePatternField(own, made, "shift", {now_.shiftDist, now_.shiftAngle}, {0, 0});
            writePatternField(own, made, "scale", {now_.scaleH, now_.scaleV}, {100, 100});
            writePatternField(own, made, "rotate", {now_.rotate}, {0});
            if (now_.reflect != 0 || !sameBits(now_.reflectAngle, 0.0f) ||
                (!made && own.attribute(context_.ownName("reflect").c_str()))) {
                context_.setOwnAttribute(own, "reflect",
                                         std::to_string(now_.reflect) + "," + formatFloat(now_.reflectAngle));
            }
            writePatternField(own, made, "shear", {now_.shearAngle, now_.shearAxis}, {0, 0});
        }
        return own;
    }

    // Written when it differs from the default or was there already.
    void writePatternField(pugi::xml_node own, bool made, std::string_view local,
                           std::initializer_list<float> values, std::initializer_list<float> defaults) {
        bool isDefault = true;
        for (auto v = values.begin(), d = defaults.begin(); v != values.end(); ++v, ++d) {
            isDefault = isDefault && sameBits(*v, *d);
        }
        if (isDefault && (made || !own.attribute(context_.ownName(local).c_str()))) {
            return;
        }
        context_.setOwnAttribute(own, local,
                                 formatFloatList(std::span<const float>(values.begin(), values.size())));
    }

    // On an element just made the attribute cannot be there yet.
    static void setAttribute(pugi::xml_node element, const char* name, const std::string& value, bool made) {
        pugi::xml_attribute attribute = made ? pugi::xml_attribute() : element.attribute(name);
        if (!attribute) {
            attribute = element.append_attribute(name);
        }
        setAttributeText(attribute, value);
    }

    WriteContext& context_;
    SvgArtwork& artwork_;
    simhost::ArtId id_;
    ArtSource& source_;
    pugi::xml_node element_;
    const AIPathStyle& now_;
    const AIPathStyle before_;  // a copy: the style read is put together when asked for
};

bool allFinite(std::initializer_list<float> values) {
    for (float v : values) {
        if (!std::isfinite(v)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string checkPathStyle(const SvgArtwork& artwork, simhost::ArtId id, const AIPathStyle& style) {
    const AIPathStyle& before = artwork.styleRead(id);
    const PaintValues fill = fillValues(style);
    const PaintValues stroke = strokeValues(style);
    if (paintMode(fill, true) == PaintMode::Pattern && !patternIdOf(artwork, style.pattern)) {
        return "its fill refers to a pattern this document does not have";
    }
    if (paintMode(fill, true) == PaintMode::OtherServer &&
        !(paintMode(fillValues(before), true) == PaintMode::OtherServer &&
          before.fillColorKind == fill.kind)) {
        return "its fill became a gradient, which the host cannot make";
    }
    if (paintMode(stroke, false) == PaintMode::OtherServer &&
        !(paintMode(strokeValues(before), false) == PaintMode::OtherServer &&
          before.strokeColorKind == stroke.kind)) {
        return "its stroke became a pattern or gradient, which the host cannot make";
    }
    if (style.dashCount < 0 || style.dashCount > kMaxDashComponents) {
        return "it has " + std::to_string(style.dashCount) + " dash components; 0 to " +
               std::to_string(kMaxDashComponents) + " can be written";
    }
    // The pattern is written when the fill changed; then its matrix must have
    // a form in the path's own terms.
    const bool patternWritten = paintMode(fill, true) == PaintMode::Pattern &&
                                (!sameBits(fill, fillValues(before)) || style.pattern != before.pattern ||
                                 !samePatternFields(style, before));
    if (patternWritten && !ownMatrix(artwork, id, style.transform)) {
        return kSquashed;
    }
    const AIRealMatrix& m = style.transform;
    // Pattern fields are written only while the fill shows a pattern.
    bool finite =
        paintMode(fill, true) != PaintMode::Pattern ||
        allFinite({style.shiftDist, style.shiftAngle, style.scaleH, style.scaleV, style.rotate,
                   style.reflectAngle, style.shearAngle, style.shearAxis, m.a, m.b, m.c, m.d, m.tx, m.ty});
    finite = finite && allFinite({style.strokeWidth, style.miterLimit, style.fillOpacity, style.strokeOpacity,
                                  style.dashOffset, fill.components[0], fill.components[1],
                                  fill.components[2], fill.components[3], stroke.components[0],
                                  stroke.components[1], stroke.components[2], stroke.components[3]});
    for (int i = 0; i < style.dashCount; ++i) {
        finite = finite && std::isfinite(style.dash[i]);
    }
    if (!finite) {
        return "its path style holds a number that is infinite or not a number, which SVG cannot hold";
    }
    return {};
}

void writePathStyle(WriteContext& context, simhost::ArtId id, const AIPathStyle& now) {
    PathStyleWriter(context, id, now).write();
}

}  // namespace shunthost::svg
