#include "UndoHistory.h"

#include <algorithm>

namespace shunthost::serve {

DocumentState captureState(const simhost::Document& document) {
    DocumentState state;
    captureState(document, state);
    return state;
}

void captureState(const simhost::Document& document, DocumentState& into) {
    const std::vector<simhost::ArtId> order = document.documentOrder();
    into.clear();
    into.reserve(order.size());
    for (simhost::ArtId id : order) {
        const simhost::ArtObject& object = document.art(id);
        into.push_back({id, object.style, object.matrix});
    }
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

bool sameArt(const ArtState& a, const simhost::ArtObject& b) {
    return simhost::sameStyleFields(a.style, b.style) && simhost::sameBits(a.matrix, b.matrix);
}

}  // namespace

bool sameState(const DocumentState& a, const DocumentState& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](const ArtState& x, const ArtState& y) { return sameArt(x, y); });
}

bool sameState(const DocumentState& state, const simhost::Document& document) {
    const std::optional<std::vector<std::size_t>> changed = changedSince(state, document);
    return changed && changed->empty();
}

std::optional<std::vector<std::size_t>> changedSince(const DocumentState& state,
                                                     const simhost::Document& document) {
    const std::vector<simhost::ArtId> order = document.documentOrder();
    if (order.size() != state.size()) {
        return std::nullopt;
    }
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] != state[i].id) {
            return std::nullopt;
        }
        if (!sameArt(state[i], document.art(order[i]))) {
            changed.push_back(i);
        }
    }
    return changed;
}

bool UndoHistory::record(const DocumentState& before, const simhost::Document& after) {
    const std::optional<std::vector<std::size_t>> changed = changedSince(before, after);
    if (changed && changed->empty()) {
        return false;
    }
    // A step keeps only the objects it changed: a click on one path of
    // 100,000 keeps one path's state, not the whole document's twice.
    Step step;
    if (!changed) {
        step = {before, captureState(after)};
    } else {
        step.before.reserve(changed->size());
        step.after.reserve(changed->size());
        for (const std::size_t i : *changed) {
            const simhost::ArtObject& object = after.art(before[i].id);
            step.before.push_back(before[i]);
            step.after.push_back({before[i].id, object.style, object.matrix});
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
