#include "SvgPageSpace.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include "SvgNumbers.h"

namespace shunthost::svg {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The next word of `text` from `pos`.
std::string_view nextWord(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && isSpace(text[pos])) {
        ++pos;
    }
    const std::size_t start = pos;
    while (pos < text.size() && !isSpace(text[pos])) {
        ++pos;
    }
    return text.substr(start, pos - start);
}

// Negates every number but the zeros, which keep their sign, as flipVertical does.
double opposite(double value) {
    return value == 0.0 ? value : -value;
}

// F·M·F with F = diag(1, -1): the same map with the vertical axis turned over.
Affine turned(const Affine& m) {
    return {m.a, opposite(m.b), opposite(m.c), m.d, m.e, opposite(m.f)};
}

bool sameBitsAll(const AIRealMatrix& x, const AIRealMatrix& y) {
    return sameBits(x, y);
}

constexpr int kUlpsTried = 3;

float ulpsAway(float value, int ulps) {
    for (; ulps > 0; --ulps) {
        value = std::nextafter(value, HUGE_VALF);
    }
    for (; ulps < 0; ++ulps) {
        value = std::nextafter(value, -HUGE_VALF);
    }
    return value;
}

}  // namespace

AspectRatio parseAspectRatio(std::string_view text) {
    AspectRatio aspect;
    std::size_t pos = 0;
    std::string_view word = nextWord(text, pos);
    if (word == "defer") {
        word = nextWord(text, pos);
    }
    if (word == "none") {
        aspect.none = true;
    } else if (word.size() == 8 && word[0] == 'x' && word[4] == 'Y') {
        auto align = [](std::string_view part) -> std::optional<double> {
            if (part == "Min")
                return 0.0;
            if (part == "Mid")
                return 0.5;
            if (part == "Max")
                return 1.0;
            return std::nullopt;
        };
        const auto x = align(word.substr(1, 3));
        const auto y = align(word.substr(5, 3));
        if (!x || !y) {
            return {};
        }
        aspect.alignX = *x;
        aspect.alignY = *y;
    } else if (!word.empty()) {
        return {};
    }
    const std::string_view fit = nextWord(text, pos);
    if (fit == "slice") {
        aspect.slice = true;
    } else if (!fit.empty() && fit != "meet") {
        return {};
    }
    return aspect;
}

Affine fitBox(double boxX, double boxY, double boxWidth, double boxHeight, double x, double y, double width,
              double height, const AspectRatio& aspect) {
    if (!(boxWidth > 0) || !(boxHeight > 0) || !(width > 0) || !(height > 0)) {
        return {1, 0, 0, 1, x - boxX, y - boxY};
    }
    double sx = width / boxWidth;
    double sy = height / boxHeight;
    if (!aspect.none) {
        sx = sy = aspect.slice ? std::max(sx, sy) : std::min(sx, sy);
    }
    double tx = x - boxX * sx;
    double ty = y - boxY * sy;
    if (!aspect.none) {
        tx += (width - boxWidth * sx) * aspect.alignX;
        ty += (height - boxHeight * sy) * aspect.alignY;
    }
    return {sx, 0, 0, sy, tx, ty};
}

std::optional<double> geometryLength(std::string_view text, double reference) {
    text = trimmed(text);
    if (text.empty()) {
        return std::nullopt;
    }
    if (text.back() == '%') {
        const auto percent = parseNumber(text.substr(0, text.size() - 1));
        if (!percent) {
            return std::nullopt;
        }
        return static_cast<double>(*percent) / 100.0 * reference;
    }
    const auto length = parseLength(text);
    if (!length) {
        return std::nullopt;
    }
    return *length;
}

namespace {

// The viewBox "x y width height", when it has four numbers and an area.
std::optional<std::array<double, 4>> viewBoxOf(pugi::xml_node svg, XmlText& text) {
    const pugi::xml_attribute attribute = svg.attribute("viewBox");
    if (!attribute) {
        return std::nullopt;
    }
    const auto numbers = parseNumberList(text.decode(attribute));
    if (!numbers || numbers->size() != 4 || !((*numbers)[2] > 0) || !((*numbers)[3] > 0)) {
        return std::nullopt;
    }
    return std::array<double, 4>{(*numbers)[0], (*numbers)[1], (*numbers)[2], (*numbers)[3]};
}

double lengthOr(pugi::xml_node element, XmlText& text, const char* name, double reference, double otherwise) {
    const pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) {
        return otherwise;
    }
    return geometryLength(text.decode(attribute), reference).value_or(otherwise);
}

}  // namespace

Affine nestedViewport(pugi::xml_node svg, XmlText& text, const ViewportSize& outside, ViewportSize& inside) {
    const double x = lengthOr(svg, text, "x", outside.width, 0);
    const double y = lengthOr(svg, text, "y", outside.height, 0);
    const double width = lengthOr(svg, text, "width", outside.width, outside.width);
    const double height = lengthOr(svg, text, "height", outside.height, outside.height);
    Affine placement{1, 0, 0, 1, x, y};
    inside = {width, height};
    if (const auto box = viewBoxOf(svg, text)) {
        placement = fitBox((*box)[0], (*box)[1], (*box)[2], (*box)[3], x, y, width, height,
                           parseAspectRatio(text.decode(svg.attribute("preserveAspectRatio"))));
        inside = {(*box)[2], (*box)[3]};
    }
    // A transform on a nested <svg> applies outside its viewport; one that
    // cannot be read is ignored, as renderers ignore it.
    if (const pugi::xml_attribute transform = svg.attribute("transform")) {
        if (const auto own = parseTransformExactly(text.decode(transform))) {
            return times(*own, placement);
        }
    }
    return placement;
}

