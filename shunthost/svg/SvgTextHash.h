// A hash of short byte strings, eight bytes at a time: the reader hashes ids,
// style texts and styles of every path, where a byte-wise hash costs more
// than the rest of the lookup. Not for anything kept or compared across runs.
#ifndef SHUNTHOST_SVG_SVGTEXTHASH_H
#define SHUNTHOST_SVG_SVGTEXTHASH_H

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

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

// A set of text hashes in one flat table: no allocation for each entry, as a
// node-based set makes, when a save notes the ids of a whole large drawing.
class TextHashSet {
public:
    bool contains(std::string_view text) const {
        if (slots_.empty()) {
            return false;
        }
        const std::uint64_t hash = hashOf(text);
        for (std::size_t slot = hash & (slots_.size() - 1);; slot = (slot + 1) & (slots_.size() - 1)) {
            if (slots_[slot] == hash) {
                return true;
            }
            if (slots_[slot] == 0) {
                return false;
            }
        }
    }

    void insert(std::string_view text) {
        if ((used_ + 1) * 2 > slots_.size()) {
            grow();
        }
        place(hashOf(text));
    }

private:
    static std::uint64_t hashOf(std::string_view text) {
        const std::uint64_t hash = mixText(0, text);
        return hash == 0 ? 1 : hash;  // 0 marks an empty slot
    }

    void place(std::uint64_t hash) {
        for (std::size_t slot = hash & (slots_.size() - 1);; slot = (slot + 1) & (slots_.size() - 1)) {
            if (slots_[slot] == hash) {
                return;
            }
            if (slots_[slot] == 0) {
                slots_[slot] = hash;
                ++used_;
                return;
            }
        }
    }

    void grow() {
        std::vector<std::uint64_t> old = std::move(slots_);
        slots_.assign(old.empty() ? 64 : old.size() * 2, 0);
        used_ = 0;
        for (const std::uint64_t hash : old) {
            if (hash != 0) {
                place(hash);
            }
        }
    }

    std::vector<std::uint64_t> slots_;
    std::size_t used_ = 0;
};

}  // namespace shunthost::svg

#endif
