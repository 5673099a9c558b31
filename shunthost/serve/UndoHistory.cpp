#include "UndoHistory.h"

#include <algorithm>
#include <cstring>
#include <utility>

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

namespace {

bool sameArt(const ArtState& a, const ArtState& b) {
    return a.id == b.id && simhost::sameStyleFields(a.style, b.style) &&
           simhost::sameBits(a.matrix, b.matrix);
}

bool sameArt(const ArtState& a, const simhost::ArtObject& b) {
    return simhost::sameStyleFields(a.style, b.style) && simhost::sameBits(a.matrix, b.matrix);
}

// A record as words: the path style's, then the matrix's.
constexpr std::size_t kStyleWords = sizeof(AIPathStyle) / 4;
constexpr std::size_t kRecordWords = kStyleWords + sizeof(AIRealMatrix) / 4;
static_assert(sizeof(AIPathStyle) % 4 == 0 && sizeof(AIRealMatrix) % 4 == 0);

const unsigned char* wordAt(const AIPathStyle& style, const AIRealMatrix& matrix, std::size_t word) {
    return word < kStyleWords ? reinterpret_cast<const unsigned char*>(&style) + 4 * word
                              : reinterpret_cast<const unsigned char*>(&matrix) + 4 * (word - kStyleWords);
}

unsigned char* wordAt(AIPathStyle& style, AIRealMatrix& matrix, std::size_t word) {
    return const_cast<unsigned char*>(wordAt(std::as_const(style), std::as_const(matrix), word));
}

std::uint32_t wordOf(const AIPathStyle& style, const AIRealMatrix& matrix, std::size_t word) {
    std::uint32_t value = 0;
    std::memcpy(&value, wordAt(style, matrix, word), sizeof value);
    return value;
}

// Every word of each object's record.
UndoHistory::Packed packWhole(const DocumentState& state) {
    UndoHistory::Packed packed;
    for (std::size_t word = 0; word < kRecordWords; ++word) {
        packed.words.push_back(static_cast<std::uint16_t>(word));
    }
    packed.values.reserve(state.size() * kRecordWords);
    for (const ArtState& art : state) {
        packed.ids.push_back(art.id);
        for (std::size_t word = 0; word < kRecordWords; ++word) {
            packed.values.push_back(wordOf(art.style, art.matrix, word));
        }
    }
    return packed;
}

void restore(simhost::Document& document, const UndoHistory::Packed& packed) {
    const std::size_t count = packed.words.size();
    for (std::size_t i = 0; i < packed.ids.size(); ++i) {
        const simhost::ArtId id = packed.ids[i];
        if (!document.isLive(id)) {
            continue;
        }
        simhost::ArtObject& object = document.art(id);
        for (std::size_t j = 0; j < count; ++j) {
            std::memcpy(wordAt(object.style, object.matrix, packed.words[j]), &packed.values[i * count + j],
                        sizeof(std::uint32_t));
        }
    }
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
    // A step keeps only the objects it changed, and of them only the words
    // that changed: a click on one path of 100,000 keeps one path's, not the
    // whole document's twice.
    Step step;
    if (!changed) {
        step = {packWhole(before), packWhole(captureState(after))};
    } else {
        bool differs[kRecordWords] = {};
        for (const std::size_t i : *changed) {
            const simhost::ArtObject& object = after.art(before[i].id);
            for (std::size_t word = 0; word < kRecordWords; ++word) {
                differs[word] =
                    differs[word] || std::memcmp(wordAt(before[i].style, before[i].matrix, word),
                                                 wordAt(object.style, object.matrix, word), 4) != 0;
            }
        }
        std::vector<std::uint16_t> words;
        for (std::size_t word = 0; word < kRecordWords; ++word) {
            if (differs[word]) {
                words.push_back(static_cast<std::uint16_t>(word));
            }
        }
        step.before.values.reserve(changed->size() * words.size());
        step.after.values.reserve(changed->size() * words.size());
        step.before.ids.reserve(changed->size());
        for (const std::size_t i : *changed) {
            const simhost::ArtObject& object = after.art(before[i].id);
            step.before.ids.push_back(before[i].id);
            for (const std::uint16_t word : words) {
                step.before.values.push_back(wordOf(before[i].style, before[i].matrix, word));
                step.after.values.push_back(wordOf(object.style, object.matrix, word));
            }
        }
        step.before.words = words;
        step.after.ids = step.before.ids;
        step.after.words = std::move(words);
    }
    for (std::size_t i = done_; i < steps_.size(); ++i) {
        bytes_ -= bytesOf(steps_[i]);
    }
    steps_.resize(done_);
    bytes_ += bytesOf(step);
    steps_.push_back(std::move(step));
    std::size_t dropped = 0;
    while (bytes_ > maxBytes_ && steps_.size() - dropped > 1) {
        bytes_ -= bytesOf(steps_[dropped]);
        ++dropped;
    }
    steps_.erase(steps_.begin(), steps_.begin() + static_cast<std::ptrdiff_t>(dropped));
    done_ = steps_.size();
    return true;
}

std::size_t UndoHistory::bytesOf(const Step& step) {
    std::size_t bytes = sizeof step;
    for (const Packed* packed : {&step.before, &step.after}) {
        bytes += packed->ids.size() * sizeof(simhost::ArtId) + packed->words.size() * sizeof(std::uint16_t) +
                 packed->values.size() * sizeof(std::uint32_t);
    }
    return bytes;
}

bool UndoHistory::undo(simhost::Document& document) {
    if (!canUndo()) {
        return false;
    }
    --done_;
    restore(document, steps_[done_].before);
    return true;
}

bool UndoHistory::redo(simhost::Document& document) {
    if (!canRedo()) {
        return false;
    }
    restore(document, steps_[done_].after);
    ++done_;
    return true;
}

}  // namespace shunthost::serve
