// Reading SVG into the host's document: which elements are art, their
// names, groups and matrices.
#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "SvgArtRole.h"
#include "SvgDocument.h"
#include "SvgDtdEntities.h"
#include "SvgFileInput.h"
#include "SvgImageSize.h"
#include "SvgPageSpace.h"
#include "SvgPaintServers.h"
#include "SvgPathStyleCache.h"
#include "SvgPathStyleReader.h"
#include "SvgReadContext.h"
#include "SvgStyleAttribute.h"
#include "SvgStyleSheet.h"
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
    Reader(SvgArtwork& artwork, ReadErrors& errors, const std::filesystem::path* folder)
        : art_(artwork),
          errors_(errors),
          own_(artwork.prefix),
          servers_(artwork, errors, own_),
          paths_(servers_, errors, own_),
          cache_(0),
          folder_(folder) {}

    void read() {
        const pugi::xml_node root = art_.xml->document_element();
        if (!art_.names.isSvg(root, "svg")) {
            fail(root, "not an SVG document: the root element is <" + std::string(root.name()) + ">");
        }
        const std::size_t artElements = servers_.collect(root);
        for (const pugi::xml_node style : servers_.styleElements()) {
            sheets_.addElement(style, art_.text);
        }
        art_.document.reserve(artElements);
        art_.sources.reserve(artElements);
        artIds_.reserve(artElements);
        idHashes_.reserve(artElements);
        cache_ = PathStyleCache(artElements);
        const simhost::ArtObject plain;
        plainStyle_ = art_.stylesRead.intern(plain.style);
        plainMatrix_ = art_.matricesRead.intern(plain.matrix);
        art_.placements.intern(Affine{});  // index 0, what ArtSource holds by default
        Frame top;
        top.element = root;
        top.next = root.first_child();
        top.viewport = rootViewport(root, art_.text);
        ElementAttributes attributes = gatherAttributes(root, art_, own_);
        if (!attributes.id.empty()) {
            idHashes_.push_back(DocumentIds::hashOf(attributes.id));
        }
        cascade(root, attributes);
        applyProperties(root, attributes, top.style);
        sheets_.enter(root);
        walk(std::move(top));
        nameObjects();
        art_.ids.setRead(std::move(idHashes_));
        // What the document holds now is what the file says: saving looks
        // only at what changes from here on.
        art_.document.markAllUnchanged();
    }

