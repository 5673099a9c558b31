// Reading SVG into the host's document.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "SvgDocument.h"
#include "SvgNumbers.h"
#include "SvgPaintProperties.h"
#include "SvgPaintValues.h"
#include "SvgStyleAttribute.h"
#include "SvgTransform.h"
#include "simhost/Handles.h"

namespace shunthost::svg {

namespace {

// Comments, processing instructions, the doctype and white space between
// elements are kept so that a saved file differs from the one read only where
// the host changed something. Attribute values are kept as written.
constexpr unsigned kParseOptions = (pugi::parse_full | pugi::parse_ws_pcdata) & ~pugi::parse_wconv_attribute;

enum class Role { NotArt, Group, Shape, Image, ForeignObject, Text };

Role roleOf(const char* name) {
    static const std::unordered_map<std::string_view, Role> kRoles = {
        {"g", Role::Group},         {"a", Role::Group},         {"switch", Role::Group},
        {"svg", Role::Group},       {"path", Role::Shape},      {"rect", Role::Shape},
        {"circle", Role::Shape},    {"ellipse", Role::Shape},   {"line", Role::Shape},
        {"polyline", Role::Shape},  {"polygon", Role::Shape},   {"image", Role::Image},
        {"foreignObject", Role::ForeignObject},                 {"text", Role::Text},
    };
    const auto found = kRoles.find(name);
    return found == kRoles.end() ? Role::NotArt : found->second;
}

bool isPaintServer(const char* name) {
    return std::strcmp(name, "pattern") == 0 || std::strcmp(name, "linearGradient") == 0 ||
           std::strcmp(name, "radialGradient") == 0;
}

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

// Lines are counted in the text as it was, which parsing in place overwrites,
// so the original is fetched again only when a message needs a line.
class LineFinder {
public:
    explicit LineFinder(std::function<std::string()> original) : original_(std::move(original)) {}

    int lineAt(std::ptrdiff_t offset) {
        if (offset < 0) {
            return 0;
        }
        if (!loaded_) {
            text_ = original_();
            loaded_ = true;
        }
        const auto end = text_.begin() + std::min<std::ptrdiff_t>(offset, static_cast<std::ptrdiff_t>(text_.size()));
        return 1 + static_cast<int>(std::count(text_.begin(), end, '\n'));
    }

private:
    std::function<std::string()> original_;
    std::string text_;
    bool loaded_ = false;
};

// The attributes of one element that the reader looks at, gathered in one pass.
struct ElementAttributes {
    std::string_view id;
    std::string_view style;
    std::string_view transform;
    std::string_view href;
    std::array<std::string_view, kPropertyCount> properties{};  // data() null: not given
    std::string_view artType, fillValues, strokeValues, fillRule, lineCap, lineJoin, overprint;
};

// The project's own attributes, by local name.
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

constexpr std::string_view kGeneratedPrefix = "art";

class Reader {
public:
    Reader(SvgArtwork& artwork, LineFinder& lines) : art_(artwork), lines_(lines), own_(artwork.prefix) {}

    void read() {
        const pugi::xml_node root = art_.xml->document_element();
        if (std::strcmp(root.name(), "svg") != 0) {
            fail(root, "not an SVG document: the root element is <" + std::string(root.name()) + ">");
        }
        collectDefinitions(root);
        InheritedStyle rootStyle;
        ElementAttributes attributes = gather(root);
        applyOwnProperties(root, attributes, rootStyle);
        readChildren(root, simhost::kNoArt, rootStyle);
    }

private:
    [[noreturn]] void fail(pugi::xml_node node, const std::string& message) {
        throw SvgError(art_.sourceName, lines_.lineAt(node.offset_debug()), message);
    }

    bool isOwnPattern(pugi::xml_node pattern) const { return !pattern.attribute(own_.forPath.c_str()).empty(); }

