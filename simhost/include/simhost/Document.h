// The host's in-memory document: art objects in document order, patterns,
// and the selection. Coordinates are the host's page coordinates, which grow
// upward.
#ifndef SIMHOST_DOCUMENT_H
#define SIMHOST_DOCUMENT_H

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "hostapi/AIArtSuites.h"

namespace simhost {

using ArtId = std::uint32_t;
using PatternId = std::uint32_t;
inline constexpr ArtId kNoArt = 0xFFFFFFFFu;

struct Pattern {
    std::string name;  // the pattern's own name (an SVG id for documents read from SVG)
};

// A large drawing holds hundreds of thousands of these. The small fields come
// first, packed together (padding would cost as much memory as a field), and
// right after them the style: a host call on a path reads its type and its
// style, so those lie together and a walk over many paths fetches less memory.
struct ArtObject {
    AIArtType type = kUnknownArt;
    bool alive = true;                      // removed objects stay as tombstones so handles expire
    ArtId parent = kNoArt;                  // the group that holds it, or kNoArt at the top level
    AIPathStyle style{};                    // paths and mystery path art: kept byte for byte
    AIRealMatrix matrix{1, 0, 0, 1, 0, 0};  // placed, raster and foreign-object art
    std::string name;                       // the object's id, shown by `dump`; unique in a document
    std::vector<ArtId> children;            // members of a group, in order
};

AIPathStyle defaultPathStyle();

// Bit for bit, so that -0 and 0 differ and a NaN equals itself.
inline bool sameBits(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}
inline bool sameBits(const AIRealMatrix& a, const AIRealMatrix& b) {
    return sameBits(a.a, b.a) && sameBits(a.b, b.b) && sameBits(a.c, b.c) && sameBits(a.d, b.d) &&
           sameBits(a.tx, b.tx) && sameBits(a.ty, b.ty);
}

// Whether two path styles agree, bit for bit, in every field the host keeps:
// padding, reserved bytes and dash components past the count do not count.
bool sameStyleFields(const AIPathStyle& a, const AIPathStyle& b);

class Document {
public:
    // Adds an object at the end of its parent (or of the document) and returns its id.
    ArtId add(ArtObject&& object);
    ArtId add(const ArtObject& object) { return add(ArtObject(object)); }
    // Adds a default object at the end of `parent` (or of the document) and
    // hands it out to be filled in where it lies, for a reader that adds
    // many: its id is slotCount() - 1. Valid until the next object is added.
    ArtObject& emplace(ArtId parent);
    // Room for this many objects in all, so that a reader that knows how many
    // it will add does not move every object it added each time storage grows.
    void reserve(std::size_t objects);
    // Removes an object and its members; their handles expire. Drops them from the selection.
    void remove(ArtId id);
    PatternId addPattern(Pattern pattern);

    // Handing an object out for writing counts as changing it (see mayHaveChanged).
    ArtObject& art(ArtId id) {
        markChanged(id);
        return objects_[id];
    }
    const ArtObject& art(ArtId id) const { return objects_[id]; }
    bool isLive(ArtId id) const { return id < objects_.size() && objects_[id].alive; }
    std::size_t slotCount() const { return objects_.size(); }
    // Live objects in document order, groups before their members.
    std::vector<ArtId> documentOrder() const;
    ArtId findByName(const std::string& name) const;

    // Whether the object may have changed since markAllUnchanged(): it was
    // handed out for writing, added or removed since. Saving a large drawing
    // then looks only at the objects that may have changed.
    bool mayHaveChanged(ArtId id) const {
        return id / 64 < changed_.size() && (changed_[id / 64] >> (id % 64) & 1u) != 0;
    }
    // Those objects' ids, in increasing order.
    std::vector<ArtId> objectsThatMayHaveChanged() const;
    // For a reader that has just built the document: what it holds now is
    // what it read. A reference to an object handed out before this call
    // must not be written through after it.
    void markAllUnchanged();

    const Pattern& pattern(PatternId id) const { return patterns_[id]; }
    std::size_t patternCount() const { return patterns_.size(); }

    const std::vector<ArtId>& selection() const { return selection_; }
    // Selects each listed object once, in document order.
    void select(std::vector<ArtId> ids);
    void selectAll();
    void selectNone();
    // The selection as the host hands it to plug-ins: a handle (a pointer to
    // a master pointer) to the array of art handles in selection order. The
    // array moves when the selection changes and the master pointer follows
    // it. Constant time, however large the selection.
    AIArtHandle** selectionHandle();

private:
    void markChanged(ArtId id) {
        if (id / 64 >= changed_.size()) {
            changed_.resize(id / 64 + 1, 0);
        }
        changed_[id / 64] |= std::uint64_t{1} << (id % 64);
    }
    // The object and its members, depth first, without recursion.
    void appendInOrder(ArtId id, std::vector<ArtId>& out) const;
    void removeOne(ArtId id);
    void selectionChanged();

    std::vector<ArtObject> objects_;
    std::vector<std::uint64_t> changed_;  // a bit for each object that may have changed
    std::vector<ArtId> topLevel_;
    std::vector<Pattern> patterns_;
    std::vector<ArtId> selection_;
    std::vector<AIArtHandle> selectionHandles_;  // kept in step with selection_
    AIArtHandle* selectionMaster_ = nullptr;
};

}  // namespace simhost

#endif
