// Reading SVG into the host's document: which elements are art, their
// names, groups and matrices.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "SvgArtRole.h"
#include "SvgDocument.h"
#include "SvgDtdEntities.h"
#include "SvgPaintServers.h"
#include "SvgPathStyleCache.h"
#include "SvgPathStyleReader.h"
#include "SvgReadContext.h"
#include "SvgStyleAttribute.h"
#include "SvgTextHash.h"
#include "SvgTransform.h"

namespace shunthost::svg {

namespace {

// Comments, processing instructions, the doctype and white space between
// elements are kept so that a saved file differs from the one read only where
// the host changed something. Text and attribute values are kept as written,
// references, line ends and all; XmlText decodes the values the reader takes.
constexpr unsigned kParseOptions = (pugi::parse_full | pugi::parse_ws_pcdata) &
                                   ~(pugi::parse_wconv_attribute | pugi::parse_escapes | pugi::parse_eol);

constexpr std::string_view kGeneratedPrefix = "art";

class Reader {
public:
    Reader(SvgArtwork& artwork, ReadErrors& errors)
        : art_(artwork),
          errors_(errors),
          own_(artwork.prefix),
          servers_(artwork, errors, own_),
          paths_(servers_, errors, own_),
          cache_(0) {}

    void read() {
        const pugi::xml_node root = art_.xml->document_element();
        if (!art_.names.isSvg(root, "svg")) {
            fail(root, "not an SVG document: the root element is <" + std::string(root.name()) + ">");
        }
        const std::size_t artElements = servers_.collect(root);
        art_.document.reserve(artElements);
        art_.sources.reserve(artElements);
        artIds_.reserve(artElements);
        cache_ = PathStyleCache(artElements);
        const simhost::ArtObject plain;
        plainStyle_ = art_.stylesRead.intern(plain.style);
        plainMatrix_ = art_.matricesRead.intern(plain.matrix);
        InheritedStyle rootStyle;
        ElementAttributes attributes = gatherAttributes(root, art_, own_);
        mergeStyleAttribute(attributes);
        applyProperties(root, attributes, rootStyle);
        readChildren(root, simhost::kNoArt, rootStyle);
        nameObjects();
        // What the document holds now is what the file says: saving looks
        // only at what changes from here on.
        art_.document.markAllUnchanged();
    }

private:
    // Names must be unique among the document's objects: an object whose id an
    // earlier object has, or that has none, gets a generated name.
    void nameObjects() {
        std::vector<simhost::ArtId> unnamed = std::move(unnamed_);
        for (const IdSeen* duplicate : findDuplicates(artIds_)) {
            art_.sources[duplicate->art].nameIsId = false;
            unnamed.push_back(duplicate->art);
        }
        for (const simhost::ArtId id : unnamed) {
            std::string name = generatedName(id);
            art_.document.art(id).name = name;
            art_.generatedNames.emplace(id, std::move(name));
        }
    }

    // Small, as there is one for nearly every object: the id itself is the
    // object's name, looked at only when two hashes agree.
    struct IdSeen {
        std::uint32_t hash;
        simhost::ArtId art;
    };

    // Entries whose id an earlier entry has already. An open-addressing table
    // of positions costs far less than a hash set of strings, which allocates
    // once for every id.
    std::vector<const IdSeen*> findDuplicates(const std::vector<IdSeen>& ids) const {
        std::vector<const IdSeen*> duplicates;
        std::size_t capacity = 16;
        while (capacity < ids.size() + ids.size() / 2) {
            capacity *= 2;
        }
        constexpr std::uint32_t kEmpty = UINT32_MAX;
        std::vector<std::uint32_t> table(capacity, kEmpty);
        for (std::uint32_t i = 0; i < ids.size(); ++i) {
            for (std::size_t slot = ids[i].hash & (capacity - 1);; slot = (slot + 1) & (capacity - 1)) {
                if (table[slot] == kEmpty) {
                    table[slot] = i;
                    break;
                }
                const IdSeen& earlier = ids[table[slot]];
                if (earlier.hash == ids[i].hash &&
                    art_.document.art(earlier.art).name == art_.document.art(ids[i].art).name) {
                    duplicates.push_back(&ids[i]);
                    break;
                }
            }
        }
        return duplicates;
    }

    // Presentation attributes first, then the style attribute, which wins.
    static void mergeStyleAttribute(ElementAttributes& attributes) {
        if (!attributes.style.empty()) {
            forEachDeclaration(attributes.style, [&](std::string_view name, std::string_view value) {
                if (const auto property = propertyNamed(name)) {
                    attributes.give(*property, value);
                }
            });
        }
    }

    void applyProperties(pugi::xml_node element, const ElementAttributes& attributes, InheritedStyle& style) {
        // `color` first: currentColor in fill and stroke uses this element's colour.
        static constexpr Property kOrder[] = {
            Property::Color,           Property::Fill,
            Property::FillOpacity,     Property::FillRule,
            Property::Stroke,          Property::StrokeWidth,
            Property::StrokeOpacity,   Property::StrokeMiterlimit,
            Property::StrokeLinecap,   Property::StrokeLinejoin,
            Property::StrokeDasharray, Property::StrokeDashoffset,
        };
        for (const Property property : kOrder) {
            if (const std::string_view value = attributes.properties[static_cast<std::size_t>(property)];
                value.data() != nullptr) {
                try {
                    applyProperty(style, property, value);
                } catch (const BadValue& bad) {
                    fail(element, bad.what());
                }
            }
        }
    }

