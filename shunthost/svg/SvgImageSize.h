// The natural size of the picture an <image> shows, read from the picture's
// own header: PNG, JPEG and GIF give it in pixels, SVG by its width and
// height or else its viewBox. The picture is a data: URL or a file the link
// names; files are read only when they are regular files, and only their
// first bytes.
#ifndef SHUNTHOST_SVG_SVGIMAGESIZE_H
#define SHUNTHOST_SVG_SVGIMAGESIZE_H

#include <filesystem>
#include <optional>
#include <string_view>

#include "SvgPageSpace.h"

namespace shunthost::svg {

// How much of a picture is looked at: headers come first, and a JPEG's size
// comes after its metadata, which rarely takes more.
inline constexpr std::size_t kImageHeaderBytes = 256 * 1024;

// The size from the first bytes of a picture; nullopt for a format not known
// or a header that gives no size.
std::optional<ViewportSize> naturalSizeOf(std::string_view bytes);

// The size of the picture `href` refers to: a data: URL, or a file named
// relative to `folder` (or absolutely, or as a file: URL). nullopt when it
// cannot be known: another kind of URL, no folder, a file that is missing,
// not a regular file or not a picture whose size this reads.
std::optional<ViewportSize> naturalImageSize(std::string_view href, const std::filesystem::path* folder);

}  // namespace shunthost::svg

#endif
