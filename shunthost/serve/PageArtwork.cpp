#include "PageArtwork.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string_view>
#include <unordered_set>

namespace shunthost::serve {

using nlohmann::json;

namespace {

bool isOurs(const char* name) {
    return std::strcmp(name, kArtAttribute) == 0 || std::strcmp(name, kPatternKeyAttribute) == 0;
}

// The attributes of the elements a change may touch, as they were before it,
// all in one buffer: a click on every path of a large drawing takes tens of
// thousands of them, which one string each made the server's slowest part.
class AttributeSnapshot {
public:
    struct Saved {
        std::size_t name;  // offsets into the buffer; the name ends in a NUL
        std::size_t value;
        std::size_t valueSize;
    };
    using Range = std::pair<std::size_t, std::size_t>;  // into saved_

    explicit AttributeSnapshot(const svg::SvgArtwork& artwork, std::size_t elements) : artwork_(artwork) {
        ranges_.reserve(elements);
        saved_.reserve(elements * 4);
    }

    // Keeps the element's attributes, other than ours, once.
    void take(pugi::xml_node element) {
        const auto [entry, fresh] = ranges_.try_emplace(element.internal_object());
        if (!fresh) {
            return;
        }
        const std::size_t first = saved_.size();
        for (const pugi::xml_attribute attribute : element.attributes()) {
            if (isOurs(attribute.name())) {
                continue;
            }
            // The page sets what a value means, not how the file wrote it.
            const std::string_view value = artwork_.value(attribute);
            Saved saved{text_.size(), 0, value.size()};
            text_.append(attribute.name()).push_back('\0');
            saved.value = text_.size();
            text_.append(value);
            saved_.push_back(saved);
        }
        entry->second = {first, saved_.size()};
    }

    // What the element had; an empty range for one not taken.
    Range of(pugi::xml_node element) const {
        const auto found = ranges_.find(element.internal_object());
        return found == ranges_.end() ? Range{0, 0} : found->second;
    }

    // What changed of the element since it was taken (from `before`, which
    // may be empty): its new values and the names gone. Null when nothing did.
    json difference(Range before, pugi::xml_node element) const {
        json set = json::object();
        json removed = json::array();
        for (const pugi::xml_attribute attribute : element.attributes()) {
            if (isOurs(attribute.name())) {
                continue;
            }
            const std::string_view value = artwork_.value(attribute);
            const Saved* found = named(before, attribute.name());
            if (found == nullptr || this->value(*found) != value) {
                set[attribute.name()] = std::string(value);
            }
        }
        for (std::size_t i = before.first; i < before.second; ++i) {
            const char* name = text_.data() + saved_[i].name;
            if (!element.attribute(name)) {
                removed.push_back(name);
            }
        }
        if (set.empty() && removed.empty()) {
            return nullptr;
        }
        return json::array({std::move(set), std::move(removed)});
    }

private:
    std::string_view value(const Saved& saved) const { return {text_.data() + saved.value, saved.valueSize}; }

    const Saved* named(Range range, const char* name) const {
        for (std::size_t i = range.first; i < range.second; ++i) {
            if (std::strcmp(text_.data() + saved_[i].name, name) == 0) {
                return &saved_[i];
            }
        }
        return nullptr;
    }

    const svg::SvgArtwork& artwork_;
    std::string text_;
    std::vector<Saved> saved_;
    std::unordered_map<const pugi::xml_node_struct*, Range> ranges_;
};

// The own patterns a change made, told by groups that set the same
// attributes: the values all of a group share once, the others (its id,
// above all) as one list per attribute in the order of the keys. A first
// move of every path of a large drawing makes a pattern for each, which
// one entry each made a large part of the server's and the page's work.
class MadeGroups {
public:
    void add(std::uint64_t key, json change) {
        std::string shape = change[1].dump(-1, ' ', false, json::error_handler_t::replace);
        for (const auto& [name, value] : change[0].items()) {
            shape.append(1, '\0').append(name);
        }
        const auto [group, fresh] = index_.try_emplace(std::move(shape), groups_.size());
        if (fresh) {
            groups_.emplace_back();
        }
        groups_[group->second].emplace_back(key, std::move(change));
    }

