// Writing a file whole or not at all.
#ifndef SHUNTHOST_SVG_SVGATOMICFILE_H
#define SHUNTHOST_SVG_SVGATOMICFILE_H

#include <cstdio>
#include <functional>
#include <string>

namespace shunthost::svg {

// Writes through `write` into a new file beside `path` (same folder, so the
// rename cannot cross file systems), flushes it to the disk and renames it
// over `path`. On any failure the temporary file is removed, `path` is as it
// was, and SvgError says why. A new file gets the permissions the user's
// umask gives; a replaced one keeps its own.
void writeFileAtomically(const std::string& path, const std::function<void(std::FILE*)>& write);

}  // namespace shunthost::svg

#endif
