// Paths of a drawing mostly repeat a few styles. A path whose style
// properties are the same texts as those of an earlier path under the same
// inherited style has the same path style: it takes that one instead of
// parsing and resolving every value again.
#ifndef SHUNTHOST_SVG_SVGPATHSTYLECACHE_H
#define SHUNTHOST_SVG_SVGPATHSTYLECACHE_H

#include <array>
#include <cstdint>
#include <pugixml.hpp>
#include <string_view>
#include <vector>

#include "SvgInterned.h"
#include "SvgReadContext.h"
#include "SvgTextHash.h"

namespace shunthost::svg {

class PathStyleCache {
public:
    // What a path's style is read from: the number of the inherited style it
    // starts from, and its own property and exact-value texts.
    struct Key {
        static constexpr std::size_t kOwnTexts = 6;
        // Paths rarely give more; one that does is read without the cache.
        static constexpr std::size_t kMostTexts = 8;
        std::uint32_t inherits = 0;
        std::uint32_t given = 0;  // a bit for each property and exact-value text the element gives
        std::uint32_t count = 0;  // of texts
        std::uint64_t hash = 0;
        bool fits() const { return count <= kMostTexts; }
        std::string_view text(std::size_t i) const { return {texts_[i].data, texts_[i].size}; }

        Key() = default;
        Key(std::uint32_t inherits, const ElementAttributes& attributes);
        // Copies only the texts that are set: the rest are not even zeroed,
        // which for a key made for every path cost as much as the key itself.
        Key(const Key& other) { *this = other; }
        Key& operator=(const Key& other);
        bool operator==(const Key& other) const;

    private:
        struct Text {
            const char* data;
            std::size_t size;
        };
        void take(std::string_view text) {
            if (count < kMostTexts) {
                texts_[count] = {text.data(), text.size()};
                // Each text hashed on its own, by its place, and added: the
                // hashes of a key's texts are then worked out side by side.
                hash += mixTextUnfinished(count + 1, text);
            }
            ++count;
        }

        std::array<Text, kMostTexts> texts_;  // the first of the given ones, in order; past count unset
    };

    struct Entry {
        Key key;
        Interned<AIPathStyle>::Index style = 0;
        const AIPathStyle* value = nullptr;  // the style itself, where the interned styles keep it
        pugi::xml_node ownPattern;           // the pattern of ours that the fill shows, or null
        pugi::xml_node fillPattern;          // the pattern the fill shows, or null
        bool used = false;
    };

    // A slot for every distinct style of a large drawing would cost more
    // than it saves; a few slots for each path up to a fixed number, each
    // keeping the last style that landed on it, catch the styles that repeat.
    explicit PathStyleCache(std::size_t paths);

    const Entry* find(const Key& key) const;  // null when not found or the key does not fit
    void store(const Key& key, Interned<AIPathStyle>::Index style, const AIPathStyle* value,
               pugi::xml_node ownPattern, pugi::xml_node fillPattern);

private:
    std::size_t slotOf(const Key& key) const {
        return static_cast<std::size_t>(key.hash) & (slots_.size() - 1);
    }

    std::vector<Entry> slots_;
};

}  // namespace shunthost::svg

#endif
