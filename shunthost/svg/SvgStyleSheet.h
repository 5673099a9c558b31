// CSS style sheets (<style> elements and `class`) for the properties the host
// models. No CSS library kept in Debian for C++ does this job, so this is a
// small parser for what editors write: rules of type, class, id and `*`
// selectors joined by descendant and child combinators, grouped with commas,
// with specificity and !important. Whatever else a sheet holds (at-rules such
// as @media and @import, attribute selectors, pseudo-classes, sibling
// combinators, namespaces) is skipped: the rule is not applied, and the file
// is never refused for it.
#ifndef SHUNTHOST_SVG_SVGSTYLESHEET_H
#define SHUNTHOST_SVG_SVGSTYLESHEET_H

#include <cstdint>
#include <deque>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "SvgPaintProperties.h"
#include "SvgReadContext.h"
#include "SvgXmlText.h"

namespace shunthost::svg {

// Where the properties an element takes came from sheets: a bit for each
// property a rule of a sheet set on the element, and one for each that an
// !important rule set. Saving writes such a property into the element's
// `style` attribute, where it wins over the rule.
struct SheetOrigin {
    std::uint16_t fromSheet = 0;
    std::uint16_t important = 0;
    bool has(Property property) const { return (fromSheet >> static_cast<unsigned>(property)) & 1u; }
    bool isImportant(Property property) const { return (important >> static_cast<unsigned>(property)) & 1u; }
};

class StyleSheets {
public:
    // Adds the text of a sheet, after those added before (later rules win
    // over earlier ones of the same specificity).
    void add(std::string text);
    // The sheet of a <style> element of type text/css (or none) for all or
    // screen media; other sheets are not added.
    // `xml` decodes the references in its text (`a &gt; b`).
    void addElement(pugi::xml_node style, const XmlText& xml);
    bool empty() const { return rules_.empty(); }

    // The elements around the one the cascade is asked about, entered from
    // the root down and left in reverse: a rule whose parts to the left ask
    // for an id, class or type no ancestor has is passed over at once, so
    // deep nesting costs no walk up the tree for it.
    void enter(pugi::xml_node element);
    void leave(pugi::xml_node element);

    // The cascade for one element: its presentation attributes (already in
    // `attributes`), then the rules that match it by specificity and order,
    // then its `style` attribute; !important declarations of the rules
    // above those, and the style attribute's !important ones above all.
    // The element is a member of the element entered last (or the root,
    // before it is entered).
    SheetOrigin cascade(pugi::xml_node element, ElementAttributes& attributes) const;

private:
    struct Compound {
        std::string_view type;  // empty: any
        std::string_view id;
        std::vector<std::string_view> classes;
        bool childOfNext = false;  // the next compound (to the left) is the parent, not any ancestor
    };
    struct Declaration {
        Property property;
        std::string_view value;
        bool important;
    };
    struct Rule {
        std::vector<Compound> compounds;  // right to left: the element itself first
        std::uint32_t specificity = 0;
        std::uint32_t order = 0;
        std::uint32_t declarations = 0;  // first in declarations_
        std::uint32_t declarationCount = 0;
        std::vector<std::uint64_t> ancestorFeatures;  // what the parts to the left ask for
    };

    void parseRule(std::string_view prelude, std::string_view block);
    static bool parseSelector(std::string_view text, Rule& rule);
    enum class Match { Matches, FailsHere, FailsCompletely };
    static Match matches(const Rule& rule, std::size_t at, pugi::xml_node element);
    static Match matchesAbove(const Rule& rule, std::size_t at, pugi::xml_node element);
    // `type` is the element's local name, `id` and `classes` its attributes as written.
    static bool matchesCompound(const Compound& compound, std::string_view type, std::string_view id,
                                std::string_view classes);

    template <class Visit>
    static void forEachFeature(pugi::xml_node element, Visit visit);
    bool ancestorsMayMatch(const Rule& rule) const;

    // The rules that match an element, sorted; the same for its siblings of
    // the same type and classes (and id, where a rule asks for the element's
    // own id), as nothing else that a selector here asks about differs
    // between them. Kept for the members of the group being read: entering
    // or leaving an element forgets them.
    struct Siblings {
        std::string_view type, id, classes;
        std::vector<const Rule*> matched;
    };
    const std::vector<const Rule*>& matchedRules(pugi::xml_node element,
                                                 const ElementAttributes& attributes) const;

    std::unordered_map<std::uint64_t, std::uint32_t> ancestorFeatures_;  // how many open ancestors have each
    mutable std::vector<Siblings> siblings_;
    mutable std::vector<const Rule*> matched_;  // for elements whose siblings are too varied to keep
    bool ownIdsAsked_ = false;                  // a rule asks for the element's own id
    bool importantDeclarations_ = false;        // a rule declares something !important
    std::deque<std::string> texts_;             // the sheets, which the rules' views point into
    std::vector<Rule> rules_;
    std::vector<Declaration> declarations_;
};

}  // namespace shunthost::svg

#endif
