#include "simhost/Document.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "simhost/Handles.h"

namespace simhost {

AIPathStyle defaultPathStyle() {
    AIPathStyle style{};
    style.fillPaint = 1;
    style.fillColorKind = kGrayColor;
    style.scaleH = 100.0f;
    style.scaleV = 100.0f;
    style.transform = {1, 0, 0, 1, 0, 0};
    style.strokeColorKind = kGrayColor;
    style.strokeWidth = 1.0f;
    style.miterLimit = 4.0f;
    style.fillOpacity = 1.0f;
    style.strokeOpacity = 1.0f;
    return style;
}

bool sameStyleFields(const AIPathStyle& a, const AIPathStyle& b) {
    // A style the host did not touch is still the copy that was read, byte for byte.
    if (std::memcmp(&a, &b, sizeof a) == 0) {
        return true;
    }
    // Else field by field: padding and reserved bytes are not kept.
    if (a.fillPaint != b.fillPaint || a.strokePaint != b.strokePaint || a.fillColorKind != b.fillColorKind ||
        a.pattern != b.pattern || a.reflect != b.reflect || a.strokeColorKind != b.strokeColorKind ||
        a.lineCap != b.lineCap || a.lineJoin != b.lineJoin || a.evenOddFill != b.evenOddFill ||
        a.fillOverprint != b.fillOverprint || a.strokeOverprint != b.strokeOverprint ||
        a.dashCount != b.dashCount) {
        return false;
    }
    const float left[] = {a.shiftDist,    a.shiftAngle,    a.scaleH,    a.scaleV,      a.rotate,
                          a.reflectAngle, a.shearAngle,    a.shearAxis, a.strokeWidth, a.miterLimit,
                          a.fillOpacity,  a.strokeOpacity, a.dashOffset};
    const float right[] = {b.shiftDist,    b.shiftAngle,    b.scaleH,    b.scaleV,      b.rotate,
                           b.reflectAngle, b.shearAngle,    b.shearAxis, b.strokeWidth, b.miterLimit,
                           b.fillOpacity,  b.strokeOpacity, b.dashOffset};
    for (std::size_t i = 0; i < std::size(left); ++i) {
        if (!sameBits(left[i], right[i])) {
            return false;
        }
    }
    for (int i = 0; i < 4; ++i) {
        if (!sameBits(a.fillColor[i], b.fillColor[i]) || !sameBits(a.strokeColor[i], b.strokeColor[i])) {
            return false;
        }
    }
    for (int i = 0; i < a.dashCount && i < kMaxDashComponents; ++i) {
        if (!sameBits(a.dash[i], b.dash[i])) {
            return false;
        }
    }
    return sameBits(a.transform, b.transform);
}

ArtId Document::add(ArtObject&& object) {
    const ArtId id = static_cast<ArtId>(objects_.size());
    const ArtId parent = object.parent;
    objects_.push_back(std::move(object));
    markChanged(id);
    if (parent == kNoArt) {
        topLevel_.push_back(id);
    } else {
        objects_[parent].children.push_back(id);
    }
    return id;
}

ArtObject& Document::emplace(ArtId parent) {
    const ArtId id = static_cast<ArtId>(objects_.size());
    ArtObject& object = objects_.emplace_back();
    object.parent = parent;
    markChanged(id);
    if (parent == kNoArt) {
        topLevel_.push_back(id);
    } else {
        objects_[parent].children.push_back(id);
    }
    return object;
}

void Document::reserve(std::size_t objects) {
    objects_.reserve(objects);
    changed_.reserve(objects / 64 + 1);
}

void Document::remove(ArtId id) {
    if (!isLive(id)) {
        return;
    }
    // Members go before their group, the deepest first; a walk of our own, as
    // groups may nest deeper than the call stack goes.
    std::vector<ArtId> order;
    appendInOrder(id, order);
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        removeOne(*it);
    }
}

