#include "SvgWriteContext.h"

#include <cstring>

#include "SvgPageSpace.h"
#include "SvgStyleAttribute.h"

namespace shunthost::svg {

WriteContext::WriteContext(SvgArtwork& artwork) : artwork_(artwork) {
    for (const ArtSource& source : artwork.sources) {
        if (source.element && source.ownPattern) {
            ++ownPatternUsers_[source.ownPattern.internal_object()];
        }
    }
}

const std::string& WriteContext::ownName(std::string_view local) {
    for (const auto& [known, full] : ownNames_) {
        if (known == local) {
            return full;
        }
    }
    ownNames_.emplace_back(std::string(local), artwork_.ownAttribute(local));
    return ownNames_.back().second;
}

pugi::xml_attribute WriteContext::setOwnAttribute(pugi::xml_node element, std::string_view local,
                                                  const std::string& value) {
    const std::string& name = ownName(local);
    pugi::xml_attribute attribute = element.attribute(name.c_str());
    if (!attribute) {
        attribute = element.append_attribute(name.c_str());
    }
    attribute.set_value(value.c_str());
    wroteOwnAttributes_ = true;
    return attribute;
}

void WriteContext::removeOwnAttribute(pugi::xml_node element, std::string_view local) {
    element.remove_attribute(ownName(local).c_str());
}

std::string WriteContext::uniqueId(const std::string& base) {
    if (!idsCollected_) {
        struct Collector : pugi::xml_tree_walker {
            TextHashSet& ids;
            explicit Collector(TextHashSet& into) : ids(into) {}
            bool for_each(pugi::xml_node& node) override {
                if (node.type() == pugi::node_element) {
                    if (const char* id = node.attribute("id").value(); *id != 0) {
                        ids.insert(id);
                    }
                }
                return true;
            }
        } collector(idHashes_);
        artwork_.xml->traverse(collector);
        idsCollected_ = true;
    }
    std::string id = base;
    for (int n = 2; idHashes_.contains(id); ++n) {
        id = base + "-" + std::to_string(n);
    }
    idHashes_.insert(id);
    return id;
}

void WriteContext::noteId(std::string_view id) {
    if (idsCollected_) {
        idHashes_.insert(id);
    }
}

int WriteContext::ownPatternUsers(pugi::xml_node pattern) const {
    const auto found = ownPatternUsers_.find(pattern.internal_object());
    return found == ownPatternUsers_.end() ? 0 : found->second;
}

void WriteContext::addOwnPatternUser(pugi::xml_node pattern, int delta) {
    ownPatternUsers_[pattern.internal_object()] += delta;
}

pugi::xml_node WriteContext::defs() {
    pugi::xml_node root = artwork_.xml->document_element();
    if (pugi::xml_node existing = root.child("defs")) {
        return existing;
    }
    return root.prepend_child("defs");
}

void setProperty(pugi::xml_node element, const char* name, const std::string& value, bool fromSheet,
                 bool importantInSheet) {
    pugi::xml_attribute style = element.attribute("style");
    const std::string written = importantInSheet ? value + " !important" : value;
    if (style) {
        if (const auto replaced = replaceDeclaration(style.value(), name, written)) {
            style.set_value(replaced->c_str());
            return;
        }
    }
    if (fromSheet) {
        if (!style) {
            style = element.append_attribute("style");
        }
        style.set_value(appendDeclaration(style.value(), name, written).c_str());
        return;
    }
    pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) {
        attribute = element.append_attribute(name);
    }
    attribute.set_value(value.c_str());
}

std::optional<AIRealMatrix> ownMatrix(const SvgArtwork& artwork, simhost::ArtId id,
                                      const AIRealMatrix& host) {
    const ArtSource& source = artwork.sources[id];
    return fromHostMatrix(artwork.placements[source.outside], host, artwork.placements[source.inside]);
}

}  // namespace shunthost::svg
