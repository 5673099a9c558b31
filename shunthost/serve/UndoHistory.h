// Undo and redo for the page. The plug-in opens no undo step of its own, so
// the host records one: everything a single palette callback changed in the
// document is one step, whatever number of objects it touched.
#ifndef SHUNTHOST_SERVE_UNDOHISTORY_H
#define SHUNTHOST_SERVE_UNDOHISTORY_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "simhost/Document.h"

namespace shunthost::serve {

// What the palette can change of each object: its path style and its matrix.
struct ArtState {
    simhost::ArtId id = simhost::kNoArt;
    AIPathStyle style{};
    AIRealMatrix matrix{1, 0, 0, 1, 0, 0};
};
using DocumentState = std::vector<ArtState>;

DocumentState captureState(const simhost::Document& document);
// The same into `into`, whose storage is used again: a state of a large
// drawing is tens of megabytes, fresh memory for which costs more than the copy.
void captureState(const simhost::Document& document, DocumentState& into);
// Field by field and bit for bit; reserved bytes do not count, so a plug-in
// that writes back an unchanged record with other padding changed nothing.
bool sameState(const DocumentState& a, const DocumentState& b);
// The same against the document as it is now, without copying its state.
bool sameState(const DocumentState& state, const simhost::Document& document);
// Where in `state` the document now differs, in increasing order; nothing
// when objects came or went since.
std::optional<std::vector<std::size_t>> changedSince(const DocumentState& state,
                                                     const simhost::Document& document);

class UndoHistory {
public:
    // What the steps may hold in all: a long session of clicks on a large
    // drawing (a few megabytes a step at 10^5 paths) loses its oldest steps
    // rather than take the machine's memory. The last step is always kept.
    static constexpr std::size_t kDefaultMaxBytes = std::size_t{256} << 20;
    explicit UndoHistory(std::size_t maxBytes = kDefaultMaxBytes) : maxBytes_(maxBytes) {}

    // Records a step when the document is no longer as it was in `before`.
    // A new step drops whatever could have been redone. True when recorded.
    bool record(const DocumentState& before, const simhost::Document& after);
    bool undo(simhost::Document& document);
    bool redo(simhost::Document& document);
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }

    // What one step changed of some objects: the words of their records (the
    // path style, then the matrix) that changed in any of them, the same list
    // for all. A move of every path of a large drawing changes the pattern
    // matrix alone, a tenth of the record, so the step keeps that tenth.
    struct Packed {
        std::vector<simhost::ArtId> ids;
        std::vector<std::uint16_t> words;
        std::vector<std::uint32_t> values;  // words.size() for each object in turn
    };

private:
    struct Step {
        Packed before;
        Packed after;
    };
    static std::size_t bytesOf(const Step& step);

    std::vector<Step> steps_;
    std::size_t done_ = 0;  // steps_[0, done_) are in effect
    std::size_t bytes_ = 0;
    std::size_t maxBytes_;
};

}  // namespace shunthost::serve

#endif
