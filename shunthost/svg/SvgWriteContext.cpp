#include "SvgWriteContext.h"

#include <cstring>
#include <optional>

#include "SvgPageSpace.h"
#include "SvgStyleAttribute.h"

namespace shunthost::svg {

WriteContext::WriteContext(SvgArtwork& artwork) : artwork_(artwork) {}

void WriteContext::countOwnPatternUsers() {
    if (usersCounted_) {
        return;
    }
    usersCounted_ = true;
    for (const ArtSource& source : artwork_.sources) {
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
    setAttributeText(attribute, value);
    wroteOwnAttributes_ = true;
    return attribute;
}

void WriteContext::removeOwnAttribute(pugi::xml_node element, std::string_view local) {
    element.remove_attribute(ownName(local).c_str());
}

std::string WriteContext::uniqueId(const std::string& base) {
    std::string id = base;
    for (int n = 2; artwork_.ids.mayHave(id); ++n) {
        id = base + "-" + std::to_string(n);
    }
    artwork_.ids.add(id);
    return id;
}

int WriteContext::ownPatternUsers(pugi::xml_node pattern) {
    countOwnPatternUsers();
    const auto found = ownPatternUsers_.find(pattern.internal_object());
    return found == ownPatternUsers_.end() ? 0 : found->second;
}

void WriteContext::addOwnPatternUser(pugi::xml_node pattern, int delta) {
    countOwnPatternUsers();
    ownPatternUsers_[pattern.internal_object()] += delta;
}

void WriteContext::madeOwnPattern(pugi::xml_node pattern) {
    if (usersCounted_) {
        ++ownPatternUsers_[pattern.internal_object()];
    }
}

pugi::xml_node WriteContext::defs() {
    pugi::xml_node root = artwork_.xml->document_element();
    const std::string name = artwork_.names.svgName("defs");
    if (pugi::xml_node existing = root.child(name.c_str())) {
        return existing;
    }
    return root.prepend_child(name.c_str());
}

void removeElement(SvgArtwork& artwork, pugi::xml_node element) {
    const auto forget = [&artwork](pugi::xml_node node) {
        if (const pugi::xml_attribute id = node.attribute("id"); *id.value() != 0) {
            artwork.ids.remove(artwork.value(id));
        }
    };
    pugi::xml_node node = element;
    while (true) {
        while (node.first_child()) {
            node = node.first_child();
        }
        if (node == element) {
            break;
        }
        pugi::xml_node parent = node.parent();
        forget(node);
        parent.remove_child(node);
        node = parent;
    }
    forget(element);
    element.parent().remove_child(element);
}

namespace {

// The value of the last declaration of `name` in a style, as CSS takes it.
std::optional<std::string_view> declaredValue(std::string_view style, std::string_view name) {
    std::optional<std::string_view> found;
    forEachDeclaration(style, [&](std::string_view n, std::string_view v) {
        if (n == name) {
            found = v;
        }
    });
    return found;
}

}  // namespace

void setProperty(SvgArtwork& artwork, pugi::xml_node element, const char* name, const std::string& value,
                 bool fromSheet, bool importantInSheet) {
    pugi::xml_attribute style = element.attribute("style");
    const std::string written = importantInSheet ? value + " !important" : value;
    if (style) {
        const std::string raw = style.value();
        if (!XmlText::needsDecoding(raw.c_str())) {
            if (const auto replaced = replaceDeclaration(raw, name, written)) {
                setAttributeText(style, *replaced);
                return;
            }
        } else if (fromSheet || declaredValue(artwork.value(style), name)) {
            // The style says it through references (style="&st0;"): their text
            // is kept, and the declaration is replaced where it is written
            // out, or else added at the end, where CSS lets it win.
            const std::string declaration = escapeAttribute(written);
            std::string text = replaceDeclaration(raw, name, declaration).value_or("");
            std::string meant;
            if (!text.empty()) {
                artwork.text.decodeInto(text, meant);
            }
            if (text.empty() || declaredValue(meant, name) != std::string_view(written)) {
                text = raw + ";" + name + ":" + declaration;
            }
            style.set_value(text.c_str());
            return;
        }
    }
    if (fromSheet) {
        // The sheet, which other elements share, is never changed: the
        // element's own style wins over it.
        if (!style) {
            style = element.append_attribute("style");
        }
        setAttributeText(style, appendDeclaration(artwork.value(style), name, written));
        return;
    }
    pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) {
        attribute = element.append_attribute(name);
    }
    setAttributeText(attribute, value);
}

std::optional<AIRealMatrix> ownMatrix(const SvgArtwork& artwork, simhost::ArtId id,
                                      const AIRealMatrix& host) {
    const ArtSource& source = artwork.sources[id];
    return fromHostMatrix(artwork.placements[source.outside], host, artwork.placements[source.inside]);
}

}  // namespace shunthost::svg
