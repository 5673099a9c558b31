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
