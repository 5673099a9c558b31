// A hash of short byte strings, eight bytes at a time: the reader hashes ids,
// style texts and styles of every path, where a byte-wise hash costs more
// than the rest of the lookup. Not for anything kept or compared across runs.
#ifndef SHUNTHOST_SVG_SVGTEXTHASH_H
#define SHUNTHOST_SVG_SVGTEXTHASH_H

#include <cstdint>
#include <cstring>
#include <string_view>

namespace shunthost::svg {

inline std::uint64_t mixText(std::uint64_t hash, std::string_view text) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    hash = (hash ^ text.size()) * kMultiplier;
    std::size_t pos = 0;
    for (; pos + 8 <= text.size(); pos += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + pos, 8);
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 32;
    }
    if (pos < text.size()) {
        std::uint64_t word = 0;
        for (; pos < text.size(); ++pos) {
            word = (word << 8) | static_cast<unsigned char>(text[pos]);
        }
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 32;
    }
    return hash;
}

inline std::size_t textHash(std::string_view text) {
    const std::uint64_t hash = mixText(0, text);
    return static_cast<std::size_t>(hash ^ (hash >> 29));
}

}  // namespace shunthost::svg

#endif
