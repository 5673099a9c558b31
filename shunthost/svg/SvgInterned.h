// Values kept once however many objects share them. Most paths of a drawing
// share their style with many others, and a large drawing would otherwise
// hold a second full copy of every path style only to see at saving what the
// host changed.
#ifndef SHUNTHOST_SVG_SVGINTERNED_H
#define SHUNTHOST_SVG_SVGINTERNED_H

#include <cstdint>
#include <deque>
#include <string_view>
#include <type_traits>
#include <unordered_map>

#include "SvgTextHash.h"

namespace shunthost::svg {

// Two values are the same when their bytes are: that never takes two
// different values for one, and padding that differs only costs a second copy.
template <class T>
class Interned {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    using Index = std::uint32_t;

    Index intern(const T& value) {
        const std::string_view bytes(reinterpret_cast<const char*>(&value), sizeof value);
        if (const auto found = index_.find(bytes); found != index_.end()) {
            return found->second;
        }
        // A deque keeps its elements where they are as it grows, so the keys stay valid.
        values_.push_back(value);
        const auto index = static_cast<Index>(values_.size() - 1);
        index_.emplace(std::string_view(reinterpret_cast<const char*>(&values_.back()), sizeof value), index);
        return index;
    }

    const T& operator[](Index index) const { return values_[index]; }
    std::size_t size() const { return values_.size(); }

private:
    // Not noexcept on purpose: the table then keeps each entry's hash, so a
    // lookup never hashes the whole value of every entry it steps past (a
    // drawing whose groups each put its patterns elsewhere on the page holds
    // many styles).
    struct BytesHash {
        std::size_t operator()(std::string_view bytes) const { return textHash(bytes); }
    };

    std::deque<T> values_;
    std::unordered_map<std::string_view, Index, BytesHash> index_;
};

}  // namespace shunthost::svg

#endif
