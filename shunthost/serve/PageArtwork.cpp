#include "PageArtwork.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

namespace shunthost::serve {

using nlohmann::json;

namespace {

bool isOurs(const char* name) {
    return name[0] == 'd' &&
           (std::strcmp(name, kArtAttribute) == 0 || std::strcmp(name, kPatternKeyAttribute) == 0);
}

// What changed of one element: its new values and the names gone. The texts
// point into the XML and the snapshot, so it lasts only as long as the update.
struct Change {
    std::vector<std::pair<const char*, std::string_view>> set;
    std::vector<const char*> removed;

    bool empty() const { return set.empty() && removed.empty(); }
    void clear() {
        set.clear();
        removed.clear();
    }
    bool operator==(const Change& other) const {
        const auto sameName = [](const char* a, const char* b) { return std::strcmp(a, b) == 0; };
        return set.size() == other.set.size() && removed.size() == other.removed.size() &&
               std::equal(set.begin(), set.end(), other.set.begin(),
                          [&](const auto& a, const auto& b) {
                              return a.second == b.second && sameName(a.first, b.first);
                          }) &&
               std::equal(removed.begin(), removed.end(), other.removed.begin(), sameName);
    }
    // One text for each different change, to find changes alike that do not follow each other.
    std::string text() const {
        std::string out;
        for (const auto& [name, value] : set) {
            out.append(name).append(1, '\0').append(value).append(1, '\0');
        }
        out.append(1, '\1');
        for (const char* name : removed) {
            out.append(name).append(1, '\0');
        }
        return out;
    }
    json setJson() const {
        json out = json::object();
        for (const auto& [name, value] : set) {
            out[name] = std::string(value);
        }
        return out;
    }
    json removedJson() const {
        json out = json::array();
        for (const char* name : removed) {
            out.push_back(name);
        }
        return out;
    }
};

}  // namespace

// The attributes of the elements a change may touch, as they were before it,
// all in one buffer that later updates use again. Values are kept as written:
// one the writer rewrote alike compares equal, and the rare one written
// otherwise but meaning the same is told again, which shows the same.
class AttributeSnapshot {
public:
    using Range = std::pair<std::size_t, std::size_t>;  // into saved_

    void clear() {
        text_.clear();
        saved_.clear();
    }

    // Keeps the element's attributes, other than ours.
    Range take(pugi::xml_node element) {
        const std::size_t first = saved_.size();
        for (const pugi::xml_attribute attribute : element.attributes()) {
            const char* name = attribute.name();
            if (isOurs(name)) {
                continue;
            }
            const char* value = attribute.value();
            const std::size_t valueSize = std::strlen(value);
            Saved saved{text_.size(), 0, valueSize};
            text_.append(name).push_back('\0');
            saved.value = text_.size();
            text_.append(value, valueSize);
            saved_.push_back(saved);
        }
        return {first, saved_.size()};
    }

    // What changed of the element since `before` was taken (an empty range
    // for one not taken), into `change`.
    void difference(Range before, pugi::xml_node element, const svg::SvgArtwork& artwork,
                    Change& change) const {
        change.clear();
        // The writer changes values where they are and adds attributes at
        // the end, so the attributes are usually where they were.
        std::size_t next = before.first;
        std::size_t inPlace = 0;
        for (const pugi::xml_attribute attribute : element.attributes()) {
            const char* name = attribute.name();
            if (isOurs(name)) {
                continue;
            }
            const Saved* found = nullptr;
            if (next < before.second && std::strcmp(this->name(saved_[next]), name) == 0) {
                found = &saved_[next++];
                ++inPlace;
            } else {
                found = named(before, name);
            }
            if (found == nullptr || !sameValue(*found, attribute.value())) {
                // The page sets what a value means, not how the file wrote it.
                change.set.emplace_back(name, artwork.value(attribute));
            }
        }
        if (inPlace == before.second - before.first) {
            return;  // every name taken is still there
        }
        for (std::size_t i = before.first; i < before.second; ++i) {
            if (!element.attribute(name(saved_[i]))) {
                change.removed.push_back(name(saved_[i]));
            }
        }
    }

private:
    struct Saved {
        std::size_t name;  // offsets into the buffer; the name ends in a NUL
        std::size_t value;
        std::size_t valueSize;
    };

    const char* name(const Saved& saved) const { return text_.data() + saved.name; }
    // Without measuring the value now: most are the same.
    bool sameValue(const Saved& saved, const char* now) const {
        return std::strncmp(text_.data() + saved.value, now, saved.valueSize) == 0 &&
               now[saved.valueSize] == 0;
    }

    const Saved* named(Range range, const char* name) const {
        for (std::size_t i = range.first; i < range.second; ++i) {
            if (std::strcmp(this->name(saved_[i]), name) == 0) {
                return &saved_[i];
            }
        }
        return nullptr;
    }

