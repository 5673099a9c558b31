#include "UndoHistory.h"

#include <algorithm>

namespace shunthost::serve {

DocumentState captureState(const simhost::Document& document) {
    const std::vector<simhost::ArtId> order = document.documentOrder();
    DocumentState state;
    state.reserve(order.size());
    for (simhost::ArtId id : order) {
        const simhost::ArtObject& object = document.art(id);
        state.push_back({id, object.style, object.matrix});
    }
    return state;
}

void restoreState(simhost::Document& document, const DocumentState& state) {
    for (const ArtState& art : state) {
        if (document.isLive(art.id)) {
            document.art(art.id).style = art.style;
            document.art(art.id).matrix = art.matrix;
        }
    }
}

namespace {

bool sameArt(const ArtState& a, const ArtState& b) {
    return a.id == b.id && simhost::sameStyleFields(a.style, b.style) &&
           simhost::sameBits(a.matrix, b.matrix);
}

bool sameObjects(const DocumentState& a, const DocumentState& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](const ArtState& x, const ArtState& y) { return x.id == y.id; });
}

}  // namespace

bool sameState(const DocumentState& a, const DocumentState& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), sameArt);
}

bool UndoHistory::record(DocumentState before, const simhost::Document& after) {
    DocumentState now = captureState(after);
    if (sameState(before, now)) {
        return false;
    }
    // A step keeps only the objects it changed: a click on one path of
    // 100,000 keeps one path's state, not the whole document's twice.
    Step step;
    if (!sameObjects(before, now)) {
        step = {std::move(before), std::move(now)};
    } else {
        for (std::size_t i = 0; i < now.size(); ++i) {
            if (!sameArt(before[i], now[i])) {
                step.before.push_back(before[i]);
                step.after.push_back(now[i]);
            }
        }
    }
    steps_.resize(done_);
    steps_.push_back(std::move(step));
    done_ = steps_.size();
    return true;
}

bool UndoHistory::undo(simhost::Document& document) {
    if (!canUndo()) {
        return false;
    }
    --done_;
    restoreState(document, steps_[done_].before);
    return true;
}

bool UndoHistory::redo(simhost::Document& document) {
    if (!canRedo()) {
        return false;
    }
    restoreState(document, steps_[done_].after);
    ++done_;
    return true;
}

}  // namespace shunthost::serve
