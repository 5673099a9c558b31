// SVG artwork as the host program reads it. Anything may come in; what the
// reader accepts must write out and read back to the same objects.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "svg/SvgDocument.h"

namespace {

bool sameObjects(const simhost::Document& a, const simhost::Document& b) {
    const auto orderA = a.documentOrder();
    const auto orderB = b.documentOrder();
    if (orderA.size() != orderB.size()) {
        return false;
    }
    for (std::size_t i = 0; i < orderA.size(); ++i) {
        const simhost::ArtObject& x = a.art(orderA[i]);
        const simhost::ArtObject& y = b.art(orderB[i]);
        if (x.type != y.type || std::memcmp(&x.style, &y.style, sizeof x.style) != 0 ||
            std::memcmp(&x.matrix, &y.matrix, sizeof x.matrix) != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace shunthost::svg;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    SvgArtwork artwork;
    try {
        artwork = readSvgText(text, "fuzz.svg");
    } catch (const SvgError&) {
        return 0;  // refused with a message: what a bad file should get
    }
    std::string written;
    try {
        written = writeSvgText(artwork);
    } catch (const SvgError&) {
        return 0;
    }
    // What was read and written unchanged must read back as the same objects.
    const SvgArtwork again = readSvgText(written, "fuzz-written.svg");
    if (!sameObjects(artwork.document, again.document)) {
        __builtin_trap();
    }
    return 0;
}
