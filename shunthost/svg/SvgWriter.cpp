// Putting the host's changes back into the SVG, and saving it.
#include <algorithm>
#include <cmath>
#include <sstream>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "SvgAtomicFile.h"
#include "SvgDocument.h"
#include "SvgPageSpace.h"
#include "SvgTransform.h"
#include "SvgWriteContext.h"

namespace shunthost::svg {

namespace {

// Raw: the white space read is kept, so elements the host did not touch come
// out as they went in. No declaration is added to a file that had none. Text
// and values are held as written (values the writer sets are escaped when
// set), so nothing is escaped again.
constexpr unsigned kSaveOptions = pugi::format_raw | pugi::format_no_declaration | pugi::format_no_escapes;

bool isPathLike(AIArtType type) {
    return type == kPathArt || type == kMysteryPathArt;
}
bool hasMatrix(AIArtType type) {
    return type == kPlacedArt || type == kRasterArt || type == kForeignObjectArt;
}

[[noreturn]] void refuse(const SvgArtwork& artwork, const simhost::ArtObject& object,
                         const std::string& why) {
    throw SvgError(artwork.sourceName, 0, "cannot save object " + object.name + ": " + why);
}

// What the host changed on one object.
struct Change {
    simhost::ArtId id;
    bool name;
    bool style;
    bool matrix;
};

// Everything the host changed, checked: whatever could stop a save is found
// before the XML changes. Objects the document never handed out for writing
// since it was read are as they were read.
std::vector<Change> changes(const SvgArtwork& artwork) {
    const simhost::Document& document = artwork.document;
    std::vector<Change> found;
    for (const simhost::ArtId id : document.objectsThatMayHaveChanged()) {
        if (!document.isLive(id)) {
            continue;
        }
        const simhost::ArtObject& object = document.art(id);
        if (id >= artwork.sources.size() || !artwork.sources[id].element) {
            refuse(artwork, object, "it has no element in the SVG");
        }
        const Change change{
            id, artwork.nameAsRead(id) != object.name,
            isPathLike(object.type) && !simhost::sameStyleFields(object.style, artwork.styleRead(id)),
            hasMatrix(object.type) && !sameBits(object.matrix, artwork.matrixRead(id))};
        if (change.style) {
            if (const std::string why = checkPathStyle(artwork, id, object.style); !why.empty()) {
                refuse(artwork, object, why);
            }
        }
        if (change.matrix) {
            const AIRealMatrix& m = object.matrix;
            for (float v : {m.a, m.b, m.c, m.d, m.tx, m.ty}) {
                if (!std::isfinite(v)) {
                    refuse(artwork, object, "its matrix holds a number that is infinite or not a number");
                }
            }
            if (!ownMatrix(artwork, id, m)) {
                refuse(artwork, object, kSquashed);
            }
        }
        if (change.name && object.name.empty()) {
            refuse(artwork, object, "an empty name cannot be an id");
        }
        if (change.name || change.style || change.matrix) {
            found.push_back(change);
        }
    }
    return found;
}

void removeElementsOfRemovedArt(SvgArtwork& artwork) {
    const simhost::Document& document = artwork.document;
    const std::vector<simhost::ArtId> changed = document.objectsThatMayHaveChanged();
    if (std::all_of(changed.begin(), changed.end(), [&](simhost::ArtId id) { return document.isLive(id); })) {
        return;  // nothing removed since reading
    }
    // Elements to remove: those of removed objects whose group is still there
    // (members of a removed group go with the group's element).
    std::unordered_set<const pugi::xml_node_struct*> removed;
    std::unordered_map<const pugi::xml_node_struct*, int> livingUsers;
    std::vector<pugi::xml_node> ownPatternsOfRemoved;
    for (simhost::ArtId id = 0; id < artwork.sources.size(); ++id) {
        const ArtSource& source = artwork.sources[id];
        if (document.isLive(id)) {
            if (source.ownPattern) {
                ++livingUsers[source.ownPattern.internal_object()];
            }
            continue;
        }
        const simhost::ArtId parent = document.art(id).parent;
        if (source.element && (parent == simhost::kNoArt || document.isLive(parent))) {
            removed.insert(source.element.internal_object());
        }
        if (source.ownPattern) {
            ownPatternsOfRemoved.push_back(source.ownPattern);
        }
    }
    if (removed.empty() && ownPatternsOfRemoved.empty()) {
        return;
    }
    auto insideRemoved = [&removed](pugi::xml_node node) {
        for (; node; node = node.parent()) {
            if (removed.contains(node.internal_object())) {
                return true;
            }
        }
        return false;
    };
    // Own patterns that no remaining path shows go too; handles into removed
    // subtrees are dropped before the subtrees are freed.
    std::unordered_set<const pugi::xml_node_struct*> patternsRemoved;
    for (const pugi::xml_node pattern : ownPatternsOfRemoved) {
        if (!livingUsers.contains(pattern.internal_object()) && !insideRemoved(pattern) &&
            patternsRemoved.insert(pattern.internal_object()).second) {
            removeElement(artwork, pattern);
        }
    }
    for (simhost::ArtId id = 0; id < artwork.sources.size(); ++id) {
        ArtSource& source = artwork.sources[id];
        if (document.isLive(id)) {
            if (source.ownPattern && insideRemoved(source.ownPattern)) {
                source.ownPattern = {};
            }
            continue;
        }
        source.ownPattern = {};
        if (source.element && removed.contains(source.element.internal_object())) {
            removeElement(artwork, source.element);
        }
        source.element = {};
    }
}

void bindNamespace(SvgArtwork& artwork, const std::string& prefix, const char* uri) {
    pugi::xml_node root = artwork.xml->document_element();
    const std::string declaration = "xmlns:" + prefix;
    if (!root.attribute(declaration.c_str())) {
        root.append_attribute(declaration.c_str()).set_value(uri);
    }
}

// Each save keeps the styles and matrices it wrote, to see at the next what
// the host changed; those no object holds any more are let go once they are
// most of the table, so that a long session of clicks on a large drawing
// does not keep every style every click made.
template <class T>
void dropUnheld(Interned<T>& table, std::vector<ArtSource>& sources,
                typename Interned<T>::Index ArtSource::*held) {
    constexpr std::size_t kSlack = 64;
    if (table.size() <= 3 * sources.size() + kSlack) {
        return;
    }
    Interned<T> kept;
    for (ArtSource& source : sources) {
        source.*held = kept.intern(table[source.*held]);
    }
    table = std::move(kept);
}

}  // namespace

void applyChanges(SvgArtwork& artwork) {
    const std::vector<Change> changed = changes(artwork);
    removeElementsOfRemovedArt(artwork);
    if (changed.empty()) {
        return;
    }
    WriteContext context(artwork);
    for (const Change& change : changed) {
        const simhost::ArtObject& object = artwork.document.art(change.id);
        ArtSource& source = artwork.sources[change.id];
        if (change.name) {
            pugi::xml_attribute attribute = source.element.attribute("id");
            if (attribute) {
                artwork.ids.remove(artwork.value(attribute));
            }
            setAttributeText(attribute ? attribute : source.element.append_attribute("id"), object.name);
            artwork.ids.add(object.name);
            source.nameIsId = true;
            artwork.generatedNames.erase(change.id);
        }
        if (change.style) {
            writePathStyle(context, change.id, object.style);
            artwork.setStyleRead(change.id, object.style);
        }
        if (change.matrix) {
            pugi::xml_attribute attribute = source.element.attribute("transform");
            (attribute ? attribute : source.element.append_attribute("transform"))
                .set_value(formatTransform(*ownMatrix(artwork, change.id, object.matrix)).c_str());
            artwork.setMatrixRead(change.id, object.matrix);
        }
    }
    dropUnheld(artwork.stylesRead, artwork.sources, &ArtSource::styleRead);
    dropUnheld(artwork.matricesRead, artwork.sources, &ArtSource::matrixRead);
    if (context.wroteOwnAttributes()) {
        bindNamespace(artwork, artwork.prefix, kShuntNamespace);
    }
    if (context.wroteXlink() && !artwork.names.xlinkBound) {
        bindNamespace(artwork, artwork.names.xlinkPrefix, kXlinkNamespace);
        artwork.names.xlinkBound = true;
    }
}

namespace {

// The document's own nodes (declaration, comments, doctype, the root) with
// the white space the file had between them; one a line where it had none.
void save(const SvgArtwork& artwork, pugi::xml_writer& writer) {
    std::size_t next = 0;
    bool first = true;
    for (const pugi::xml_node node : artwork.xml->children()) {
        std::string_view space = first ? "" : "\n";
        const auto known =
            std::find_if(artwork.spaceBefore.begin() + static_cast<std::ptrdiff_t>(next),
                         artwork.spaceBefore.end(), [node](const auto& n) { return n.first == node; });
        if (known != artwork.spaceBefore.end()) {
            space = known->second;
            next = static_cast<std::size_t>(known - artwork.spaceBefore.begin()) + 1;
        }
        writer.write(space.data(), space.size());
        node.print(writer, "", kSaveOptions, pugi::encoding_utf8);
        first = false;
    }
    writer.write(artwork.spaceAfter.data(), artwork.spaceAfter.size());
}

// The whole file in its own encoding, byte order mark first.
std::string savedText(const SvgArtwork& artwork, TextEncoding encoding) {
    std::ostringstream out;
    if (encoding == TextEncoding::File) {
        out << artwork.encoding.bom;
    }
    pugi::xml_writer_stream writer(out);
    save(artwork, writer);
    if (artwork.encoding.isUtf8() || encoding == TextEncoding::Utf8) {
        return std::move(out).str();
    }
    const std::string utf8 = std::move(out).str().substr(artwork.encoding.bom.size());
    try {
        return artwork.encoding.bom + fromUtf8(utf8, artwork.encoding);
    } catch (const EncodingError& error) {
        throw SvgError(artwork.sourceName, 0, error.what());
    }
}

}  // namespace

void writeSvg(SvgArtwork& artwork, const std::string& path) {
    applyChanges(artwork);
    if (artwork.encoding.isUtf8()) {
        // Straight to the file: the usual case, and the large files.
        writeFileAtomically(path, [&artwork](std::FILE* file) {
            std::fwrite(artwork.encoding.bom.data(), 1, artwork.encoding.bom.size(), file);
            pugi::xml_writer_file writer(file);
            save(artwork, writer);
        });
        return;
    }
    const std::string text = savedText(artwork, TextEncoding::File);
    writeFileAtomically(path, [&text](std::FILE* file) { std::fwrite(text.data(), 1, text.size(), file); });
}

std::string writeSvgText(SvgArtwork& artwork, TextEncoding encoding) {
    applyChanges(artwork);
    return savedText(artwork, encoding);
}

}  // namespace shunthost::svg
