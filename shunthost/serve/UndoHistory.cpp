#include "UndoHistory.h"

namespace shunthost::serve {

DocumentState captureState(const simhost::Document& document) {
    DocumentState state;
    for (simhost::ArtId id : document.documentOrder()) {
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

bool sameState(const DocumentState& a, const DocumentState& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].id != b[i].id || !simhost::sameStyleFields(a[i].style, b[i].style) ||
            !simhost::sameBits(a[i].matrix, b[i].matrix)) {
            return false;
        }
    }
    return true;
}

bool UndoHistory::record(DocumentState before, const simhost::Document& after) {
    DocumentState now = captureState(after);
    if (sameState(before, now)) {
        return false;
    }
    steps_.resize(done_);
    steps_.push_back({std::move(before), std::move(now)});
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
