// Writing a file whole or not at all.
#ifndef SHUNTHOST_SVG_SVGATOMICFILE_H
#define SHUNTHOST_SVG_SVGATOMICFILE_H

#include <cstdio>
#include <functional>
#include <string>

namespace shunthost::svg {

// Writes through `write` and replaces `path` whole, as simhost::replaceFile
// does: a read-only target is refused, a link is written through, and a
// failure leaves `path` as it was with no temporary file behind. Throws
// SvgError.
void writeFileAtomically(const std::string& path, const std::function<void(std::FILE*)>& write);

}  // namespace shunthost::svg

#endif