    // "artN" after the object's number, made unlike every object's id.
    std::string generatedName(simhost::ArtId artId) const {
        const std::string base = std::string(kGeneratedPrefix) + std::to_string(artId);
        std::string name = base;
        for (int n = 2; generatedLookalikes_.contains(name); ++n) {
            name = base + "_" + std::to_string(n);
        }
        return name;
    }

    // The path style of a shape, as an index into the styles read; notes the
    // pattern of ours that its fill shows.
    Interned<AIPathStyle>::Index shapeStyle(pugi::xml_node element, const ElementAttributes& attributes,
                                            const InheritedStyle& inherited, std::uint32_t group,
                                            ArtSource& source) {
        const PathStyleCache::Key key(group, attributes);
        if (const PathStyleCache::Entry* known = cache_.find(key)) {
            source.ownPattern = known->ownPattern;
            return known->style;
        }
        InheritedStyle style = inherited;
        applyProperties(element, attributes, style);
        const auto index = art_.stylesRead.intern(paths_.read(element, attributes, style, source));
        cache_.store(key, index, source.ownPattern);
        return index;
    }

    void readChildren(pugi::xml_node parent, simhost::ArtId parentArt, const InheritedStyle& inherited) {
        const std::uint32_t group = groupsRead_++;
        for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
            // By name first: the white space between elements has none.
            const Role role = roleOf(art_.names.svgLocalName(child));
            if (role == Role::NotArt || child.type() != pugi::node_element) {
                continue;
            }
            ElementAttributes attributes = gatherAttributes(child, art_, own_);
            mergeStyleAttribute(attributes);

            const auto artId = static_cast<simhost::ArtId>(art_.document.slotCount());
            simhost::ArtObject& object = art_.document.emplace(parentArt);
            ArtSource source;
            source.element = child;
            source.styleRead = plainStyle_;
            source.matrixRead = plainMatrix_;
            takeName(attributes.id, artId, object, source);
            // Most elements are shapes, which pass nothing on to members.
            if (role == Role::Shape) {
                source.styleRead = shapeStyle(child, attributes, inherited, group, source);
                object.type = shapeType(child, attributes.artType);
                object.style = art_.stylesRead[source.styleRead];
                art_.sources.push_back(source);
                continue;
            }
            InheritedStyle style = inherited;
            applyProperties(child, attributes, style);
            switch (role) {
                case Role::Group:
                    object.type = kGroupArt;
                    break;
                case Role::Image:
                    object.type = attributes.href.starts_with("data:") ? kRasterArt : kPlacedArt;
                    object.matrix = elementMatrix(child, attributes.transform);
                    source.matrixRead = art_.matricesRead.intern(object.matrix);
                    break;
                case Role::ForeignObject:
                    object.type = kForeignObjectArt;
                    object.matrix = elementMatrix(child, attributes.transform);
                    source.matrixRead = art_.matricesRead.intern(object.matrix);
                    break;
                case Role::Text:
                    object.type = kTextFrameArt;
                    break;
                case Role::Shape:
                case Role::NotArt:
                    break;
            }
            art_.sources.push_back(source);
            if (role == Role::Group) {
                readChildren(child, artId, style);
            }
        }
    }

    // The element's id becomes the object's name; nameObjects settles the
    // objects without one and those whose id an earlier object has.
    void takeName(std::string_view id, simhost::ArtId artId, simhost::ArtObject& object, ArtSource& source) {
        source.nameIsId = !id.empty();
        if (source.nameIsId) {
            object.name = id;
            artIds_.push_back({static_cast<std::uint32_t>(textHash(id)), artId});
            if (id.starts_with(kGeneratedPrefix)) {
                generatedLookalikes_.insert(id);
            }
        } else {
            unnamed_.push_back(artId);
        }
    }

    AIArtType shapeType(pugi::xml_node element, std::string_view artType) {
        if (artType.empty()) {
            return kPathArt;
        }
        if (artType == "mystery-path") {
            return kMysteryPathArt;
        }
        fail(element, "unknown " + own_.artType + " " + quoted(artType) + " (known: mystery-path)");
    }

    AIRealMatrix elementMatrix(pugi::xml_node element, std::string_view transform) {
        const auto matrix = parseTransform(transform);
        if (!matrix) {
            fail(element, "bad transform " + quoted(transform));
        }
        return flipVertical(*matrix);
    }

    [[noreturn]] void fail(pugi::xml_node element, const std::string& message) {
        errors_.fail(element, message);
    }

