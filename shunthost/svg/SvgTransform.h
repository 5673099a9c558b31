// SVG transform lists and the turn between the host's page coordinates, which
// grow upward, and SVG's, which grow downward.
#ifndef SHUNTHOST_SVG_SVGTRANSFORM_H
#define SHUNTHOST_SVG_SVGTRANSFORM_H

#include <optional>
#include <string>
#include <string_view>

#include "hostapi/ASTypes.h"
#include "simhost/Document.h"

namespace shunthost::svg {

// An affine map in double precision: x' = a·x + c·y + e, y' = b·x + d·y + f.
// Compositions are worked out in these and rounded to the host's floats once.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    static Affine of(const AIRealMatrix& m) { return {m.a, m.b, m.c, m.d, m.tx, m.ty}; }
    // Each number rounded to the nearest float.
    AIRealMatrix rounded() const;
    bool isIdentity() const { return a == 1 && b == 0 && c == 0 && d == 1 && e == 0 && f == 0; }
    bool isFinite() const;
    // The inverse map; nullopt when there is none (the map squashes the plane
    // onto a line or a point) or it is out of range.
    std::optional<Affine> inverse() const;
};

// m · n: `n` applies first, as in a transform list read left to right.
Affine times(const Affine& m, const Affine& n);

// The transform list in double precision, before any rounding.
std::optional<Affine> parseTransformExactly(std::string_view text);

// A transform list ("translate(0,8) rotate(30)", "matrix(1 0 0 1 0 0)") as one
// matrix; empty text is the identity. A list of one matrix() keeps its six
// numbers bit for bit; longer lists are composed in double and rounded once.
std::optional<AIRealMatrix> parseTransform(std::string_view text);

// "matrix(a,b,c,d,e,f)" with every number read back bit for bit.
std::string formatTransform(const AIRealMatrix& m);

// The same map seen with the vertical axis turned over: F·M·F with F = diag(1, -1),
// i.e. (a, -b, -c, d, tx, -ty), where a zero keeps its sign so that the
// identity stays the identity. Its own inverse, and exact in floats.
AIRealMatrix flipVertical(const AIRealMatrix& m);

bool isIdentity(const AIRealMatrix& m);

// Bit for bit, as the host's document compares them.
using simhost::sameBits;

}  // namespace shunthost::svg

#endif
