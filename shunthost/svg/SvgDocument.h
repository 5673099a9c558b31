// SVG artwork as the host's document. Reading builds a simhost::Document from
// the SVG and remembers, for every object, its element and what was read;
// writing puts back only what the host changed, so every element and
// attribute the host does not model stays as it was. The mapping is described
// in docs/svg-mapping.md.
#ifndef SHUNTHOST_SVG_SVGDOCUMENT_H
#define SHUNTHOST_SVG_SVGDOCUMENT_H

#include <memory>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "SvgDocumentIds.h"
#include "SvgEncoding.h"
#include "SvgError.h"
#include "SvgFileInput.h"
#include "SvgInterned.h"
#include "SvgNamespaces.h"
#include "SvgTransform.h"
#include "SvgXmlText.h"
#include "simhost/Document.h"

namespace shunthost::svg {

// The namespace of the project's own attributes. Files may bind it to any
// prefix; "shunt" is used when a file binds none.
inline constexpr const char* kShuntNamespace = "urn:shunt-palette:svg";

// What one object was read from, so that saving touches only what changed.
struct ArtSource {
    pugi::xml_node element;                      // null once the object's element is gone
    pugi::xml_node ownPattern;                   // the path's own <pattern> (one of ours) that its fill shows
    Interned<AIPathStyle>::Index styleRead = 0;  // paths and mystery path art
    // Placed, raster and foreign-object art; for a path whose pattern lies
    // elsewhere on the page than in its own user space (patternOnPage), its
    // pattern matrix on the page, which stands for styleRead's: the paths of
    // each group of a drawing then share their styles read.
    Interned<AIRealMatrix>::Index matrixRead = 0;
    bool nameIsId = false;  // the name is the element's id; a generated one is never written
    bool patternOnPage = false;
    // Where the element's own matrix sits on the page (see SvgPageSpace.h), as
    // indexes into SvgArtwork::placements (0 is the identity): for a path, the
    // map from its user space (its own transform included) to the page; for
    // an image or foreign object, the map from the user space it sits in to the
    // page, and its placement of the picture inside its own transform.
    Interned<Affine>::Index outside = 0;
    Interned<Affine>::Index inside = 0;
    // Properties that style sheets set on the element (SheetOrigin's bits):
    // a change of one of them is written into its style attribute.
    std::uint16_t fromSheet = 0;
    std::uint16_t importantInSheet = 0;
};

struct SvgArtwork {
    // The UTF-8 text the XML is parsed from, in place: names and values point
    // into it. On the heap, like the XML.
    std::unique_ptr<std::string> parsedText = std::make_unique<std::string>();
    // On the heap so that element handles stay valid when the artwork moves.
    std::unique_ptr<pugi::xml_document> xml = std::make_unique<pugi::xml_document>();
    simhost::Document document;
    std::vector<ArtSource> sources;        // by ArtId
    std::vector<pugi::xml_node> patterns;  // by PatternId: the shared <pattern> elements
    std::string prefix = "shunt";          // the prefix of kShuntNamespace in this file
    std::string sourceName;                // the file read, for messages
    SourceEncoding encoding;               // the file's, kept on saving
    XmlNames names;                        // how the file names SVG's elements and XLink
    // The white space before each of the document's own nodes (declaration,
    // comments, doctype, the root) and after the last, as the file had it:
    // XML keeps no text between them, so pugixml does not either.
    std::vector<std::pair<pugi::xml_node, std::string>> spaceBefore;
    std::string spaceAfter = "\n";
    // Attribute values are kept as written; this says what they mean. Reading
    // a value may store its decoded text, even in a const artwork.
    mutable XmlText text;
    std::unordered_map<simhost::ArtId, std::string> generatedNames;  // names no element carries
    DocumentIds ids;                      // the ids of the elements, as read and as the writer changes them
    Interned<AIPathStyle> stylesRead;     // what ArtSource::styleRead indexes
    Interned<AIRealMatrix> matricesRead;  // what ArtSource::matrixRead indexes
    Interned<Affine> placements;          // what ArtSource::outside and inside index; 0 is the identity

    // The style and matrix of an object as read or last saved.
    AIPathStyle styleRead(simhost::ArtId id) const {
        const ArtSource& source = sources[id];
        AIPathStyle style = stylesRead[source.styleRead];
        if (source.patternOnPage) {
            style.transform = matricesRead[source.matrixRead];
        }
        return style;
    }
    const AIRealMatrix& matrixRead(simhost::ArtId id) const { return matricesRead[sources[id].matrixRead]; }
    void setStyleRead(simhost::ArtId id, const AIPathStyle& style) {
        sources[id].styleRead = stylesRead.intern(style);
        sources[id].patternOnPage = false;
    }
    void setMatrixRead(simhost::ArtId id, const AIRealMatrix& matrix) {
        sources[id].matrixRead = matricesRead.intern(matrix);
    }

    pugi::xml_node element(simhost::ArtId id) const {
        return id < sources.size() ? sources[id].element : pugi::xml_node();
    }
    // What an attribute's value means (references replaced, white space
    // normalised). Throws XmlTextError.
    std::string_view value(pugi::xml_attribute attribute) const { return text.decode(attribute); }

    // The object's name as read or last saved.
    std::string_view nameAsRead(simhost::ArtId id) const;
    // "prefix:local", the name of one of the project's own attributes in this file.
    std::string ownAttribute(std::string_view local) const;
};

// Throws SvgError: a missing or unreadable file, one that is not a regular
// file or is larger than `maxSize` bytes, malformed XML, a document that is
// not SVG, a bad value in an attribute the host models.
SvgArtwork readSvg(const std::string& path, std::uint64_t maxSize = kDefaultMaxArtworkSize);
// `sourceName` names the text in messages.
SvgArtwork readSvgText(std::string_view text, const std::string& sourceName = "");

// Puts the host's changes into the XML: styles, matrices and names that
// differ from what was read, and removes the elements of removed objects.
// Checks everything first and throws SvgError before changing anything.
void applyChanges(SvgArtwork& artwork);

// applyChanges, then writes the file beside its target under a temporary name
// and renames it into place: a failure leaves the target as it was and no
// temporary file behind. Throws SvgError.
void writeSvg(SvgArtwork& artwork, const std::string& path);

// applyChanges, then the SVG text: the bytes of the file, in its own
// encoding; or as UTF-8 whatever the file's encoding (to show it in a page,
// where its declaration does not count).
enum class TextEncoding { File, Utf8 };
std::string writeSvgText(SvgArtwork& artwork, TextEncoding encoding = TextEncoding::File);

}  // namespace shunthost::svg

#endif
