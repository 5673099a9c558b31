// The transcript's `object ...` lines for a document.
#ifndef SHUNTHOST_SVG_DOCUMENTDUMP_H
#define SHUNTHOST_SVG_DOCUMENTDUMP_H

#include <string>
#include <vector>

#include "simhost/Document.h"

namespace shunthost::svg {

// One line per live object, in document order, groups before their members:
//   object ID type=T [fields]
// Paths (2) and mystery path art (8) show their path style:
//   fillPaint= fillKind= patternMatrix= shift= scale= rotate= reflect=
//   reflectAngle= shear= strokePaint= dash= dashOffset=
// Placed, raster and foreign-object art (7, 9, 12) show matrix=; every other
// type shows the type alone.
std::vector<std::string> dumpObjects(const simhost::Document& document);

// The line of one object, as above.
std::string dumpObject(const simhost::ArtObject& object);

}  // namespace shunthost::svg

#endif