    // Every id, and every paint server by id; shared patterns become the document's patterns.
    void collectDefinitions(pugi::xml_node root) {
        std::size_t elements = 0;
        forEachElement(root, [&elements](pugi::xml_node) { ++elements; });
        art_.sources.reserve(elements);
        std::vector<IdSeen> ids;
        ids.reserve(elements);
        forEachElement(root, [&](pugi::xml_node node) {
                const std::string_view id = node.attribute("id").value();
                if (id.empty()) {
                    return;
                }
                ids.push_back({std::hash<std::string_view>()(id), id, node.internal_object()});
                if (id.starts_with(kGeneratedPrefix)) {
                    generatedLookalikes_.insert(id);
                }
                if (isPaintServer(node.name())) {
                    servers_.emplace(id, node);
                    if (std::strcmp(node.name(), "pattern") == 0 && !isOwnPattern(node)) {
                        patternIds_.emplace(node.internal_object(),
                                            art_.document.addPattern(simhost::Pattern{std::string(id)}));
                        art_.patterns.push_back(node);
                    }
                }
        });
        findDuplicates(ids);
    }

    struct IdSeen {
        std::size_t hash;
        std::string_view id;
        const pugi::xml_node_struct* element;
    };

    // Elements whose id an earlier element has already. An open-addressing
    // table of positions costs far less than a hash set of strings, which
    // allocates once for every id.
    void findDuplicates(const std::vector<IdSeen>& ids) {
        std::size_t capacity = 16;
        while (capacity < ids.size() * 2) {
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
                if (earlier.hash == ids[i].hash && earlier.id == ids[i].id) {
                    duplicateIds_.insert(ids[i].element);
                    break;
                }
            }
        }
    }

    // Depth first, in document order, without recursion.
    template <class Visit>
    static void forEachElement(pugi::xml_node root, Visit visit) {
        for (pugi::xml_node node = root; node;) {
            if (node.type() == pugi::node_element) {
                visit(node);
            }
            if (node.first_child()) {
                node = node.first_child();
                continue;
            }
            while (node && node != root && !node.next_sibling()) {
                node = node.parent();
            }
            node = (node && node != root) ? node.next_sibling() : pugi::xml_node();
        }
    }

    ElementAttributes gather(pugi::xml_node element) const {
        ElementAttributes out;
        const std::string_view prefix = art_.prefix;
        for (const pugi::xml_attribute attribute : element.attributes()) {
            const std::string_view name = attribute.name();
            const std::string_view value = attribute.value();
            if (name.size() > prefix.size() && name[prefix.size()] == ':' && name.starts_with(prefix)) {
                if (name == own_.artType) out.artType = value;
                else if (name == own_.fill) out.fillValues = value;
                else if (name == own_.stroke) out.strokeValues = value;
                else if (name == own_.fillRule) out.fillRule = value;
                else if (name == own_.lineCap) out.lineCap = value;
                else if (name == own_.lineJoin) out.lineJoin = value;
                else if (name == own_.overprint) out.overprint = value;
                continue;
            }
            // Most attributes are none of these ("d", "x", "width"...): the first
            // letter sends them on their way.
            switch (name.empty() ? '\0' : name.front()) {
                case 'i':
                    if (name == "id") out.id = value;
                    break;
                case 't':
                    if (name == "transform") out.transform = value;
                    break;
                case 'h':
                    if (name == "href") out.href = value;
                    break;
                case 'x':
                    if (name == "xlink:href" && out.href.empty()) out.href = value;
                    break;
                case 's':
                    if (name == "style") {
                        out.style = value;
                        break;
                    }
                    [[fallthrough]];
                case 'f':
                case 'c':
                    if (const auto property = propertyNamed(name)) {
                        out.properties[static_cast<std::size_t>(*property)] = value;
                    }
                    break;
                default:
                    break;
            }
        }
        return out;
    }