ViewportSize rootViewport(pugi::xml_node root, XmlText& text) {
    if (const auto box = viewBoxOf(root, text)) {
        return {(*box)[2], (*box)[3]};
    }
    return {lengthOr(root, text, "width", 0, 0), lengthOr(root, text, "height", 0, 0)};
}

namespace {

Affine absolute(const Affine& m) {
    return {std::fabs(m.a), std::fabs(m.b), std::fabs(m.c), std::fabs(m.d), std::fabs(m.e), std::fabs(m.f)};
}

// A number no larger than the rounding error of the float numbers it was
// composed from is a zero that rounding hid: a shape turned by 20 degrees,
// whose pattern was reset, holds rotate(-20) in floats, and the composition
// would otherwise give 1.6e-8 where the host set 0.
double noiseToZero(double value, double magnitude) {
    constexpr double kFloatNoise = 0x1p-21;  // a few float ulps, relative
    return std::fabs(value) <= magnitude * kFloatNoise ? 0.0 : value;
}

}  // namespace

AIRealMatrix toHostMatrix(const Affine& outside, const Affine& own, const Affine& inside) {
    const Affine m = times(times(outside, own), inside);
    const Affine size = times(times(absolute(outside), absolute(own)), absolute(inside));
    const Affine cleaned{noiseToZero(m.a, size.a), noiseToZero(m.b, size.b), noiseToZero(m.c, size.c),
                         noiseToZero(m.d, size.d), noiseToZero(m.e, size.e), noiseToZero(m.f, size.f)};
    return turned(cleaned).rounded();
}

AIRealMatrix toHostMatrix(const Affine& outside, const AIRealMatrix& own, const Affine& inside) {
    if (outside.isIdentity() && inside.isIdentity()) {
        return flipVertical(own);
    }
    return toHostMatrix(outside, Affine::of(own), inside);
}

std::optional<AIRealMatrix> fromHostMatrix(const Affine& outside, const AIRealMatrix& host,
                                           const Affine& inside) {
    if (outside.isIdentity() && inside.isIdentity()) {
        return flipVertical(host);
    }
    const auto outsideInverse = outside.inverse();
    const auto insideInverse = inside.inverse();
    if (!outsideInverse || !insideInverse) {
        return std::nullopt;
    }
    const Affine page = turned(Affine::of(host));
    Affine own = times(times(*outsideInverse, page), *insideInverse);
    // The inverse turned back the same turn in other roundings: what is left
    // of a zero is noise, and a plain 0 reads back as well.
    const Affine size = times(times(absolute(*outsideInverse), absolute(page)), absolute(*insideInverse));
    own = {noiseToZero(own.a, size.a), noiseToZero(own.b, size.b), noiseToZero(own.c, size.c),
           noiseToZero(own.d, size.d), noiseToZero(own.e, size.e), noiseToZero(own.f, size.f)};
    AIRealMatrix rounded = own.rounded();
    // Rounding the own matrix to floats may move the page matrix it gives by
    // an ulp; a few corrections by what is left over usually find the float
    // matrix that gives the host's numbers exactly.
    for (int attempt = 0; attempt < 4 && !sameBitsAll(toHostMatrix(outside, rounded, inside), host);
         ++attempt) {
        const Affine back = times(times(outside, Affine::of(rounded)), inside);
        const Affine left{page.a - back.a, page.b - back.b, page.c - back.c,
                          page.d - back.d, page.e - back.e, page.f - back.f};
        // The own matrix changed by X changes the page matrix by outside·X·inside
        // where X moves no origin of its own: X = outside⁻¹·left·inside⁻¹ with
        // only the linear part of outside⁻¹ acting on `left`.
        const Affine linearOutside{
            outsideInverse->a, outsideInverse->b, outsideInverse->c, outsideInverse->d, 0, 0};
        const Affine step = times(times(linearOutside, left), *insideInverse);
        own = Affine{own.a + step.a, own.b + step.b, own.c + step.c,
                     own.d + step.d, own.e + step.e, own.f + step.f};
        rounded = own.rounded();
    }
    // What is left is within an ulp or two: the floats around each pair of
    // numbers that makes a pair of the page matrix (a and b, c and d, the
    // translation) are tried in turn.
    float* numbers[] = {&rounded.a, &rounded.b, &rounded.c, &rounded.d, &rounded.tx, &rounded.ty};
    for (int pair = 0; pair < 3; ++pair) {
        auto pairMatches = [&](const AIRealMatrix& candidate) {
            const AIRealMatrix back = toHostMatrix(outside, candidate, inside);
            const float got[] = {back.a, back.b, back.c, back.d, back.tx, back.ty};
            const float want[] = {host.a, host.b, host.c, host.d, host.tx, host.ty};
            return sameBits(got[2 * pair], want[2 * pair]) && sameBits(got[2 * pair + 1], want[2 * pair + 1]);
        };
        if (pairMatches(rounded)) {
            continue;
        }
        const float first = *numbers[2 * pair];
        const float second = *numbers[2 * pair + 1];
        bool found = false;
        for (int i = -kUlpsTried; i <= kUlpsTried && !found; ++i) {
            for (int j = -kUlpsTried; j <= kUlpsTried && !found; ++j) {
                *numbers[2 * pair] = ulpsAway(first, i);
                *numbers[2 * pair + 1] = ulpsAway(second, j);
                found = pairMatches(rounded);
            }
        }
        if (!found) {
            *numbers[2 * pair] = first;
            *numbers[2 * pair + 1] = second;
        }
    }
    const float values[] = {rounded.a, rounded.b, rounded.c, rounded.d, rounded.tx, rounded.ty};
    for (const float value : values) {
        if (!std::isfinite(value)) {
            return std::nullopt;
        }
    }
    return rounded;
}

}  // namespace shunthost::svg