    std::string text_;
    std::vector<Saved> saved_;
};

namespace {

// The own patterns a change made, told by groups that set the same
// attributes: the values all of a group share once, the others (its id,
// above all) as one list per attribute in the order of the keys. A first
// move of every path of a large drawing makes a pattern for each, which
// one entry each made a large part of the server's and the page's work.
class MadeGroups {
public:
    void add(std::uint64_t key, const Change& change) {
        std::string shape;
        for (const auto& [name, value] : change.set) {
            shape.append(name).append(1, '\0');
        }
        shape.append(1, '\1');
        for (const char* name : change.removed) {
            shape.append(name).append(1, '\0');
        }
        const auto [group, fresh] = index_.try_emplace(std::move(shape), groups_.size());
        if (fresh) {
            groups_.push_back({change.set, change.removed, {}, {}});
        }
        Group& members = groups_[group->second];
        members.keys.push_back(key);
        for (const auto& [name, value] : change.set) {
            members.values.push_back(value);
        }
    }

    // Entries [[key...], {shared name: value}, [removed names], true, {name: [value...]}].
    void appendTo(json& patterns) {
        for (const Group& group : groups_) {
            const std::size_t names = group.first.size();
            json shared = json::object();
            json each = json::object();
            for (std::size_t i = 0; i < names; ++i) {
                const std::string_view value = group.first[i].second;
                bool same = true;
                for (std::size_t at = i; same && at < group.values.size(); at += names) {
                    same = group.values[at] == value;
                }
                if (same) {
                    shared[group.first[i].first] = std::string(value);
                    continue;
                }
                json values = json::array();
                for (std::size_t at = i; at < group.values.size(); at += names) {
                    values.push_back(std::string(group.values[at]));
                }
                each[group.first[i].first] = std::move(values);
            }
            json removed = json::array();
            for (const char* name : group.removed) {
                removed.push_back(name);
            }
            json entry = json::array({group.keys, std::move(shared), std::move(removed), true});
            if (!each.empty()) {
                entry.push_back(std::move(each));
            }
            patterns.push_back(std::move(entry));
        }
    }

private:
    struct Group {
        std::vector<std::pair<const char*, std::string_view>> first;  // names, and the first member's values
        std::vector<const char*> removed;
        std::vector<std::uint64_t> keys;
        std::vector<std::string_view> values;  // each member's, name after name
    };
    std::unordered_map<std::string, std::size_t> index_;
    std::vector<Group> groups_;
};

}  // namespace

PageArtwork::PageArtwork(svg::SvgArtwork& artwork)
    : artwork_(artwork), snapshot_(std::make_unique<AttributeSnapshot>()) {
    for (const svg::ArtSource& source : artwork_.sources) {
        if (source.element && source.ownPattern) {
            ++keyed(source.ownPattern).users;
        }
    }
}

PageArtwork::~PageArtwork() = default;

PageArtwork::KeyedPattern& PageArtwork::keyed(pugi::xml_node pattern) {
    KeyedPattern& entry = patterns_[pattern.internal_object()];
    if (entry.key == 0) {
        entry.key = nextKey_++;
    }
    return entry;
}

std::string PageArtwork::wholeText() {
    // The file's own attributes of our names step aside while the text is made.
    struct Aside {
        pugi::xml_node element;
        std::string name;
        std::string value;
    };
    std::vector<Aside> aside;
    struct Collector : pugi::xml_tree_walker {
        std::vector<Aside>& found;
        explicit Collector(std::vector<Aside>& into) : found(into) {}
        bool for_each(pugi::xml_node& node) override {
            for (const pugi::xml_attribute attribute : node.attributes()) {
                if (isOurs(attribute.name())) {
                    found.push_back({node, attribute.name(), attribute.value()});
                }
            }
            return true;
        }
    } collector(aside);
    artwork_.xml->traverse(collector);
    for (Aside& one : aside) {
        one.element.remove_attribute(one.name.c_str());
    }

    std::vector<std::pair<pugi::xml_node, const char*>> marked;
    for (simhost::ArtId id = 0; id < artwork_.sources.size(); ++id) {
        svg::ArtSource& source = artwork_.sources[id];
        if (!source.element || !artwork_.document.isLive(id)) {
            continue;
        }
        source.element.append_attribute(kArtAttribute).set_value(static_cast<unsigned>(id));
        marked.emplace_back(source.element, kArtAttribute);
        if (source.ownPattern && !source.ownPattern.attribute(kPatternKeyAttribute)) {
            source.ownPattern.append_attribute(kPatternKeyAttribute)
                .set_value(static_cast<unsigned long long>(keyed(source.ownPattern).key));
            marked.emplace_back(source.ownPattern, kPatternKeyAttribute);
        }
    }
    std::string text;
    std::exception_ptr failure;
    try {
        text = svg::writeSvgText(artwork_, svg::TextEncoding::Utf8);
    } catch (...) {
        failure = std::current_exception();
    }
    for (auto& [element, name] : marked) {
        element.remove_attribute(name);
    }
    for (Aside& one : aside) {
        one.element.append_attribute(one.name.c_str()).set_value(one.value.c_str());
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return text;
}

json PageArtwork::update(const simhost::Document& host, const std::vector<simhost::ArtId>& changed) {
    const std::uint64_t update = ++updates_;
    // What the page has now of every element the writer may touch.
    AttributeSnapshot& before = *snapshot_;
    before.clear();
    struct Changed {
        simhost::ArtId id;
        AttributeSnapshot::Range element;
        pugi::xml_node oldPattern;
        KeyedPattern* old;
    };
    std::vector<Changed> changes;
    changes.reserve(changed.size());
    for (const simhost::ArtId id : changed) {
        const svg::ArtSource& source = artwork_.sources[id];
        if (!source.element) {
            continue;
        }
        Changed& change =
            changes.emplace_back(Changed{id, before.take(source.element), source.ownPattern, nullptr});
        if (source.ownPattern) {
            change.old = &keyed(source.ownPattern);
            if (change.old->takenIn != update) {
                change.old->takenIn = update;
                change.old->before = before.take(source.ownPattern);
            }
        }
        simhost::ArtObject& object = artwork_.document.art(id);
        object.style = host.art(id).style;
        object.matrix = host.art(id).matrix;
    }
    svg::applyChanges(artwork_);

    json arts = json::array();
    json patterns = json::array();
    json removed = json::array();
    // The own patterns whose users changed, then each one once. The map's
    // entries stay where they are as it grows.
    std::vector<std::pair<pugi::xml_node, KeyedPattern*>> touched;
    touched.reserve(changes.size());
    Change change;
    for (const Changed& art : changes) {
        const svg::ArtSource& source = artwork_.sources[art.id];
        before.difference(art.element, source.element, artwork_, change);
        if (!change.empty()) {
            arts.push_back({art.id, change.setJson(), change.removedJson()});
        }
        const pugi::xml_node now = source.ownPattern;
        if (art.oldPattern == now) {
            if (now) {
                touched.emplace_back(now, art.old);
            }
            continue;
        }
        if (art.oldPattern) {
            --art.old->users;
            touched.emplace_back(art.oldPattern, art.old);
        }
        if (now) {
            const auto [entry, fresh] = patterns_.try_emplace(now.internal_object());
            if (fresh) {
                entry->second.key = nextKey_++;
                entry->second.madeIn = update;
            }
            ++entry->second.users;
            touched.emplace_back(now, &entry->second);
        }
    }
    std::unordered_map<std::string, std::size_t> alike;
    Change lastChange;
    std::size_t lastGroup = std::numeric_limits<std::size_t>::max();
    MadeGroups madeGroups;
    std::vector<const pugi::xml_node_struct*> freed;
    for (const auto& [pattern, entry] : touched) {
        if (entry->toldIn == update) {
            continue;
        }
        entry->toldIn = update;
        if (entry->users <= 0) {
            // The writer freed it: only its key is left to tell.
            removed.push_back(entry->key);
            freed.push_back(pattern.internal_object());
            continue;
        }
        const bool isNew = entry->madeIn == update;
        const bool taken = !isNew && entry->takenIn == update;
        before.difference(taken ? entry->before : AttributeSnapshot::Range{0, 0}, pattern, artwork_, change);
        if (isNew) {
            madeGroups.add(entry->key, change);
            continue;
        }
        if (change.empty()) {
            continue;
        }
        // Patterns changed alike, as a move changes those of every selected
        // path, are told once with all their keys. Such patterns come one
        // after another, so the last change is looked at first.
        if (lastGroup < patterns.size() && change == lastChange) {
            patterns[lastGroup][0].push_back(entry->key);
            continue;
        }
        const auto [group, fresh] = alike.try_emplace(change.text(), patterns.size());
        lastGroup = group->second;
        std::swap(lastChange, change);
        if (fresh) {
            patterns.push_back({json::array(), lastChange.setJson(), lastChange.removedJson(), false});
        }
        patterns[lastGroup][0].push_back(entry->key);
    }
    for (const pugi::xml_node_struct* node : freed) {
        patterns_.erase(node);
    }
    madeGroups.appendTo(patterns);
    return {{"arts", std::move(arts)}, {"patterns", std::move(patterns)}, {"removed", std::move(removed)}};
}

}  // namespace shunthost::serve