void Document::removeOne(ArtId id) {
    objects_[id].alive = false;
    markChanged(id);
    if (objects_[id].parent != kNoArt) {
        markChanged(objects_[id].parent);  // it lost a member
    }
    auto& siblings = objects_[id].parent == kNoArt ? topLevel_ : objects_[objects_[id].parent].children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), id), siblings.end());
    const auto removed = std::remove(selection_.begin(), selection_.end(), id);
    if (removed != selection_.end()) {
        selection_.erase(removed, selection_.end());
        selectionChanged();
    }
}

PatternId Document::addPattern(Pattern pattern) {
    patterns_.push_back(std::move(pattern));
    return static_cast<PatternId>(patterns_.size() - 1);
}

std::vector<ArtId> Document::objectsThatMayHaveChanged() const {
    std::vector<ArtId> out;
    for (std::size_t word = 0; word < changed_.size(); ++word) {
        for (std::uint64_t bits = changed_[word]; bits != 0; bits &= bits - 1) {
            out.push_back(static_cast<ArtId>(word * 64 + static_cast<std::size_t>(std::countr_zero(bits))));
        }
    }
    return out;
}

void Document::markAllUnchanged() {
    std::fill(changed_.begin(), changed_.end(), 0);
}

void Document::appendInOrder(ArtId id, std::vector<ArtId>& out) const {
    // Each open group with the position of its next member.
    std::vector<std::pair<ArtId, std::size_t>> open;
    out.push_back(id);
    open.emplace_back(id, 0);
    while (!open.empty()) {
        const auto [group, next] = open.back();
        const std::vector<ArtId>& members = objects_[group].children;
        if (next == members.size()) {
            open.pop_back();
            continue;
        }
        open.back().second = next + 1;
        out.push_back(members[next]);
        open.emplace_back(members[next], 0);
    }
}

std::vector<ArtId> Document::documentOrder() const {
    std::vector<ArtId> out;
    out.reserve(objects_.size());
    for (ArtId id : topLevel_) {
        // Most of a large drawing is paths at the top level, which need no walk.
        if (objects_[id].children.empty()) {
            out.push_back(id);
        } else {
            appendInOrder(id, out);
        }
    }
    return out;
}

ArtId Document::findByName(const std::string& name) const {
    for (ArtId id = 0; id < objects_.size(); ++id) {
        if (objects_[id].alive && objects_[id].name == name) {
            return id;
        }
    }
    return kNoArt;
}

void Document::select(std::vector<ArtId> ids) {
    // Each object once, in document order, however the ids were listed: a
    // plug-in walking the selection must not move an object twice. Ids the
    // document does not hold keep their place after the others.
    std::vector<bool> listed(objects_.size(), false);
    std::vector<ArtId> unknown;
    for (ArtId id : ids) {
        if (id < objects_.size()) {
            listed[id] = true;
        } else if (std::find(unknown.begin(), unknown.end(), id) == unknown.end()) {
            unknown.push_back(id);
        }
    }
    selection_.clear();
    for (ArtId id : documentOrder()) {
        if (listed[id]) {
            selection_.push_back(id);
            listed[id] = false;
        }
    }
    // Dead objects still listed (an expired handle's id) keep their place too.
    for (ArtId id : ids) {
        if (id < objects_.size() && listed[id]) {
            selection_.push_back(id);
            listed[id] = false;
        }
    }
    selection_.insert(selection_.end(), unknown.begin(), unknown.end());
    selectionChanged();
}

void Document::selectAll() {
    selection_ = documentOrder();
    selectionChanged();
}

void Document::selectNone() {
    selection_.clear();
    selectionChanged();
}

void Document::selectionChanged() {
    selectionHandles_.clear();
    selectionHandles_.reserve(selection_.size());
    for (ArtId id : selection_) {
        selectionHandles_.push_back(artHandle(id));
    }
    // A handle handed out before the change reads the new array, never a freed one.
    selectionMaster_ = selectionHandles_.data();
}

AIArtHandle** Document::selectionHandle() {
    // Refreshed on every call, so a copied document hands out its own array.
    selectionMaster_ = selectionHandles_.data();
    return &selectionMaster_;
}

}  // namespace simhost
