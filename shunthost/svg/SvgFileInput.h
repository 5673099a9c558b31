// The bytes of an artwork file, read safely: only a regular file, once, and
// no more than a limit, so that a pipe, a device or a folder given by mistake
// is refused at once rather than waited on or read for ever.
#ifndef SHUNTHOST_SVG_SVGFILEINPUT_H
#define SHUNTHOST_SVG_SVGFILEINPUT_H

#include <cstdint>
#include <string>

namespace shunthost::svg {

// What shunt-host reads at most unless told otherwise (--max-size).
inline constexpr std::uint64_t kDefaultMaxArtworkSize = std::uint64_t{256} << 20;

// The whole file. Throws SvgError without a line: the system's reason, a file
// that is not a regular one, or one larger than `maxSize` bytes.
std::string readArtworkFile(const std::string& path, std::uint64_t maxSize);

}  // namespace shunthost::svg

#endif
