// What the parts of the SVG reader share: messages that name the line of an
// element, the names of the project's own attributes in this file, and the
// attributes of an element that the reader looks at.
#ifndef SHUNTHOST_SVG_SVGREADCONTEXT_H
#define SHUNTHOST_SVG_SVGREADCONTEXT_H

#include <array>
#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "SvgDocument.h"
#include "SvgPaintProperties.h"

namespace shunthost::svg {

// Where the lines of a text end, noted before parsing in place overwrites
// some of them: a bit for each byte, set for each '\n'. An eighth of the
// text's size, where a copy of the text would be all of it.
class LineEnds {
public:
    explicit LineEnds(std::string_view text);
    // The line of a byte offset (1 for the first); 0 for an unknown offset.
    int lineAt(std::ptrdiff_t offset) const;

private:
    std::vector<std::uint64_t> bits_;
    std::size_t size_ = 0;
};

class ReadErrors {
public:
    ReadErrors(std::string sourceName, LineEnds lines)
        : sourceName_(std::move(sourceName)), lines_(std::move(lines)) {}

    // The line of a byte offset in the text parsed; 0 for an unknown offset.
    int lineAt(std::ptrdiff_t offset) const { return lines_.lineAt(offset); }

    // Throws SvgError with the element's line.
    [[noreturn]] void fail(pugi::xml_node element, const std::string& message);

    const std::string& sourceName() const { return sourceName_; }

private:
    std::string sourceName_;
    LineEnds lines_;
};

// The names of the project's own attributes under this file's prefix.
struct OwnNames {
    std::string forPath, artType, fill, stroke, fillRule, lineCap, lineJoin, overprint;
    std::string shift, scale, rotate, reflect, shear;

    explicit OwnNames(const std::string& prefix) {
        const std::string p = prefix + ":";
        forPath = p + "for";
        artType = p + "art-type";
        fill = p + "fill";
        stroke = p + "stroke";
        fillRule = p + "fill-rule";
        lineCap = p + "stroke-linecap";
        lineJoin = p + "stroke-linejoin";
        overprint = p + "overprint";
        shift = p + "shift";
        scale = p + "scale";
        rotate = p + "rotate";
        reflect = p + "reflect";
        shear = p + "shear";
    }
};

// The attributes of one element that the reader looks at, gathered in one pass.
struct ElementAttributes {
    const char* elementName = nullptr;  // as written, where the reader has it at hand
    std::string_view id;
    // The first id and class attributes as written, for style sheets' selectors.
    std::string_view idAsWritten, classAsWritten;
    std::string_view style;
    std::string_view transform;
    std::string_view href;
    std::uint32_t givenProperties = 0;  // a bit for each property given
    std::string_view artType, fillValues, strokeValues, fillRule, lineCap, lineJoin, overprint;

    // The text of a property given, however empty; a null view when not given.
    std::string_view property(Property property) const {
        const auto at = static_cast<unsigned>(property);
        return (givenProperties >> at & 1u) != 0 ? std::string_view(values_[at].data, values_[at].size)
                                                 : std::string_view();
    }
    void give(Property property, std::string_view value) {
        values_[static_cast<std::size_t>(property)] = {value.data(), value.size()};
        givenProperties |= 1u << static_cast<unsigned>(property);
    }

private:
    struct Text {
        const char* data;
        std::size_t size;
    };
    // Set where givenProperties has the bit, and not zeroed: gathered for
    // every element, zeroing them all cost more than the few given.
    std::array<Text, kPropertyCount> values_;
};

// Values as they mean (XmlText); throws XmlTextError.
ElementAttributes gatherAttributes(pugi::xml_node element, SvgArtwork& artwork, const OwnNames& own);

// Calls `visit` for every element under and including `root`, depth first, in
// document order, without recursion. pugixml's own walk steps from node to
// node inside the library, which costs far less than a call for every step.
template <class Visit>
void forEachElement(pugi::xml_node root, Visit visit) {
    struct Walker : pugi::xml_tree_walker {
        Visit& visit;
        explicit Walker(Visit& v) : visit(v) {}
        bool for_each(pugi::xml_node& node) override {
            if (node.type() == pugi::node_element) {
                visit(node);
            }
            return true;
        }
    } walker(visit);
    if (root.type() == pugi::node_element) {
        visit(root);
    }
    root.traverse(walker);
}

std::string quoted(std::string_view text);

}  // namespace shunthost::svg

#endif
