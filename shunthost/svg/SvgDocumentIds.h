// The ids the elements of a document have, counted by hash, so that the
// writer makes an id no element has without a walk over the whole document
// for each save. The reader hands over the hashes of the ids it read, in the
// order read; they are counted into a table the first time the writer asks,
// so that a save that makes no id costs nothing for them. The writer keeps the
// counts as it gives, changes and removes ids.
#ifndef SHUNTHOST_SVG_SVGDOCUMENTIDS_H
#define SHUNTHOST_SVG_SVGDOCUMENTIDS_H

#include <cstdint>
#include <string_view>
#include <vector>

#include "SvgTextHash.h"

namespace shunthost::svg {

class DocumentIds {
public:
    static std::uint64_t hashOf(std::string_view id) {
        const std::uint64_t hash = mixText(0, id);
        return hash == 0 ? 1 : hash;  // 0 marks an empty slot
    }

    // The hashes of every id read (hashOf), one for each element that has one.
    void setRead(std::vector<std::uint64_t> hashes);

    // An element now has this id.
    void add(std::string_view id);
    // An element with this id is gone.
    void remove(std::string_view id);
    // Whether an element may have this id. Two ids with one hash only make
    // the writer pass over a free id.
    bool mayHave(std::string_view id);

private:
    struct Slot {
        std::uint64_t hash = 0;  // 0: empty
        std::uint64_t count = 0;
    };

    void countRead();
    void add(std::uint64_t hash);
    void rehash(std::size_t size);
    std::size_t mask() const { return slots_.size() - 1; }

    std::vector<std::uint64_t> read_;  // not yet counted
    // A slot, once used, keeps its hash (a count of 0 marks an id that is
    // gone): the ids placed after it are still found.
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

}  // namespace shunthost::svg

#endif