    SvgArtwork& art_;
    ReadErrors& errors_;
    OwnNames own_;
    PaintServers servers_;
    PathStyleReader paths_;
    PathStyleCache cache_;
    std::uint32_t groupsRead_ = 0;
    Interned<AIPathStyle>::Index plainStyle_ = 0;               // what objects without a path style hold
    Interned<AIRealMatrix>::Index plainMatrix_ = 0;             // what objects without a matrix hold
    std::unordered_set<std::string_view> generatedLookalikes_;  // object ids that look like generated names
    std::vector<IdSeen> artIds_;                                // objects named by their id, in order
    std::vector<simhost::ArtId> unnamed_;                       // objects without an id
};

// The prefix the file binds to our namespace; else "shunt", or a free variant
// of it when the file binds "shunt" to something else.
std::string ownPrefix(pugi::xml_node root, XmlText& text) {
    for (const pugi::xml_attribute attribute : root.attributes()) {
        const std::string_view name = attribute.name();
        if (name.starts_with("xmlns:") && text.decode(attribute) == kShuntNamespace) {
            return std::string(name.substr(6));
        }
    }
    std::string prefix = "shunt";
    for (int n = 2; root.attribute(("xmlns:" + prefix).c_str()); ++n) {
        prefix = "shunt" + std::to_string(n);
    }
    return prefix;
}

void checkParsed(const pugi::xml_parse_result& result, SvgArtwork& artwork, ReadErrors& errors) {
    if (result.status == pugi::status_out_of_memory) {
        throw SvgError(artwork.sourceName, 0, "not enough memory to read it");
    }
    if (!result) {
        throw SvgError(artwork.sourceName, errors.lineAt(result.offset),
                       std::string("malformed XML: ") + result.description());
    }
    if (!artwork.xml->document_element()) {
        throw SvgError(artwork.sourceName, 0, "no root element");
    }
}

// Values are kept as written and saved between '"': one written between "'"
// that holds a '"' gets it as a reference instead. Only a file with a "'"
// can have such a value.
void quoteValuesForSaving(pugi::xml_document& xml, std::string_view text) {
    if (text.find('\'') == std::string_view::npos) {
        return;
    }
    forEachElement(xml.document_element(), [](pugi::xml_node element) {
        for (pugi::xml_attribute attribute : element.attributes()) {
            const std::string_view value = attribute.value();
            if (value.find('"') == std::string_view::npos) {
                continue;
            }
            std::string quoted;
            for (const char c : value) {
                quoted += c == '"' ? std::string_view("&quot;") : std::string_view(&c, 1);
            }
            attribute.set_value(quoted.c_str());
        }
    });
}

// The entities the doctype declares, for the values that refer to them.
XmlEntities declaredEntities(const pugi::xml_document& xml) {
    for (const pugi::xml_node node : xml.children()) {
        if (node.type() == pugi::node_doctype) {
            return internalEntities(node.value());
        }
    }
    return {};
}

// Parses the file's bytes, in whatever encoding, and reads the document.
void parseAndRead(SvgArtwork& artwork, std::string_view bytes) {
    std::string converted;
    std::string_view text;
    try {
        artwork.encoding = detectEncoding(bytes);
        if (artwork.encoding.isUtf8()) {
            text = bytes.substr(artwork.encoding.bom.size());
        } else {
            converted = toUtf8(bytes, artwork.encoding);
            text = converted;
        }
    } catch (const EncodingError& error) {
        throw SvgError(artwork.sourceName, 0, error.what());
    }
    const pugi::xml_parse_result result =
        artwork.xml->load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
    ReadErrors errors(artwork.sourceName, [text] { return std::string(text); });
    checkParsed(result, artwork, errors);
    try {
        artwork.text.setEntities(declaredEntities(*artwork.xml));
        quoteValuesForSaving(*artwork.xml, text);
        const pugi::xml_node root = artwork.xml->document_element();
        artwork.names = namespacesOf(root, artwork.text);
        artwork.prefix = ownPrefix(root, artwork.text);
        Reader(artwork, errors).read();
    } catch (const XmlTextError& error) {
        throw SvgError(artwork.sourceName, 0, error.what());
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw SvgError(path, 0, std::string("cannot open: ") + std::strerror(errno));
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        throw SvgError(path, 0, std::string("cannot read: ") + std::strerror(errno));
    }
    return std::move(text).str();
}

}  // namespace

std::string SvgArtwork::ownAttribute(std::string_view local) const {
    return prefix + ":" + std::string(local);
}

std::string_view SvgArtwork::nameAsRead(simhost::ArtId id) const {
    if (id >= sources.size()) {
        return {};
    }
    if (sources[id].nameIsId) {
        return value(sources[id].element.attribute("id"));
    }
    const auto found = generatedNames.find(id);
    return found == generatedNames.end() ? std::string_view() : std::string_view(found->second);
}

SvgArtwork readSvg(const std::string& path) {
    SvgArtwork artwork;
    artwork.sourceName = path;
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        throw SvgError(path, 0, "cannot read: it is a folder");
    }
    parseAndRead(artwork, readFile(path));
    return artwork;
}

SvgArtwork readSvgText(std::string_view text, const std::string& sourceName) {
    SvgArtwork artwork;
    artwork.sourceName = sourceName;
    parseAndRead(artwork, text);
    return artwork;
}

}  // namespace shunthost::svg
