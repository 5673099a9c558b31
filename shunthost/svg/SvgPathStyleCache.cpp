#include "SvgPathStyleCache.h"

#include <algorithm>
#include <bit>

#include "SvgTextHash.h"

namespace shunthost::svg {

PathStyleCache::Key::Key(std::uint32_t inheritedStyle, const ElementAttributes& attributes)
    : inherits(inheritedStyle),
      given(attributes.givenProperties),
      hash((std::uint64_t{inheritedStyle} << 32) | given) {
    // A property is given when it has a text, however empty.
    for (std::uint32_t bits = given; bits != 0; bits &= bits - 1) {
        take(attributes.property(static_cast<Property>(std::countr_zero(bits))));
    }
    // An exact value only when its text is not empty, as the reader takes it;
    // most paths have none.
    if ((attributes.fillValues.size() | attributes.strokeValues.size() | attributes.fillRule.size() |
         attributes.lineCap.size() | attributes.lineJoin.size() | attributes.overprint.size()) != 0) {
        const std::string_view own[kOwnTexts] = {attributes.fillValues, attributes.strokeValues,
                                                 attributes.fillRule,   attributes.lineCap,
                                                 attributes.lineJoin,   attributes.overprint};
        for (std::size_t i = 0; i < kOwnTexts; ++i) {
            if (!own[i].empty()) {
                given |= 1u << (kPropertyCount + i);
                take(own[i]);
            }
        }
    }
    hash = finishTextHash(hash);
}

PathStyleCache::Key& PathStyleCache::Key::operator=(const Key& other) {
    inherits = other.inherits;
    given = other.given;
    count = other.count;
    hash = other.hash;
    std::copy_n(other.texts_.begin(), std::min<std::size_t>(count, kMostTexts), texts_.begin());
    return *this;
}

bool PathStyleCache::Key::operator==(const Key& other) const {
    if (inherits != other.inherits || given != other.given || hash != other.hash) {
        return false;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!sameText(text(i), other.text(i))) {
            return false;
        }
    }
    return true;
}

PathStyleCache::PathStyleCache(std::size_t paths)
    : slots_(std::bit_ceil(std::clamp<std::size_t>(paths / 4, 16, 1024))) {}

const PathStyleCache::Entry* PathStyleCache::find(const Key& key) const {
    if (!key.fits()) {
        return nullptr;
    }
    const Entry& entry = slots_[slotOf(key)];
    return entry.used && entry.key == key ? &entry : nullptr;
}

void PathStyleCache::store(const Key& key, Interned<AIPathStyle>::Index style, const AIPathStyle* value,
                           pugi::xml_node ownPattern, pugi::xml_node fillPattern) {
    if (key.fits()) {
        slots_[slotOf(key)] = Entry{key, style, value, ownPattern, fillPattern, true};
    }
}

}  // namespace shunthost::svg