    // Entries [[key...], {shared name: value}, [removed names], true, {name: [value...]}].
    void appendTo(json& patterns) {
        for (std::vector<std::pair<std::uint64_t, json>>& members : groups_) {
            json keys = json::array();
            json shared = json::object();
            json each = json::object();
            for (const auto& item : members.front().second[0].items()) {
                const std::string& name = item.key();
                const json& value = item.value();
                const bool same = std::all_of(members.begin(), members.end(), [&](const auto& member) {
                    return member.second[0][name] == value;
                });
                if (same) {
                    shared[name] = value;
                    continue;
                }
                json values = json::array();
                for (auto& member : members) {
                    values.push_back(std::move(member.second[0][name]));
                }
                each[name] = std::move(values);
            }
            for (const auto& member : members) {
                keys.push_back(member.first);
            }
            json entry =
                json::array({std::move(keys), std::move(shared), std::move(members.front().second[1]), true});
            if (!each.empty()) {
                entry.push_back(std::move(each));
            }
            patterns.push_back(std::move(entry));
        }
    }

private:
    std::unordered_map<std::string, std::size_t> index_;
    std::vector<std::vector<std::pair<std::uint64_t, json>>> groups_;
};

}  // namespace

PageArtwork::PageArtwork(svg::SvgArtwork& artwork) : artwork_(artwork) {
    for (const svg::ArtSource& source : artwork_.sources) {
        if (source.element && source.ownPattern) {
            ++keyed(source.ownPattern).users;
        }
    }
}

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
    // What the page has now of every element the writer may touch.
    AttributeSnapshot before(artwork_, changed.size() * 2);
    std::vector<std::pair<simhost::ArtId, pugi::xml_node>> oldPatterns;
    oldPatterns.reserve(changed.size());
    for (const simhost::ArtId id : changed) {
        const svg::ArtSource& source = artwork_.sources[id];
        if (!source.element) {
            continue;
        }
        before.take(source.element);
        if (source.ownPattern) {
            before.take(source.ownPattern);
        }
        oldPatterns.emplace_back(id, source.ownPattern);
        simhost::ArtObject& object = artwork_.document.art(id);
        object.style = host.art(id).style;
        object.matrix = host.art(id).matrix;
    }
    svg::applyChanges(artwork_);

    json arts = json::array();
    json patterns = json::array();
    json removed = json::array();
    // The own patterns whose users changed, then each one once.
    std::vector<pugi::xml_node> touched;
    std::unordered_set<const pugi::xml_node_struct*> made;
    for (const auto& [id, old] : oldPatterns) {
        const svg::ArtSource& source = artwork_.sources[id];
        if (json change = before.difference(before.of(source.element), source.element); !change.is_null()) {
            arts.push_back({id, std::move(change[0]), std::move(change[1])});
        }
        const pugi::xml_node now = source.ownPattern;
        if (old == now) {
            if (now) {
                touched.push_back(now);
            }
            continue;
        }
        if (old) {
            --keyed(old).users;
            touched.push_back(old);
        }
        if (now) {
            if (!patterns_.contains(now.internal_object())) {
                made.insert(now.internal_object());
            }
            ++keyed(now).users;
            touched.push_back(now);
        }
    }
    std::unordered_set<const pugi::xml_node_struct*> done;
    std::unordered_map<std::string, std::size_t> alike;
    json lastChange;
    std::size_t lastGroup = std::numeric_limits<std::size_t>::max();
    MadeGroups madeGroups;
    for (const pugi::xml_node pattern : touched) {
        const pugi::xml_node_struct* node = pattern.internal_object();
        if (!done.insert(node).second) {
            continue;
        }
        const auto entry = patterns_.find(node);
        if (entry->second.users <= 0) {
            // The writer freed it: only its key is left to tell.
            removed.push_back(entry->second.key);
            patterns_.erase(entry);
            continue;
        }
        const bool isNew = made.contains(node);
        json change = before.difference(isNew ? AttributeSnapshot::Range{0, 0} : before.of(pattern), pattern);
        if (isNew) {
            madeGroups.add(entry->second.key, change.is_null() ? json::array({json::object(), json::array()})
                                                               : std::move(change));
        } else if (!change.is_null()) {
            if (change.is_null()) {
                change = json::array({json::object(), json::array()});
            }
            // Patterns changed alike, as a move changes those of every
            // selected path, are told once with all their keys. Such
            // patterns come one after another, so the last change is
            // looked at first: its text and a lookup for each of 100,000
            // patterns cost more than comparing it.
            if (lastGroup < patterns.size() && change == lastChange) {
                patterns[lastGroup][0].push_back(entry->second.key);
                continue;
            }
            const auto [group, fresh] = alike.try_emplace(
                change.dump(-1, ' ', false, json::error_handler_t::replace), patterns.size());
            lastChange = change;
            lastGroup = group->second;
            if (fresh) {
                patterns.push_back({json::array(), std::move(change[0]), std::move(change[1]), false});
            }
            patterns[group->second][0].push_back(entry->second.key);
        }
    }
    madeGroups.appendTo(patterns);
    return {{"arts", std::move(arts)}, {"patterns", std::move(patterns)}, {"removed", std::move(removed)}};
}

}  // namespace shunthost::serve
