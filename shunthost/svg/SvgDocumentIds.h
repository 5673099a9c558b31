// The ids the elements of a document have, counted by hash. The reader notes
// every id as it reads, so that the writer makes an id no element has without
// a walk over the whole document for each save, and finds the objects whose
// id an earlier object has. The writer keeps the counts as it gives, changes
// and removes ids.
#ifndef SHUNTHOST_SVG_SVGDOCUMENTIDS_H
#define SHUNTHOST_SVG_SVGDOCUMENTIDS_H

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "SvgTextHash.h"

namespace shunthost::svg {

class DocumentIds {
public:
    // Room for this many ids without growing.
    void reserve(std::size_t ids);

    // The id of an element that is no object (or one the writer gave).
    void add(std::string_view id);

    // The id of object `object`; false when an earlier object has that id
    // (`nameOf(object)` gives an earlier object's id, looked at only when two
    // hashes agree).
    template <class NameOf>
    bool addObjectId(std::string_view id, std::uint32_t object, const NameOf& nameOf) {
        makeRoom();
        const std::uint64_t hash = hashOf(id);
        for (std::size_t slot = hash & mask();; slot = (slot + 1) & mask()) {
            Slot& s = slots_[slot];
            if (s.hash == 0) {
                s = {hash, 1, object};
                ++used_;
                return true;
            }
            if (s.hash != hash) {
                continue;
            }
            if (s.object == kNoObject) {
                s.object = object;
                ++s.count;
                return true;
            }
            if (nameOf(s.object) == id) {
                ++s.count;
                return false;
            }
        }
    }

    // An element with this id is gone.
    void remove(std::string_view id);

    // Whether an element may have this id. Two ids with one hash only make
    // the writer pass over a free id.
    bool mayHave(std::string_view id) const;

private:
    static constexpr std::uint32_t kNoObject = UINT32_MAX;
    struct Slot {
        std::uint64_t hash = 0;  // 0: empty
        std::uint32_t count = 0;
        std::uint32_t object = kNoObject;  // the first object with this id, while reading
    };

    static std::uint64_t hashOf(std::string_view id) {
        const std::uint64_t hash = mixText(0, id);
        return hash == 0 ? 1 : hash;
    }
    std::size_t mask() const { return slots_.size() - 1; }
    void makeRoom() {
        if ((used_ + 1) * 3 > slots_.size() * 2) {
            rehash(std::max<std::size_t>(slots_.size() * 2, 16));
        }
    }
    void rehash(std::size_t size);

    // A slot, once used, stays with its hash (a count of 0 marks an id that
    // is gone): the ids placed after it are still found.
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

}  // namespace shunthost::svg

#endif
