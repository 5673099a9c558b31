#include "SvgStyleSheet.h"

#include <algorithm>
#include <cstring>

#include "SvgNumbers.h"
#include "SvgStyleAttribute.h"
#include "SvgTextHash.h"

namespace shunthost::svg {

namespace {

// A selector of more parts than this is skipped: no editor writes one.
constexpr std::size_t kMostCompounds = 32;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

// The sheet without its comments; CDO and CDC ("<!--", "-->"), which CSS
// ignores between rules, become spaces.
std::string withoutComments(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
            out += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            out += c;
        } else if (text.substr(i, 2) == "/*") {
            const std::size_t end = text.find("*/", i + 2);
            i = end == std::string_view::npos ? text.size() : end + 1;
            out += ' ';
        } else if (text.substr(i, 4) == "<!--") {
            i += 3;
            out += ' ';
        } else if (text.substr(i, 3) == "-->") {
            i += 2;
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

// The position after the block that opens at `open` ('{'), or npos.
std::size_t blockEnd(std::string_view text, std::size_t open) {
    int depth = 0;
    char quote = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}' && --depth == 0) {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

// The element's name without a prefix: `svg:rect` is a rect.
std::string_view localName(const char* name) {
    // One pass for the colon and the end: asked for every element read.
    const char* local = name;
    const char* end = name;
    for (; *end != 0; ++end) {
        if (*end == ':' && local == name) {
            local = end + 1;
        }
    }
    return {local, static_cast<std::size_t>(end - local)};
}
std::string_view localName(pugi::xml_node element) {
    return localName(element.name());
}

// Calls `each` with every class a class attribute names.
template <class Each>
void forEachClass(std::string_view classes, Each each) {
    std::size_t pos = 0;
    while (pos < classes.size()) {
        while (pos < classes.size() && isSpace(classes[pos])) {
            ++pos;
        }
        const std::size_t start = pos;
        while (pos < classes.size() && !isSpace(classes[pos])) {
            ++pos;
        }
        if (pos > start) {
            each(classes.substr(start, pos - start));
        }
    }
}

bool hasClass(std::string_view classes, std::string_view wanted) {
    bool found = false;
    forEachClass(classes, [&](std::string_view name) { found = found || name == wanted; });
    return found;
}

// An id, class or element name as one number; the kind keeps an id from
// passing for a class of the same name.
std::uint64_t feature(char kind, std::string_view name) {
    return mixText(static_cast<std::uint64_t>(kind), name);
}

}  // namespace

template <class Visit>
void StyleSheets::forEachFeature(pugi::xml_node element, Visit visit) {
    visit(feature('t', localName(element)));
    if (const std::string_view id = element.attribute("id").value(); !id.empty()) {
        visit(feature('#', id));
    }
    forEachClass(element.attribute("class").value(),
                 [&](std::string_view name) { visit(feature('.', name)); });
}

void StyleSheets::enter(pugi::xml_node element) {
    if (!rules_.empty()) {
        siblings_.clear();
        forEachFeature(element, [this](std::uint64_t f) { ++ancestorFeatures_[f]; });
    }
}

void StyleSheets::leave(pugi::xml_node element) {
    if (!rules_.empty()) {
        siblings_.clear();
        forEachFeature(element, [this](std::uint64_t f) {
            if (const auto found = ancestorFeatures_.find(f);
                found != ancestorFeatures_.end() && --found->second == 0) {
                ancestorFeatures_.erase(found);
            }
        });
    }
}

bool StyleSheets::ancestorsMayMatch(const Rule& rule) const {
    return std::all_of(rule.ancestorFeatures.begin(), rule.ancestorFeatures.end(),
                       [this](std::uint64_t f) { return ancestorFeatures_.contains(f); });
}

void StyleSheets::add(std::string text) {
    const std::string& sheet = texts_.emplace_back(withoutComments(text));
    const std::string_view all = sheet;
    std::size_t pos = 0;
    while (pos < all.size()) {
        while (pos < all.size() && (isSpace(all[pos]) || all[pos] == ';')) {
            ++pos;
        }
        if (pos >= all.size()) {
            break;
        }
        const std::size_t open = all.find('{', pos);
        if (all[pos] == '@') {
            // An at-rule ends at its ';' or with its block, whichever comes first.
            const std::size_t semicolon = all.find(';', pos);
            if (semicolon < open) {
                pos = semicolon + 1;
                continue;
            }
        }
        if (open == std::string_view::npos) {
            break;
        }
        const std::size_t end = blockEnd(all, open);
        if (end == std::string_view::npos) {
            break;  // an unclosed block holds nothing that is applied
        }
        if (all[pos] != '@') {
            parseRule(all.substr(pos, open - pos), all.substr(open + 1, end - open - 2));
        }
        pos = end;
    }
}

void StyleSheets::addElement(pugi::xml_node style, const XmlText& xml) {
    const std::string_view type = trimmed(style.attribute("type").value());
    if (!type.empty() && type != "text/css") {
        return;
    }
    const std::string_view media = trimmed(style.attribute("media").value());
    if (!media.empty() && media != "all" && media != "screen") {
        return;
    }
    std::string text;
    for (pugi::xml_node child = style.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata) {
            xml.decodeInto(child.value(), text);
        } else if (child.type() == pugi::node_cdata) {
            text += child.value();
        }
    }
    add(std::move(text));
}

void StyleSheets::parseRule(std::string_view prelude, std::string_view block) {
    std::vector<Declaration> found;
    forEachDeclaration(block, [&](std::string_view name, std::string_view value, bool important) {
        // A declaration whose value the property cannot take is dropped, as
        // CSS drops it, and does not hide the ones before it.
        if (const auto property = propertyNamed(name)) {
            try {
                InheritedStyle scratch;
                applyProperty(scratch, *property, value);
                found.push_back({*property, value, important});
                importantDeclarations_ = importantDeclarations_ || important;
            } catch (const BadValue&) {
            }
        }
    });
    // A group with one selector that is not understood is dropped whole, as CSS drops it.
    std::vector<Rule> group;
    std::size_t pos = 0;
    while (pos <= prelude.size()) {
        std::size_t comma = prelude.find(',', pos);
        if (comma == std::string_view::npos) {
            comma = prelude.size();
        }
        Rule rule;
        if (!parseSelector(prelude.substr(pos, comma - pos), rule)) {
            return;
        }
        group.push_back(std::move(rule));
        pos = comma + 1;
    }
    if (found.empty()) {
        return;
    }
    const auto first = static_cast<std::uint32_t>(declarations_.size());
    declarations_.insert(declarations_.end(), found.begin(), found.end());
    for (Rule& rule : group) {
        rule.order = static_cast<std::uint32_t>(rules_.size());
        rule.declarations = first;
        rule.declarationCount = static_cast<std::uint32_t>(found.size());
        ownIdsAsked_ = ownIdsAsked_ || !rule.compounds[0].id.empty();
        rules_.push_back(std::move(rule));
    }
}

bool StyleSheets::parseSelector(std::string_view text, Rule& rule) {
    text = trimmed(text);
    if (text.empty()) {
        return false;
    }
    std::vector<Compound> leftToRight;
    std::uint32_t ids = 0, classes = 0, types = 0;
    std::size_t pos = 0;
    bool child = false;
    while (pos < text.size()) {
        Compound compound;
        bool any = false;
        if (text[pos] == '*') {
            any = true;
            ++pos;
        } else if (isNameChar(text[pos])) {
            const std::size_t start = pos;
            while (pos < text.size() && isNameChar(text[pos])) {
                ++pos;
            }
            compound.type = text.substr(start, pos - start);
            ++types;
            any = true;
        }
        while (pos < text.size() && (text[pos] == '.' || text[pos] == '#')) {
            const char kind = text[pos++];
            const std::size_t start = pos;
            while (pos < text.size() && isNameChar(text[pos])) {
                ++pos;
            }
            if (pos == start) {
                return false;
            }
            const std::string_view name = text.substr(start, pos - start);
            if (kind == '.') {
                compound.classes.push_back(name);
                ++classes;
            } else {
                if (!compound.id.empty() && compound.id != name) {
                    compound.id = "\x01";  // two ids: matches nothing
                } else {
                    compound.id = name;
                }
                ++ids;
            }
            any = true;
        }
        if (!any) {
            return false;  // [attr], :pseudo, +, ~, |, or nothing where a part should be
        }
        compound.childOfNext = child;
        leftToRight.push_back(std::move(compound));
        // The combinator to the next compound.
        bool space = false;
        while (pos < text.size() && isSpace(text[pos])) {
            space = true;
            ++pos;
        }
        child = false;
        if (pos < text.size() && text[pos] == '>') {
            child = true;
            ++pos;
            while (pos < text.size() && isSpace(text[pos])) {
                ++pos;
            }
            if (pos >= text.size()) {
                return false;
            }
        } else if (pos < text.size() && !space) {
            return false;
        }
    }
    if (leftToRight.size() > kMostCompounds) {
        return false;
    }
    // Right to left: each compound's flag, set from the combinator before it,
    // now says whether the next one must be its parent or any ancestor.
    std::reverse(leftToRight.begin(), leftToRight.end());
    rule.compounds = std::move(leftToRight);
    for (std::size_t i = 1; i < rule.compounds.size(); ++i) {
        const Compound& ancestor = rule.compounds[i];
        if (!ancestor.type.empty()) {
            rule.ancestorFeatures.push_back(feature('t', ancestor.type));
        }
        if (!ancestor.id.empty()) {
            rule.ancestorFeatures.push_back(feature('#', ancestor.id));
        }
        for (const std::string_view name : ancestor.classes) {
            rule.ancestorFeatures.push_back(feature('.', name));
        }
    }
    rule.specificity = (std::min<std::uint32_t>(ids, 255) << 16) |
                       (std::min<std::uint32_t>(classes, 255) << 8) | std::min<std::uint32_t>(types, 255);
    return true;
}

bool StyleSheets::matchesCompound(const Compound& compound, std::string_view type, std::string_view id,
                                  std::string_view classes) {
    if (!compound.type.empty() && type != compound.type) {
        return false;
    }
    if (!compound.id.empty() && compound.id != id) {
        return false;
    }
    return std::all_of(compound.classes.begin(), compound.classes.end(),
                       [&](std::string_view name) { return hasClass(classes, name); });
}

// Whether compounds[at..] match `element` and its ancestors; the depth of
// the calls is bounded by the number of compounds. A descendant part that
// found no ancestor all the way up fails completely: no other choice for the
// parts to its right can help, so the search never backtracks through it again.
StyleSheets::Match StyleSheets::matches(const Rule& rule, std::size_t at, pugi::xml_node element) {
    // An ancestor's attributes are looked up only for a part that asks for them.
    const Compound& compound = rule.compounds[at];
    if (!matchesCompound(compound, compound.type.empty() ? "" : localName(element),
                         compound.id.empty() ? "" : element.attribute("id").value(),
                         compound.classes.empty() ? "" : element.attribute("class").value())) {
        return Match::FailsHere;
    }
    return matchesAbove(rule, at, element);
}

// Whether compounds[at + 1..] match the ancestors of `element`, which compounds[at] matches.
StyleSheets::Match StyleSheets::matchesAbove(const Rule& rule, std::size_t at, pugi::xml_node element) {
    if (at + 1 == rule.compounds.size()) {
        return Match::Matches;
    }
    // compounds[at + 1] must match the parent, or (descendant) some ancestor.
    const bool parentOnly = rule.compounds[at].childOfNext;
    for (pugi::xml_node up = element.parent(); up && up.type() == pugi::node_element; up = up.parent()) {
        const Match found = matches(rule, at + 1, up);
        if (found != Match::FailsHere || parentOnly) {
            return found;
        }
    }
    return Match::FailsCompletely;
}

const std::vector<const StyleSheets::Rule*>& StyleSheets::matchedRules(
    pugi::xml_node element, const ElementAttributes& attributes) const {
    const std::string_view type =
        attributes.elementName != nullptr ? localName(attributes.elementName) : localName(element);
    const std::string_view id = ownIdsAsked_ ? attributes.idAsWritten : std::string_view();
    const std::string_view classes = attributes.classAsWritten;
    for (const Siblings& known : siblings_) {
        if (sameText(known.type, type) && sameText(known.id, id) && sameText(known.classes, classes)) {
            return known.matched;
        }
    }
    // A handful of kinds of sibling are kept; past that, each element is matched anew.
    constexpr std::size_t kMostKept = 16;
    std::vector<const Rule*>& matched = siblings_.size() < kMostKept
                                            ? siblings_.emplace_back(Siblings{type, id, classes, {}}).matched
                                            : matched_;
    matched.clear();
    // The element's own part first, from the attributes already gathered:
    // most rules fail there.
    for (const Rule& rule : rules_) {
        if (matchesCompound(rule.compounds[0], type, attributes.idAsWritten, attributes.classAsWritten) &&
            ancestorsMayMatch(rule) && matchesAbove(rule, 0, element) == Match::Matches) {
            matched.push_back(&rule);
        }
    }
    // By specificity, then order: an insertion sort of the few rules that
    // match, which allocates nothing.
    for (std::size_t i = 1; i < matched.size(); ++i) {
        const Rule* rule = matched[i];
        std::size_t j = i;
        for (; j > 0 && matched[j - 1]->specificity > rule->specificity; --j) {
            matched[j] = matched[j - 1];
        }
        matched[j] = rule;
    }
    return matched;
}

SheetOrigin StyleSheets::cascade(pugi::xml_node element, ElementAttributes& attributes) const {
    SheetOrigin origin;
    const std::vector<const Rule*>& matched = matchedRules(element, attributes);
    if (matched.empty() && attributes.style.empty()) {
        return origin;
    }
    auto applyRules = [&](bool important) {
        for (const Rule* rule : matched) {
            for (std::uint32_t i = 0; i < rule->declarationCount; ++i) {
                const Declaration& declaration = declarations_[rule->declarations + i];
                if (declaration.important == important) {
                    attributes.give(declaration.property, declaration.value);
                    const auto bit =
                        static_cast<std::uint16_t>(1u << static_cast<unsigned>(declaration.property));
                    origin.fromSheet |= bit;
                    if (important) {
                        origin.important |= bit;
                    }
                }
            }
        }
    };
    auto applyStyleAttribute = [&](bool important) {
        if (attributes.style.empty()) {
            return;
        }
        forEachDeclaration(attributes.style,
                           [&](std::string_view name, std::string_view value, bool isImportant) {
                               if (isImportant == important) {
                                   if (const auto property = propertyNamed(name)) {
                                       attributes.give(*property, value);
                                   }
                               }
                           });
    };
    applyRules(false);
    applyStyleAttribute(false);
    if (importantDeclarations_) {
        applyRules(true);
    }
    applyStyleAttribute(true);
    return origin;
}

}  // namespace shunthost::svg
