#include "PageArtwork.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace shunthost::serve {

using nlohmann::json;

namespace {

bool isOurs(const char* name) {
    return std::strcmp(name, kArtAttribute) == 0 || std::strcmp(name, kPatternKeyAttribute) == 0;
}

// What changed between two attribute lists: the new values and the names gone.
// Null when nothing did.
json difference(const std::vector<std::pair<std::string, std::string>>& before,
                const std::vector<std::pair<std::string, std::string>>& after) {
    const auto named = [](const std::vector<std::pair<std::string, std::string>>& list,
                          const std::string& name) {
        return std::find_if(list.begin(), list.end(), [&name](const auto& a) { return a.first == name; });
    };
    json set = json::object();
    json removed = json::array();
    for (const auto& attribute : after) {
        const auto found = named(before, attribute.first);
        if (found == before.end() || found->second != attribute.second) {
            set[attribute.first] = attribute.second;
        }
    }
    for (const auto& attribute : before) {
        if (named(after, attribute.first) == after.end()) {
            removed.push_back(attribute.first);
        }
    }
    if (set.empty() && removed.empty()) {
        return nullptr;
    }
    return json::array({std::move(set), std::move(removed)});
}

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

PageArtwork::Attributes PageArtwork::attributesOf(pugi::xml_node element) {
    Attributes attributes;
    for (const pugi::xml_attribute attribute : element.attributes()) {
        if (!isOurs(attribute.name())) {
            attributes.emplace_back(attribute.name(), attribute.value());
        }
    }
    return attributes;
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
        text = svg::writeSvgText(artwork_);
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
    std::unordered_map<const pugi::xml_node_struct*, Attributes> before;
    std::vector<std::pair<simhost::ArtId, pugi::xml_node>> oldPatterns;
    for (const simhost::ArtId id : changed) {
        const svg::ArtSource& source = artwork_.sources[id];
        if (!source.element) {
            continue;
        }
        before.try_emplace(source.element.internal_object(), attributesOf(source.element));
        if (source.ownPattern) {
            before.try_emplace(source.ownPattern.internal_object(), attributesOf(source.ownPattern));
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
        if (json change = difference(before[source.element.internal_object()], attributesOf(source.element));
            !change.is_null()) {
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
        const auto was = before.find(node);
        json change =
            difference(isNew || was == before.end() ? Attributes{} : was->second, attributesOf(pattern));
        if (!change.is_null() || isNew) {
            if (change.is_null()) {
                change = json::array({json::object(), json::array()});
            }
            patterns.push_back({entry->second.key, std::move(change[0]), std::move(change[1]), isNew});
        }
    }
    return {{"arts", std::move(arts)}, {"patterns", std::move(patterns)}, {"removed", std::move(removed)}};
}

}  // namespace shunthost::serve