    // Presentation attributes first, then the style attribute, which wins.
    void applyOwnProperties(pugi::xml_node element, ElementAttributes& attributes, InheritedStyle& style) {
        if (!attributes.style.empty()) {
            forEachDeclaration(attributes.style, [&](std::string_view name, std::string_view value) {
                if (const auto property = propertyNamed(name)) {
                    attributes.properties[static_cast<std::size_t>(*property)] = value;
                }
            });
        }
        // `color` first: currentColor in fill and stroke uses this element's colour.
        static constexpr Property kOrder[] = {
            Property::Color,          Property::Fill,           Property::FillOpacity,     Property::FillRule,
            Property::Stroke,         Property::StrokeWidth,    Property::StrokeOpacity,   Property::StrokeMiterlimit,
            Property::StrokeLinecap,  Property::StrokeLinejoin, Property::StrokeDasharray, Property::StrokeDashoffset,
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

    // "artN" after the object's number, made unlike every id of the file.
    std::string generatedName(simhost::ArtId artId) const {
        const std::string base = std::string(kGeneratedPrefix) + std::to_string(artId);
        std::string name = base;
        for (int n = 2; generatedLookalikes_.contains(name); ++n) {
            name = base + "_" + std::to_string(n);
        }
        return name;
    }

    void readChildren(pugi::xml_node parent, simhost::ArtId parentArt, const InheritedStyle& inherited) {
        for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element) {
                continue;
            }
            const Role role = roleOf(child.name());
            if (role == Role::NotArt) {
                continue;
            }
            ElementAttributes attributes = gather(child);
            InheritedStyle style = inherited;
            applyOwnProperties(child, attributes, style);

            const auto artId = static_cast<simhost::ArtId>(art_.document.slotCount());
            simhost::ArtObject object;
            object.parent = parentArt;
            ArtSource source;
            source.element = child;
            source.nameIsId = !attributes.id.empty() && !duplicateIds_.contains(child.internal_object());
            if (source.nameIsId) {
                object.name = attributes.id;
            } else {
                object.name = generatedName(artId);
                art_.generatedNames.emplace(artId, object.name);
            }
            switch (role) {
                case Role::Group:
                    object.type = kGroupArt;
                    break;
                case Role::Shape:
                    object.type = shapeType(child, attributes.artType);
                    object.style = pathStyle(child, attributes, style, source);
                    break;
                case Role::Image:
                    object.type = attributes.href.starts_with("data:") ? kRasterArt : kPlacedArt;
                    object.matrix = elementMatrix(child, attributes.transform);
                    break;
                case Role::ForeignObject:
                    object.type = kForeignObjectArt;
                    object.matrix = elementMatrix(child, attributes.transform);
                    break;
                case Role::Text:
                    object.type = kTextFrameArt;
                    break;
                case Role::NotArt:
                    break;
            }
            source.styleRead = object.style;
            source.matrixRead = object.matrix;
            art_.document.add(std::move(object));
            art_.sources.push_back(std::move(source));
            if (role == Role::Group) {
                readChildren(child, artId, style);
            }
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

    std::string_view hrefOf(pugi::xml_node element) const {
        const pugi::xml_attribute plain = element.attribute("href");
        return plain ? plain.value() : element.attribute("xlink:href").value();
    }

    // The pattern that `pattern` refers to by href, or null.
    pugi::xml_node referencedPattern(pugi::xml_node pattern) {
        const std::string_view href = hrefOf(pattern);
        if (href.empty()) {
            return {};
        }
        const auto found = href.starts_with('#') ? servers_.find(href.substr(1)) : servers_.end();
        if (found == servers_.end() || std::strcmp(found->second.name(), "pattern") != 0) {
            fail(pattern, "pattern refers to " + quoted(href) + ", which is no pattern of this document");
        }
        return found->second;
    }

    static constexpr int kMaxHrefChain = 64;

    // The shared pattern behind one of our own.
    pugi::xml_node sharedPatternOf(pugi::xml_node own) {
        pugi::xml_node node = own;
        for (int depth = 0; depth < kMaxHrefChain; ++depth) {
            node = referencedPattern(node);
            if (!node) {
                fail(own, "pattern made for a path refers to no shared pattern");
            }
            if (!isOwnPattern(node)) {
                return node;
            }
        }
        fail(own, "pattern references form a loop");
    }

    // patternTransform, inherited along href as SVG does.
    AIRealMatrix patternTransform(pugi::xml_node pattern) {
        pugi::xml_node node = pattern;
        for (int depth = 0; node && depth < kMaxHrefChain; ++depth) {
            const pugi::xml_attribute attribute = node.attribute("patternTransform");
            if (attribute) {
                const auto matrix = parseTransform(attribute.value());
                if (!matrix) {
                    fail(node, "bad patternTransform " + quoted(attribute.value()));
                }
                return *matrix;
            }
            node = referencedPattern(node);
        }
        if (node) {
            fail(pattern, "pattern references form a loop");
        }
        return {1, 0, 0, 1, 0, 0};
    }

    struct Resolved {
        PaintValues values;
        pugi::xml_node pattern;
    };

    Resolved resolve(pugi::xml_node element, const Paint& paint, const Rgb& color, bool isFill) {
        switch (paint.kind) {
            case Paint::Kind::None:
                return {plainPaintValues(PaintMode::None), {}};
            case Paint::Kind::Color:
                return {plainPaintValues(PaintMode::Color, paint.rgb), {}};
            case Paint::Kind::CurrentColor:
                return {plainPaintValues(PaintMode::Color, color), {}};
            case Paint::Kind::Url:
                break;
        }
        const auto found = servers_.find(paint.url);
        if (found == servers_.end()) {
            if (!paint.hasFallback) {
                fail(element, std::string(isFill ? "fill" : "stroke") + " refers to #" + std::string(paint.url) +
                                  ", which is no pattern or gradient of this document");
            }
            Paint fallback;
            fallback.kind = paint.fallbackKind;
            fallback.rgb = paint.fallbackRgb;
            return resolve(element, fallback, color, isFill);
        }
        if (std::strcmp(found->second.name(), "pattern") != 0) {
            return {plainPaintValues(PaintMode::OtherServer, {}, kGradient), {}};
        }
        if (!isFill) {
            return {plainPaintValues(PaintMode::OtherServer, {}, kPattern), {}};
        }
        return {plainPaintValues(PaintMode::Pattern), found->second};
    }

    std::vector<float> ownNumbers(pugi::xml_node node, const std::string& name, std::size_t count) {
        const pugi::xml_attribute attribute = node.attribute(name.c_str());
        if (!attribute) {
            return {};
        }
        const auto numbers = parseNumberList(attribute.value());
        if (!numbers || numbers->size() != count) {
            fail(node, "bad " + name + " " + quoted(attribute.value()) + ": " + std::to_string(count) +
                           (count == 1 ? " number" : " numbers") + " expected");
        }
        return *numbers;
    }

    long long ownInteger(pugi::xml_node node, const std::string& name, std::string_view text, long long low,
                         long long high) {
        const auto value = parseInteger(text);
        if (!value || *value < low || *value > high) {
            fail(node, "bad " + name + " " + quoted(text));
        }
        return *value;
    }

    // Pattern fields that SVG has no attribute for, from one of our own patterns.
    void readPatternFields(pugi::xml_node own, AIPathStyle& style) {
        if (const auto v = ownNumbers(own, own_.shift, 2); !v.empty()) {
            style.shiftDist = v[0];
            style.shiftAngle = v[1];
        }
        if (const auto v = ownNumbers(own, own_.scale, 2); !v.empty()) {
            style.scaleH = v[0];
            style.scaleV = v[1];
        }
        if (const auto v = ownNumbers(own, own_.rotate, 1); !v.empty()) {
            style.rotate = v[0];
        }
        if (const pugi::xml_attribute reflect = own.attribute(own_.reflect.c_str())) {
            const std::string_view text = reflect.value();
            const std::size_t comma = text.find(',');
            const auto angle = comma == std::string_view::npos ? std::nullopt : parseNumber(text.substr(comma + 1));
            if (!angle) {
                fail(own, "bad " + own_.reflect + " " + quoted(text) + ": REFLECTED,ANGLE expected");
            }
            style.reflect = static_cast<AIBoolean>(ownInteger(own, own_.reflect, text.substr(0, comma), 0, 255));
            style.reflectAngle = *angle;
        }
        if (const auto v = ownNumbers(own, own_.shear, 2); !v.empty()) {
            style.shearAngle = v[0];
            style.shearAxis = v[1];
        }
    }

    // Exact values the writer kept beside an SVG paint; used while the SVG
    // still shows what they show, so an edit made elsewhere is never undone.
    PaintValues withExactValues(pugi::xml_node element, const std::string& name, std::string_view text,
                                const PaintValues& read) {
        if (text.empty()) {
            return read;
        }
        const auto exact = parsePaintValues(text);
        if (!exact) {
            fail(element, "bad " + name + " " + quoted(text) + ": PAINTED,KIND,C0,C1,C2,C3 expected");
        }
        return showSame(*exact, read, name == own_.fill) ? *exact : read;
    }

    AIPathStyle pathStyle(pugi::xml_node element, const ElementAttributes& attributes, const InheritedStyle& inherited,
                          ArtSource& source) {
        AIPathStyle style = simhost::defaultPathStyle();
        const Resolved fill = resolve(element, inherited.fill, inherited.color, true);
        const Resolved stroke = resolve(element, inherited.stroke, inherited.color, false);
        setFillValues(style, withExactValues(element, own_.fill, attributes.fillValues, fill.values));
        setStrokeValues(style, withExactValues(element, own_.stroke, attributes.strokeValues, stroke.values));
        if (fill.pattern) {
            pugi::xml_node shared = fill.pattern;
            if (isOwnPattern(fill.pattern)) {
                source.ownPattern = fill.pattern;
                shared = sharedPatternOf(fill.pattern);
                readPatternFields(fill.pattern, style);
            }
            const auto id = patternIds_.find(shared.internal_object());
            style.pattern = simhost::patternHandle(id->second);
            style.transform = flipVertical(patternTransform(fill.pattern));
        }
        style.fillOpacity = inherited.fillOpacity;
        style.evenOddFill = inherited.evenOddFill;
        style.strokeWidth = inherited.strokeWidth;
        style.strokeOpacity = inherited.strokeOpacity;
        style.miterLimit = inherited.miterLimit;
        style.lineCap = inherited.lineCap;
        style.lineJoin = inherited.lineJoin;
        style.dashCount = inherited.dashCount;
        std::copy(inherited.dash.begin(), inherited.dash.end(), style.dash);
        style.dashOffset = inherited.dashOffset;

        if (!attributes.fillRule.empty()) {
            const auto rule = static_cast<AIBoolean>(ownInteger(element, own_.fillRule, attributes.fillRule, 0, 255));
            style.evenOddFill = (rule != 0) == (style.evenOddFill != 0) ? rule : style.evenOddFill;
        }
        if (!attributes.lineCap.empty()) {
            const auto cap = static_cast<ASInt32>(
                ownInteger(element, own_.lineCap, attributes.lineCap, INT32_MIN, INT32_MAX));
            style.lineCap = std::strcmp(lineCapName(cap), lineCapName(style.lineCap)) == 0 ? cap : style.lineCap;
        }
        if (!attributes.lineJoin.empty()) {
            const auto join = static_cast<ASInt32>(
                ownInteger(element, own_.lineJoin, attributes.lineJoin, INT32_MIN, INT32_MAX));
            style.lineJoin = std::strcmp(lineJoinName(join), lineJoinName(style.lineJoin)) == 0 ? join : style.lineJoin;
        }
        if (!attributes.overprint.empty()) {
            const std::string_view text = attributes.overprint;
            const std::size_t comma = text.find(',');
            if (comma == std::string_view::npos) {
                fail(element, "bad " + own_.overprint + " " + quoted(text) + ": FILL,STROKE expected");
            }
            style.fillOverprint = static_cast<AIBoolean>(ownInteger(element, own_.overprint, text.substr(0, comma), 0, 255));
            style.strokeOverprint =
                static_cast<AIBoolean>(ownInteger(element, own_.overprint, text.substr(comma + 1), 0, 255));
        }
        return style;
    }

    SvgArtwork& art_;
    LineFinder& lines_;
    OwnNames own_;
    std::unordered_map<std::string_view, pugi::xml_node> servers_;
    std::unordered_map<const pugi::xml_node_struct*, simhost::PatternId> patternIds_;
    std::unordered_set<std::string_view> generatedLookalikes_;  // ids that look like generated names
    std::unordered_set<const pugi::xml_node_struct*> duplicateIds_;
};

// The prefix the file binds to our namespace; else "shunt", or a free variant
// of it when the file binds "shunt" to something else.
std::string ownPrefix(pugi::xml_node root) {
    for (const pugi::xml_attribute attribute : root.attributes()) {
        const std::string_view name = attribute.name();
        if (name.starts_with("xmlns:") && std::string_view(attribute.value()) == kShuntNamespace) {
            return std::string(name.substr(6));
        }
    }
    std::string prefix = "shunt";
    for (int n = 2; root.attribute(("xmlns:" + prefix).c_str()); ++n) {
        prefix = "shunt" + std::to_string(n);
    }
    return prefix;
}

void checkParsed(const pugi::xml_parse_result& result, SvgArtwork& artwork, LineFinder& lines) {
    if (!result) {
        throw SvgError(artwork.sourceName, lines.lineAt(result.offset),
                       std::string("malformed XML: ") + result.description());
    }
    if (!artwork.xml->document_element()) {
        throw SvgError(artwork.sourceName, 0, "no root element");
    }
}

void readInto(SvgArtwork& artwork, LineFinder& lines) {
    artwork.prefix = ownPrefix(artwork.xml->document_element());
    Reader(artwork, lines).read();
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

std::string SvgArtwork::ownAttribute(std::string_view local) const { return prefix + ":" + std::string(local); }

std::string_view SvgArtwork::nameAsRead(simhost::ArtId id) const {
    if (id >= sources.size()) {
        return {};
    }
    if (sources[id].nameIsId) {
        return sources[id].element.attribute("id").value();
    }
    const auto found = generatedNames.find(id);
    return found == generatedNames.end() ? std::string_view() : std::string_view(found->second);
}

SvgArtwork readSvg(const std::string& path) {
    SvgArtwork artwork;
    artwork.sourceName = path;
    // pugixml reads the file into its own buffer and parses it in place.
    const pugi::xml_parse_result result = artwork.xml->load_file(path.c_str(), kParseOptions);
    if (result.status == pugi::status_file_not_found || result.status == pugi::status_io_error) {
        readFile(path);  // for the system's own reason
        throw SvgError(path, 0, std::string("cannot read: ") + result.description());
    }
    LineFinder lines([&path] { return readFile(path); });
    checkParsed(result, artwork, lines);
    readInto(artwork, lines);
    return artwork;
}

SvgArtwork readSvgText(std::string_view text, const std::string& sourceName) {
    SvgArtwork artwork;
    artwork.sourceName = sourceName;
    const pugi::xml_parse_result result = artwork.xml->load_buffer(text.data(), text.size(), kParseOptions);
    LineFinder lines([text] { return std::string(text); });
    checkParsed(result, artwork, lines);
    readInto(artwork, lines);
    return artwork;
}

}  // namespace shunthost::svg