private:
    // A group being read: what its members inherit, and where they sit on the page.
    struct Frame {
        pugi::xml_node element;  // the group's own
        pugi::xml_node next;     // the next member to read
        simhost::ArtId art = simhost::kNoArt;
        // What the members inherit, numbered for the style cache: the paths of
        // groups that pass the same style on share their styles read.
        std::uint32_t inherits = 0;
        InheritedStyle style;
        Affine outside;  // from the members' user space to the page
        Interned<Affine>::Index outsideIndex = 0;
        ViewportSize viewport;  // what percentages of the members' geometry refer to
    };

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
    // once for every id; it holds each entry's hash beside its position, so
    // that stepping past other entries reads nothing else.
    std::vector<const IdSeen*> findDuplicates(const std::vector<IdSeen>& ids) const {
        std::vector<const IdSeen*> duplicates;
        std::size_t capacity = 16;
        while (capacity < ids.size() + ids.size() / 2) {
            capacity *= 2;
        }
        constexpr std::uint32_t kEmpty = UINT32_MAX;
        struct Slot {
            std::uint32_t hash;
            std::uint32_t entry;
        };
        std::vector<Slot> table(capacity, Slot{0, kEmpty});
        for (std::uint32_t i = 0; i < ids.size(); ++i) {
            for (std::size_t slot = ids[i].hash & (capacity - 1);; slot = (slot + 1) & (capacity - 1)) {
                if (table[slot].entry == kEmpty) {
                    table[slot] = {ids[i].hash, i};
                    break;
                }
                if (table[slot].hash == ids[i].hash && art_.document.art(ids[table[slot].entry].art).name ==
                                                           art_.document.art(ids[i].art).name) {
                    duplicates.push_back(&ids[i]);
                    break;
                }
            }
        }
        return duplicates;
    }

    // The ids of the element and everything in it, which are no objects.
    void noteIdsIn(pugi::xml_node element) {
        forEachElement(element, [this](pugi::xml_node node) {
            if (const pugi::xml_attribute id = node.attribute("id"); *id.value() != 0) {
                idHashes_.push_back(DocumentIds::hashOf(art_.value(id)));
            }
        });
    }
    // Those of the elements inside one whose content is not read as objects.
    void noteIdsInside(pugi::xml_node element) {
        for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
            if (child.type() == pugi::node_element) {
                noteIdsIn(child);
            }
        }
    }

    // Presentation attributes first, then style sheets, then the style
    // attribute, which wins (!important turns the last two around).
    SheetOrigin cascade(pugi::xml_node element, ElementAttributes& attributes) const {
        if (!sheets_.empty()) {
            return sheets_.cascade(element, attributes);
        }
        if (!attributes.style.empty()) {
            forEachDeclaration(attributes.style, [&](std::string_view name, std::string_view value) {
                if (const auto property = propertyNamed(name)) {
                    attributes.give(*property, value);
                }
            });
        }
        return {};
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
            if (const std::string_view value = attributes.property(property); value.data() != nullptr) {
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

    // The path style of a shape in the element's own user space, as an index
    // into the styles read and the style itself there; notes the pattern of
    // ours that its fill shows and the pattern it shows.
    Interned<AIPathStyle>::Index shapeStyle(pugi::xml_node element, const ElementAttributes& attributes,
                                            const InheritedStyle& inherited, std::uint32_t inherits,
                                            ArtSource& source, pugi::xml_node& fillPattern,
                                            const AIPathStyle*& value) {
        const PathStyleCache::Key key(inherits, attributes);
        if (const PathStyleCache::Entry* known = cache_.find(key)) {
            source.ownPattern = known->ownPattern;
            fillPattern = known->fillPattern;
            value = known->value;
            return known->style;
        }
        InheritedStyle style = inherited;
        applyProperties(element, attributes, style);
        const auto index =
            art_.stylesRead.intern(paths_.read(element, attributes, style, source, fillPattern));
        value = &art_.stylesRead[index];
        cache_.store(key, index, value, source.ownPattern, fillPattern);
        return index;
    }

    // A pattern matrix on the page: the shape's place composed with its
    // patternTransform, rounded once. The paths of a group share their place
    // and mostly a few patterns, so each combination is worked out once.
    Interned<AIRealMatrix>::Index patternOnPage(Interned<Affine>::Index outside, pugi::xml_node fillPattern,
                                                const AIRealMatrix*& value) {
        const PageKey key{outside, fillPattern.internal_object()};
        // Mixed: the nodes of patterns written alike lie a multiple of the
        // slot count apart.
        const std::uint64_t mixed =
            ((reinterpret_cast<std::uintptr_t>(key.pattern) * kHashMultiplier) ^ outside) * kHashMultiplier;
        static_assert(std::tuple_size_v<decltype(onPage_)> == 64);
        PageSlot& slot = onPage_[mixed >> 58];
        if (slot.used && slot.key == key) {
            value = slot.value;
            return slot.matrix;
        }
        const AIRealMatrix matrix =
            toHostMatrix(art_.placements[outside], servers_.patternFill(fillPattern).exact, Affine{});
        const auto index = art_.matricesRead.intern(matrix);
        slot = {key, index, &art_.matricesRead[index], true};
        value = slot.value;
        return slot.matrix;
    }

    struct PageKey {
        Interned<Affine>::Index outside;
        const void* pattern;
        bool operator==(const PageKey&) const = default;
    };
    struct PageSlot {
        PageKey key{};
        Interned<AIRealMatrix>::Index matrix = 0;
        const AIRealMatrix* value = nullptr;  // where the interned matrices keep it
        bool used = false;
    };
    std::array<PageSlot, 64> onPage_{};  // each keeps the last combination that landed on it

    // The transform attribute of a group or shape; one that cannot be read
    // is no transform, as renderers take it.
    static std::optional<Affine> ownTransform(std::string_view text) {
        return text.empty() ? std::nullopt : parseTransformExactly(text);
    }

    Interned<Affine>::Index placementIndex(const Affine& map) {
        return map.isIdentity() ? 0 : art_.placements.intern(map);
    }

    // Reads the members of each group in document order, without recursion:
    // the groups open around the element being read are on `open`.
    void walk(Frame top) {
        std::vector<Frame> open;
        open.push_back(std::move(top));
        open.back().inherits = inheritedStyles_.intern(open.back().style);
        while (!open.empty()) {
            Frame& frame = open.back();
            const pugi::xml_node child = frame.next;
            if (!child) {
                sheets_.leave(frame.element);
                open.pop_back();
                continue;
            }
            frame.next = child.next_sibling();
            // By name first: the white space between elements has none, and
            // needs no further look.
            const char* name = child.name();
            if (*name == 0) {
                continue;
            }
            const bool isElement = child.type() == pugi::node_element;
            const Role role = roleOf(art_.names.svgLocalName(name));
            if (role == Role::NotArt || !isElement) {
                if (isElement) {
                    noteIdsIn(child);
                }
                continue;
            }
            if (auto members = readElement(child, name, role, frame)) {
                members->inherits = inheritedStyles_.intern(members->style);
                members->element = child;
                sheets_.enter(child);
                open.push_back(std::move(*members));
            }
        }
    }

    // One art element; a group gives the frame its members are read in.
    std::optional<Frame> readElement(pugi::xml_node child, const char* name, Role role, const Frame& frame) {
        ElementAttributes attributes = gatherAttributes(child, art_, own_);
        attributes.elementName = name;
        const SheetOrigin origin = cascade(child, attributes);

        const auto artId = static_cast<simhost::ArtId>(art_.document.slotCount());
        simhost::ArtObject& object = art_.document.emplace(frame.art);
        ArtSource source;
        source.element = child;
        source.styleRead = plainStyle_;
        source.matrixRead = plainMatrix_;
        source.fromSheet = origin.fromSheet;
        source.importantInSheet = origin.important;
        takeName(attributes.id, artId, object, source);
        if (role != Role::Group && child.first_child()) {
            noteIdsInside(child);
        }
        // Most elements are shapes, which pass nothing on to members.
        if (role == Role::Shape) {
            pugi::xml_node fillPattern;
            const AIPathStyle* style = nullptr;
            source.styleRead =
                shapeStyle(child, attributes, frame.style, frame.inherits, source, fillPattern, style);
            const auto transform = ownTransform(attributes.transform);
            source.outside =
                transform ? placementIndex(times(frame.outside, *transform)) : frame.outsideIndex;
            object.type = shapeType(child, attributes.artType);
            object.style = *style;
            if (fillPattern && source.outside != 0) {
                source.patternOnPage = true;
                const AIRealMatrix* matrix = nullptr;
                source.matrixRead = patternOnPage(source.outside, fillPattern, matrix);
                object.style.transform = *matrix;
            }
            art_.sources.push_back(source);
            return std::nullopt;
        }
        Frame members;
        members.style = frame.style;
        applyProperties(child, attributes, members.style);
        switch (role) {
            case Role::Group:
                object.type = kGroupArt;
                members.next = child.first_child();
                members.art = artId;
                members.viewport = frame.viewport;
                members.outside = frame.outside;
                if (std::strcmp(art_.names.svgLocalName(name), "svg") == 0) {
                    members.outside = times(
                        frame.outside, nestedViewport(child, art_.text, frame.viewport, members.viewport));
                } else if (const auto transform = ownTransform(attributes.transform)) {
                    members.outside = times(frame.outside, *transform);
                }
                members.outsideIndex =
                    members.outside.isIdentity() ? 0 : art_.placements.intern(members.outside);
                break;
            case Role::Image:
            case Role::ForeignObject: {
                object.type = role == Role::ForeignObject            ? kForeignObjectArt
                              : attributes.href.starts_with("data:") ? kRasterArt
                                                                     : kPlacedArt;
                source.outside = frame.outsideIndex;
                source.inside = placementIndex(role == Role::Image ? imagePlacement(child, attributes, frame)
                                                                   : contentOrigin(child, frame));
                const auto own = parseTransform(attributes.transform);
                if (!own) {
                    fail(child, "bad transform " + quoted(attributes.transform));
                }
                if (source.outside == 0 && source.inside == 0) {
                    object.matrix = flipVertical(*own);
                } else {
                    const Affine exact = attributes.transform.empty()
                                             ? Affine{}
                                             : *parseTransformExactly(attributes.transform);
                    object.matrix = toHostMatrix(frame.outside, exact, art_.placements[source.inside]);
                }
                source.matrixRead = art_.matricesRead.intern(object.matrix);
                break;
            }
            case Role::Text:
                object.type = kTextFrameArt;
                break;
            case Role::Shape:
            case Role::NotArt:
                break;
        }
        art_.sources.push_back(source);
        if (role == Role::Group) {
            return members;
        }
        return std::nullopt;
    }

    // An element's x and y, where its content's origin is.
    Affine contentOrigin(pugi::xml_node element, const Frame& frame) const {
        const double x = geometryLength(art_.value(element.attribute("x")), frame.viewport.width).value_or(0);
        const double y =
            geometryLength(art_.value(element.attribute("y")), frame.viewport.height).value_or(0);
        return {1, 0, 0, 1, x, y};
    }

    // Where an image puts its picture: the picture's natural size fitted into
    // x, y, width and height as preserveAspectRatio says. A picture whose size
    // cannot be known is taken at the size the image gives it.
    Affine imagePlacement(pugi::xml_node image, const ElementAttributes& attributes, const Frame& frame) {
        const Affine at = contentOrigin(image, frame);
        const auto natural = naturalImageSize(attributes.href, folder_);
        const auto width = geometryLength(art_.value(image.attribute("width")), frame.viewport.width);
        const auto height = geometryLength(art_.value(image.attribute("height")), frame.viewport.height);
        if (!natural) {
            return at;
        }
        // A missing width or height is the picture's own, as SVG 2 sizes it.
        return fitBox(0, 0, natural->width, natural->height, at.e, at.f, width.value_or(natural->width),
                      height.value_or(natural->height),
                      parseAspectRatio(art_.value(image.attribute("preserveAspectRatio"))));
    }

    // The element's id becomes the object's name; nameObjects settles the
    // objects without one and those whose id an earlier object has.
    void takeName(std::string_view id, simhost::ArtId artId, simhost::ArtObject& object, ArtSource& source) {
        source.nameIsId = !id.empty();
        if (source.nameIsId) {
            object.name.append(id);  // to the empty name: less work than an assignment
            const std::uint64_t hash = DocumentIds::hashOf(id);
            idHashes_.push_back(hash);
            artIds_.push_back({static_cast<std::uint32_t>(hash >> 32), artId});  // the well-mixed half
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

    [[noreturn]] void fail(pugi::xml_node element, const std::string& message) {
        errors_.fail(element, message);
    }

    SvgArtwork& art_;
    ReadErrors& errors_;
    OwnNames own_;
    PaintServers servers_;
    PathStyleReader paths_;
    PathStyleCache cache_;
    StyleSheets sheets_;
    const std::filesystem::path* folder_;  // where linked pictures are looked for; null: nowhere
    Interned<InheritedStyle> inheritedStyles_;
    Interned<AIPathStyle>::Index plainStyle_ = 0;               // what objects without a path style hold
    Interned<AIRealMatrix>::Index plainMatrix_ = 0;             // what objects without a matrix hold
    std::unordered_set<std::string_view> generatedLookalikes_;  // object ids that look like generated names
    std::vector<IdSeen> artIds_;                                // objects named by their id, in order
    std::vector<std::uint64_t> idHashes_;                       // of every element's id (DocumentIds)
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
void quoteValuesForSaving(pugi::xml_document& xml) {
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

// The encoding is taken from a declaration at the very start, as XML places
// it; one after other text, naming another encoding, would be taken on the
// next reading of the saved file, so the file is refused now.
void checkDeclarationComesFirst(const SvgArtwork& artwork, std::string_view head) {
    for (const pugi::xml_node node : artwork.xml->children()) {
        if (node.type() != pugi::node_declaration) {
            continue;
        }
        const std::string declared = node.attribute("encoding").value();
        if (head == "<?xml" || declared.empty() || !artwork.encoding.isUtf8()) {
            return;
        }
        bool another = true;
        try {
            another = !detectEncoding("<?xml encoding=\"" + declared + "\"?>").isUtf8();
        } catch (const EncodingError&) {
        }
        if (another) {
            throw SvgError(
                artwork.sourceName, 1,
                "malformed XML: the declaration of encoding '" + declared + "' does not begin the file");
        }
    }
}

bool isXmlSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// The white space the text ends with; taken before parsing, which overwrites
// the last byte.
std::string_view spaceAtEnd(std::string_view text) {
    std::size_t start = text.size();
    while (start > 0 && isXmlSpace(text[start - 1])) {
        --start;
    }
    return text.substr(start);
}

// The white space before each of the document's own nodes, found in the
// parsed text: each node starts at the '<' before its name or value, and the
// white space between nodes is left as it was by parsing in place.
void noteOuterSpace(SvgArtwork& artwork, const char* parsed, std::string_view after) {
    artwork.spaceAfter = after;
    for (const pugi::xml_node node : artwork.xml->children()) {
        const std::ptrdiff_t offset = node.offset_debug();
        if (offset < 0) {
            continue;
        }
        std::ptrdiff_t start = offset;
        while (start > 0 && parsed[start] != '<') {
            --start;
        }
        std::ptrdiff_t space = start;
        while (space > 0 && isXmlSpace(parsed[space - 1])) {
            --space;
        }
        artwork.spaceBefore.emplace_back(node, std::string(parsed + space, parsed + start));
    }
}

// Parses the file's bytes, in whatever encoding, and reads the document.
// UTF-8 is parsed where it was read, without a copy; where its lines end is
// noted first, as parsing overwrites some line ends.
void parseAndRead(SvgArtwork& artwork, std::string&& bytes, const std::filesystem::path* folder) {
    std::string& text = *artwork.parsedText;
    std::size_t start = 0;
    try {
        artwork.encoding = detectEncoding(bytes);
        if (artwork.encoding.isUtf8()) {
            text = std::move(bytes);
            start = artwork.encoding.bom.size();
        } else {
            text = toUtf8(bytes, artwork.encoding);
        }
    } catch (const EncodingError& error) {
        throw SvgError(artwork.sourceName, 0, error.what());
    }
    const bool hasApostrophe = text.find('\'', start) != std::string::npos;
    const std::string_view parsed = std::string_view(text).substr(start);
    LineEnds lineEnds(parsed);
    const std::string spaceAfter(spaceAtEnd(parsed));
    const pugi::xml_parse_result result = artwork.xml->load_buffer_inplace(
        text.data() + start, parsed.size(), kParseOptions, pugi::encoding_utf8);
    ReadErrors errors(artwork.sourceName, std::move(lineEnds));
    checkParsed(result, artwork, errors);
    checkDeclarationComesFirst(artwork, std::string_view(text).substr(start, 5));
    noteOuterSpace(artwork, text.data() + start, spaceAfter);
    try {
        artwork.text.setEntities(declaredEntities(*artwork.xml));
        if (hasApostrophe) {
            quoteValuesForSaving(*artwork.xml);
        }
        const pugi::xml_node root = artwork.xml->document_element();
        artwork.names = namespacesOf(root, artwork.text);
        artwork.prefix = ownPrefix(root, artwork.text);
        Reader(artwork, errors, folder).read();
    } catch (const XmlTextError& error) {
        throw SvgError(artwork.sourceName, 0, error.what());
    }
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

SvgArtwork readSvg(const std::string& path, std::uint64_t maxSize) {
    // Read once and parsed from memory, where a message finds its line.
    std::string bytes = readArtworkFile(path, maxSize);
    SvgArtwork artwork;
    artwork.sourceName = path;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    parseAndRead(artwork, std::move(bytes), &folder);
    return artwork;
}

SvgArtwork readSvgText(std::string_view text, const std::string& sourceName) {
    SvgArtwork artwork;
    artwork.sourceName = sourceName;
    parseAndRead(artwork, std::string(text), nullptr);
    return artwork;
}

}  // namespace shunthost::svg
