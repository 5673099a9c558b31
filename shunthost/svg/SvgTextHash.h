// A hash of short byte strings, eight bytes at a time: the reader hashes ids,
// style texts and styles of every path, where a byte-wise hash costs more
// than the rest of the lookup. Not for anything kept or compared across runs.
#ifndef SHUNTHOST_SVG_SVGTEXTHASH_H
#define SHUNTHOST_SVG_SVGTEXTHASH_H

#include <cstdint>
#include <cstring>
#include <string_view>

namespace shunthost::svg {

// The golden ratio's odd 64-bit multiple: a product by it spreads a word's
// bits over the high half.
inline constexpr std::uint64_t kHashMultiplier = 0x9E3779B97F4A7C15ull;

// Without the final mix: for a caller that adds up the hashes of several
// texts and mixes the sum once.
inline std::uint64_t mixTextUnfinished(std::uint64_t hash, std::string_view text) {
    auto mix = [&hash](std::uint64_t word) {
        hash = (hash ^ word) * kHashMultiplier;
        hash ^= hash >> 32;
    };
    const char* data = text.data();
    const std::size_t size = text.size();
    hash = (hash ^ size) * kHashMultiplier;
    // The bytes past the last whole word are taken in one load that overlaps
    // the word before (or two of half a word each): most of the texts hashed
    // are short, and a loop over their last bytes cost more than the rest.
    if (size >= 8) {
        std::uint64_t word;
        std::size_t pos = 0;
        for (; pos + 8 <= size; pos += 8) {
            std::memcpy(&word, data + pos, 8);
            mix(word);
        }
        if (pos < size) {
            std::memcpy(&word, data + size - 8, 8);
            mix(word);
        }
    } else if (size >= 4) {
        std::uint32_t first;
        std::uint32_t last;
        std::memcpy(&first, data, 4);
        std::memcpy(&last, data + size - 4, 4);
        mix((std::uint64_t{first} << 32) | last);
    } else if (size > 0) {
        const auto byte = [data](std::size_t at) {
            return std::uint64_t{static_cast<unsigned char>(data[at])};
        };
        mix((byte(0) << 16) | (byte(size / 2) << 8) | byte(size - 1));
    }
    return hash;
}

// A product carries a difference only upward: one in the last byte of a
// text would otherwise reach only the high half, and tables that take the
// low bits would put texts that differ there in one slot.
inline std::uint64_t finishTextHash(std::uint64_t hash) {
    hash ^= hash >> 29;
    hash *= kHashMultiplier;
    return hash ^ (hash >> 32);
}

inline std::uint64_t mixText(std::uint64_t hash, std::string_view text) {
    return finishTextHash(mixTextUnfinished(hash, text));
}

// Whether two texts are the same, without a call for the usual short ones:
// words compared as mixText takes them.
inline bool sameText(std::string_view a, std::string_view b) {
    const std::size_t size = a.size();
    if (size != b.size()) {
        return false;
    }
    const char* x = a.data();
    const char* y = b.data();
    if (x == y) {
        return true;  // the same text: a value that a style sheet gives many elements
    }
    auto word = [](const char* at) {
        std::uint64_t value;
        std::memcpy(&value, at, 8);
        return value;
    };
    if (size >= 8) {
        for (std::size_t pos = 0; pos + 8 <= size; pos += 8) {
            if (word(x + pos) != word(y + pos)) {
                return false;
            }
        }
        return word(x + size - 8) == word(y + size - 8);
    }
    if (size >= 4) {
        auto half = [](const char* at) {
            std::uint32_t value;
            std::memcpy(&value, at, 4);
            return value;
        };
        return half(x) == half(y) && half(x + size - 4) == half(y + size - 4);
    }
    for (std::size_t pos = 0; pos < size; ++pos) {
        if (x[pos] != y[pos]) {
            return false;
        }
    }
    return true;
}

inline std::size_t textHash(std::string_view text) {
    const std::uint64_t hash = mixText(0, text);
    return static_cast<std::size_t>(hash ^ (hash >> 29));
}

}  // namespace shunthost::svg

#endif
