// The page's copy of the artwork, kept in step by changes rather than whole
// documents. The page loads the whole SVG once, with every object's element
// carrying its number and every path's own pattern a key; after that it is
// told only which attributes of which elements changed and which own
// patterns came or went, as the SVG writer put the host's changes into the
// XML.
#ifndef SHUNTHOST_SERVE_PAGEARTWORK_H
#define SHUNTHOST_SERVE_PAGEARTWORK_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "svg/SvgDocument.h"

namespace shunthost::serve {

// The attributes the page finds its elements by.
inline constexpr const char* kArtAttribute = "data-shunt-art";
inline constexpr const char* kPatternKeyAttribute = "data-shunt-key";

class AttributeSnapshot;

class PageArtwork {
public:
    // Keys every own pattern the artwork's paths show now.
    explicit PageArtwork(svg::SvgArtwork& artwork);
    ~PageArtwork();

    // The whole artwork for a page that loads it. Attributes of those names
    // that the file itself carries are left out, so that only ours find
    // elements. Throws svg::SvgError.
    std::string wholeText();

    // Gives the objects `changed` the style and matrix they have in `host`,
    // puts that into the XML and returns what the page must change (the
    // patterns that changed alike under one entry, in the order they come;
    // the patterns made, after them, by the attributes they set, with the
    // values that differ among them, their ids, in the optional last part):
    //   {"arts": [[id, {name: value}, [removed names]]...],
    //    "patterns": [[[key...], {name: value}, [removed names], made, {name: [value...]}]...],
    //    "removed": [key...]}
    // Throws svg::SvgError before the XML changes.
    nlohmann::json update(const simhost::Document& host, const std::vector<simhost::ArtId>& changed);

private:
    struct KeyedPattern {
        std::uint64_t key = 0;
        int users = 0;  // objects whose fill shows it
        // The update that last took its attributes, made it or told it, and
        // where its attributes lie in the snapshot: one lookup a pattern
        // serves all of an update's questions about it.
        std::uint64_t takenIn = 0;
        std::uint64_t madeIn = 0;
        std::uint64_t toldIn = 0;
        std::pair<std::size_t, std::size_t> before;
    };
    KeyedPattern& keyed(pugi::xml_node pattern);

    svg::SvgArtwork& artwork_;
    std::unordered_map<const pugi::xml_node_struct*, KeyedPattern> patterns_;
    std::uint64_t nextKey_ = 1;
    std::uint64_t updates_ = 0;
    // Kept from one update to the next: the attributes of every path of a
    // large drawing are tens of megabytes, which fresh memory each click
    // made the server's slowest part.
    std::unique_ptr<AttributeSnapshot> snapshot_;
};

}  // namespace shunthost::serve

#endif
