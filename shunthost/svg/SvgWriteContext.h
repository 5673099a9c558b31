// What the writer keeps while it puts the host's changes into the XML.
#ifndef SHUNTHOST_SVG_SVGWRITECONTEXT_H
#define SHUNTHOST_SVG_SVGWRITECONTEXT_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "SvgDocument.h"

namespace shunthost::svg {

class WriteContext {
public:
    explicit WriteContext(SvgArtwork& artwork);

    SvgArtwork& artwork() { return artwork_; }

    // Sets one of the project's own attributes and remembers that the root
    // must bind its namespace.
    pugi::xml_attribute setOwnAttribute(pugi::xml_node element, std::string_view local,
                                        const std::string& value);
    void removeOwnAttribute(pugi::xml_node element, std::string_view local);
    bool wroteOwnAttributes() const { return wroteOwnAttributes_; }
    // An xlink:href was written: the root must bind XLink.
    void bindXlink() { wroteXlink_ = true; }
    bool wroteXlink() const { return wroteXlink_; }
    // "prefix:local" in this file, made once for each local name.
    const std::string& ownName(std::string_view local);

    // An id no element of the document has yet, made from `base`, and given.
    std::string uniqueId(const std::string& base);

    // Paths whose fill shows each of our own patterns, counted the first time
    // a save asks: one that makes a pattern for each path it changes never asks.
    int ownPatternUsers(pugi::xml_node pattern);
    void addOwnPatternUser(pugi::xml_node pattern, int delta);
    // A pattern made for the path whose source is about to show it; counted
    // from the sources if the counting starts later.
    void madeOwnPattern(pugi::xml_node pattern);

    // The document's first <defs>, made when there is none.
    pugi::xml_node defs();

private:
    SvgArtwork& artwork_;
    void countOwnPatternUsers();

    std::unordered_map<const pugi::xml_node_struct*, int> ownPatternUsers_;
    bool usersCounted_ = false;
    std::vector<std::pair<std::string, std::string>> ownNames_;  // local name, full name
    bool wroteOwnAttributes_ = false;
    bool wroteXlink_ = false;
};

// Removes the element with everything in it, the deepest first (pugixml
// frees a subtree by recursion, which elements nested deeper than the call
// stack goes would overflow), and forgets their ids.
void removeElement(SvgArtwork& artwork, pugi::xml_node element);

// Sets an SVG property where the element says it: in its style attribute when
// that has the property, else as a presentation attribute. One that a style
// sheet sets on the element goes into the style attribute, where it wins over
// the sheet (marked !important when the sheet's rule is); the sheet itself,
// which other elements share, is never changed.
void setProperty(SvgArtwork& artwork, pugi::xml_node element, const char* name, const std::string& value,
                 bool fromSheet = false, bool importantInSheet = false);

// What the host's matrix `host` of an object is in its element's own terms:
// a path's patternTransform, an image's or foreign object's transform.
// nullopt when the element is squashed flat on the page, so that no matrix of
// its own gives that one.
std::optional<AIRealMatrix> ownMatrix(const SvgArtwork& artwork, simhost::ArtId id, const AIRealMatrix& host);

// Why such a matrix cannot be saved.
inline constexpr const char* kSquashed =
    "its transformation to the page is singular (it is squashed flat), so no matrix of its own can give the "
    "one the host holds";

// Puts the differences between `now` and what was read into the element of a
// path (or mystery path art) and its own pattern. Expects `now` checked by
// checkPathStyle.
void writePathStyle(WriteContext& context, simhost::ArtId id, const AIPathStyle& now);

// Why `style` cannot be written for the object, or empty.
std::string checkPathStyle(const SvgArtwork& artwork, simhost::ArtId id, const AIPathStyle& style);

}  // namespace shunthost::svg

#endif
