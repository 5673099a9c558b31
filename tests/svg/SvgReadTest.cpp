// What SVG becomes in the host's document, and how bad input is refused.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "SvgTestSupport.h"
#include "simhost/Handles.h"
#include "svg/SvgDocument.h"
#include "svg/SvgReadContext.h"

using namespace shunthost::svg;
using svgtest::object;
using svgtest::readBody;
using svgtest::svgWith;

namespace {

// The line of the error that reading `text` gives.
int errorLine(const std::string& text) {
    try {
        readSvgText(text, "bad.svg");
    } catch (const SvgError& error) {
        EXPECT_EQ(error.file(), "bad.svg");
        EXPECT_EQ(std::string(error.what()).rfind("bad.svg:" + std::to_string(error.line()) + ": ", 0), 0u)
            << error.what();
        return error.line();
    }
    ADD_FAILURE() << "no error";
    return -1;
}

std::string errorMessage(const std::string& text) {
    try {
        readSvgText(text, "bad.svg");
    } catch (const SvgError& error) {
        return error.message();
    }
    return "no error";
}

}  // namespace

TEST(SvgRead, ElementsBecomeTheArtTypesOfTheMapping) {
    SvgArtwork artwork = readBody(R"svg(<title>t</title>
<defs><pattern id="p" width="4" height="4"><rect id="tile" width="2" height="2"/></pattern></defs>
<path id="path" d="M0 0h10v10z"/><rect id="rect" width="5" height="5"/><circle id="circle" r="3"/>
<ellipse id="ellipse" rx="3" ry="2"/><line id="line" x2="5"/><polyline id="polyline" points="0 0 5 5"/>
<polygon id="polygon" points="0 0 5 5 0 5"/>
<image id="linked" href="tile.png" width="8" height="8"/>
<image id="embedded" xlink:href="data:image/png;base64,AAAA" width="8" height="8"/>
<foreignObject id="foreign" width="10" height="10"><p xmlns="http://www.w3.org/1999/xhtml">hi</p></foreignObject>
<path id="mystery" shunt:art-type="mystery-path" d="M0 0h1"/>
<text id="label" x="1" y="9">Hi <tspan>there</tspan></text>
<g id="group"><rect id="member1" width="1" height="1"/><g id="inner"><rect id="member2" width="1" height="1"/></g></g>
<metadata><rect id="notart" width="1" height="1"/></metadata>)svg");
    const std::vector<std::pair<std::string, AIArtType>> expected = {
        {"path", kPathArt},           {"rect", kPathArt},
        {"circle", kPathArt},         {"ellipse", kPathArt},
        {"line", kPathArt},           {"polyline", kPathArt},
        {"polygon", kPathArt},        {"linked", kPlacedArt},
        {"embedded", kRasterArt},     {"foreign", kForeignObjectArt},
        {"mystery", kMysteryPathArt}, {"label", kTextFrameArt},
        {"group", kGroupArt},         {"member1", kPathArt},
        {"inner", kGroupArt},         {"member2", kPathArt},
    };
    std::vector<std::pair<std::string, AIArtType>> seen;
    for (const simhost::ArtId id : artwork.document.documentOrder()) {
        seen.emplace_back(artwork.document.art(id).name, artwork.document.art(id).type);
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(artwork.document.art(artwork.document.findByName("member2")).parent,
              artwork.document.findByName("inner"));
    EXPECT_EQ(artwork.document.patternCount(), 1u);
    EXPECT_EQ(artwork.document.pattern(0).name, "p");
}

TEST(SvgRead, ObjectsWithoutAnIdGetAGeneratedNameThatClashesWithNone) {
    SvgArtwork artwork = readBody(R"svg(<rect id="art1" width="1" height="1"/><rect width="1" height="1"/>
<rect id="twice" width="1" height="1"/><rect id="twice" width="1" height="1"/>)svg");
    const auto order = artwork.document.documentOrder();
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(artwork.document.art(order[0]).name, "art1");
    EXPECT_EQ(artwork.document.art(order[1]).name, "art1_2");
    EXPECT_EQ(artwork.document.art(order[2]).name, "twice");
    EXPECT_EQ(artwork.document.art(order[3]).name, "art3");
}

TEST(SvgRead, FillsBecomeFillPaintAndKind) {
    SvgArtwork artwork = readBody(R"svg(<rect id="none" fill="none" width="1" height="1"/>
<rect id="colour" fill="#336699" width="1" height="1"/>
<rect id="default" width="1" height="1"/>
<rect id="styled" fill="red" style="fill: blue" width="1" height="1"/>
<g fill="lime" color="#ff0000"><rect id="inherited" width="1" height="1"/><rect id="current" fill="currentColor" width="1" height="1"/></g>
<linearGradient id="grad"/><rect id="gradient" fill="url(#grad)" width="1" height="1"/>
<rect id="fallback" fill="url(#missing) yellow" width="1" height="1"/>)svg");
    EXPECT_EQ(object(artwork, "none").style.fillPaint, 0);
    const AIPathStyle& colour = object(artwork, "colour").style;
    EXPECT_EQ(colour.fillPaint, 1);
    EXPECT_EQ(colour.fillColorKind, kThreeColor);
    EXPECT_EQ(colour.fillColor[0], 0x33 / 255.0f);
    EXPECT_EQ(colour.fillColor[1], 0x66 / 255.0f);
    EXPECT_EQ(colour.fillColor[2], 0x99 / 255.0f);
    const AIPathStyle& fallback = object(artwork, "default").style;
    EXPECT_EQ(fallback.fillPaint, 1);
    EXPECT_EQ(fallback.fillColorKind, kThreeColor);
    EXPECT_EQ(fallback.fillColor[0], 0.0f);
    EXPECT_EQ(object(artwork, "styled").style.fillColor[2], 1.0f) << "the style attribute wins";
    EXPECT_EQ(object(artwork, "inherited").style.fillColor[1], 1.0f);
    EXPECT_EQ(object(artwork, "current").style.fillColor[0], 1.0f);
    EXPECT_EQ(object(artwork, "gradient").style.fillColorKind, kGradient);
    EXPECT_EQ(object(artwork, "fallback").style.fillColor[1], 1.0f);
    EXPECT_EQ(object(artwork, "fallback").style.fillColor[0], 1.0f);
}

TEST(SvgRead, PatternFillsCarryTheSharedPatternAndItsMatrixInHostCoordinates) {
    SvgArtwork artwork = readBody(R"svg(<defs>
<pattern id="first" width="4" height="4"/>
<pattern id="tiles" width="4" height="4" patternTransform="translate(3,8)"/>
<pattern id="alias" xlink:href="#tiles"/></defs>
<rect id="a" fill="url(#tiles)" width="1" height="1"/>
<rect id="b" style="fill:url('#alias')" width="1" height="1"/>
<rect id="c" fill="url(#first)" width="1" height="1"/>)svg");
    const AIPathStyle& a = object(artwork, "a").style;
    EXPECT_EQ(a.fillPaint, 1);
    EXPECT_EQ(a.fillColorKind, kPattern);
    EXPECT_EQ(a.pattern, simhost::patternHandle(1));
    EXPECT_EQ(a.transform.tx, 3.0f);
    EXPECT_EQ(a.transform.ty, -8.0f) << "SVG's downward 8 is the host's -8";
    const AIPathStyle& b = object(artwork, "b").style;
    EXPECT_EQ(b.pattern, simhost::patternHandle(2))
        << "a pattern of the file's own is shared in its own right";
    EXPECT_EQ(b.transform.ty, -8.0f) << "patternTransform is inherited along href";
    const AIPathStyle& c = object(artwork, "c").style;
    EXPECT_EQ(c.pattern, simhost::patternHandle(0));
    EXPECT_EQ(c.transform.a, 1.0f);
    EXPECT_EQ(c.transform.ty, 0.0f);
    EXPECT_EQ(c.scaleH, 100.0f);
    EXPECT_EQ(c.shiftDist, 0.0f);
}

TEST(SvgRead, StrokesKeepWidthDashesAndOffset) {
    SvgArtwork artwork =
        readBody(R"svg(<g stroke-dasharray="4 2"><path id="dashed" stroke="#000" stroke-width="2.5"
 stroke-dashoffset="-3" stroke-linecap="round" stroke-linejoin="bevel" stroke-miterlimit="7" d="M0 0h9"/>
<path id="solid" stroke="red" stroke-dasharray="none" d="M0 0h9"/></g>
<path id="bare" d="M0 0h9"/>)svg");
    const AIPathStyle& dashed = object(artwork, "dashed").style;
    EXPECT_EQ(dashed.strokePaint, 1);
    EXPECT_EQ(dashed.strokeColorKind, kThreeColor);
    EXPECT_EQ(dashed.strokeWidth, 2.5f);
    EXPECT_EQ(dashed.dashCount, 2);
    EXPECT_EQ(dashed.dash[0], 4.0f);
    EXPECT_EQ(dashed.dash[1], 2.0f);
    EXPECT_EQ(dashed.dashOffset, -3.0f);
    EXPECT_EQ(dashed.lineCap, 1);
    EXPECT_EQ(dashed.lineJoin, 2);
    EXPECT_EQ(dashed.miterLimit, 7.0f);
    EXPECT_EQ(object(artwork, "solid").style.dashCount, 0);
    EXPECT_EQ(object(artwork, "bare").style.strokePaint, 0) << "SVG strokes nothing by default";
}

TEST(SvgRead, ImagesAndForeignObjectsTakeTheirTransformInHostCoordinates) {
    SvgArtwork artwork = readBody(
        R"svg(<image id="placed" href="a.png" x="5" width="8" height="8" transform="translate(10,20) scale(2)"/>
<foreignObject id="foreign" width="1" height="1" transform="matrix(1 0 0 1 0 -4)"/>
<image id="plain" href="a.png" width="8" height="8"/>)svg");
    const AIRealMatrix& placed = object(artwork, "placed").matrix;
    EXPECT_EQ(placed.a, 2.0f);
    EXPECT_EQ(placed.d, 2.0f);
    EXPECT_EQ(placed.tx, 20.0f) << "x = 5 is where the picture starts, scaled by 2 and moved by 10";
    EXPECT_EQ(placed.ty, -20.0f);
    EXPECT_EQ(object(artwork, "foreign").matrix.ty, 4.0f);
    EXPECT_EQ(object(artwork, "plain").matrix.a, 1.0f);
    EXPECT_EQ(object(artwork, "plain").matrix.ty, 0.0f);
}

TEST(SvgRead, TheNamespaceMayBeBoundToAnyPrefix) {
    SvgArtwork artwork =
        readSvgText(R"svg(<svg xmlns="http://www.w3.org/2000/svg" xmlns:sp="urn:shunt-palette:svg">
<path id="m" sp:art-type="mystery-path" d="M0 0"/></svg>)svg");
    EXPECT_EQ(object(artwork, "m").type, kMysteryPathArt);
    EXPECT_EQ(artwork.prefix, "sp");
}

TEST(SvgReadErrors, MalformedXmlNamesItsLine) {
    EXPECT_EQ(
        errorLine("<svg xmlns=\"http://www.w3.org/2000/svg\">\n<rect/>\n<g>\n<rect width=\"1\">\n</svg>\n"),
        5);
    EXPECT_EQ(errorLine("<svg>\n\n<rect width=1/></svg>"), 3);
    EXPECT_NE(errorMessage("<svg><rect></svg>").find("malformed XML"), std::string::npos);
}

TEST(SvgReadErrors, BadValuesInModelledAttributesNameTheirLine) {
    const std::string head = "<svg xmlns=\"http://www.w3.org/2000/svg\">\n<rect/>\n";
    EXPECT_EQ(errorLine(head + "<rect stroke-dashoffset=\"1..5\"/>\n</svg>"), 3);
    EXPECT_EQ(errorLine(head + "<rect\n  width=\"1\"/>\n<rect\nstroke-dashoffset=\"1..5\"/>\n</svg>"), 5)
        << "line ends that parsing overwrites count";
    EXPECT_EQ(errorLine("\xEF\xBB\xBF" + head + "<rect stroke-dashoffset=\"1..5\"/>\n</svg>"), 3)
        << "after a BOM";
    EXPECT_EQ(errorLine(head + "\n<rect style=\"stroke-dashoffset: x\"/>\n</svg>"), 4);
    EXPECT_EQ(errorLine(head + "<rect stroke-dasharray=\"1 2 3 4 5 6 7 8 9 10 11\"/>\n</svg>"), 3);
    EXPECT_EQ(errorLine(head + "<image href=\"a.png\" transform=\"rotate(\"/>\n</svg>"), 3);
    EXPECT_EQ(errorLine(head + "<path shunt:art-type=\"teapot\"/>\n</svg>"), 3);
    EXPECT_EQ(errorLine(head + "<defs><pattern id=\"p\" patternTransform=\"skewX()\"/></defs>\n"
                               "<rect fill=\"url(#p)\"/>\n</svg>"),
              3);
    EXPECT_NE(
        errorMessage(head + "<rect stroke-dasharray=\"1 2 3 4 5 6 7 8 9 10 11\"/></svg>").find("at most 10"),
        std::string::npos);
    EXPECT_NE(errorMessage(head + "<rect stroke-dashoffset=\"1e39\"/></svg>").find("bad length '1e39'"),
              std::string::npos);
}

// What the palette never changes does not stop a file from opening: the
// value stays in the file as written, and a path whose paint the host cannot
// read is one the palette leaves alone.
TEST(SvgRead, ValuesThePaletteNeverChangesAreKeptNotRefused) {
    const struct {
        const char* body;
        ASInt32 fillKind;
        AIReal strokeWidth;
    } kCases[] = {
        {R"svg(<rect id="r" fill="url(#nowhere)"/>)svg", kGradient, 1},
        {R"svg(<rect id="r" fill="url(#nowhere) #f00"/>)svg", kThreeColor, 1},  // the fallback, as before
        {R"svg(<rect id="r" fill="context-stroke" stroke="context-fill"/>)svg", kGradient, 1},
        {R"svg(<hatch id="h"/><rect id="r" fill="url(#h)"/>)svg", kGradient, 1},
        {R"svg(<rect id="r" fill="rgba(0,0,0,0.5)"/>)svg", kGradient, 1},
        {R"svg(<rect id="r" fill="url(other.svg#p)"/>)svg", kGradient, 1},
        {R"svg(<g stroke-width="3"><rect id="r" stroke-width="1em" fill="#000"/></g>)svg", kThreeColor, 3},
        {R"svg(<rect id="r" stroke-linecap="wavy" color="blurple" fill="currentColor"/>)svg", kThreeColor, 1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.body);
        SvgArtwork artwork = readBody(c.body);
        EXPECT_EQ(object(artwork, "r").style.fillColorKind, c.fillKind);
        EXPECT_EQ(object(artwork, "r").style.strokeWidth, c.strokeWidth);
        // Reset of the dashes: only what changed is written.
        object(artwork, "r").style.dashOffset = 2;
        const std::string saved = writeSvgText(artwork);
        const std::string body = c.body;
        EXPECT_NE(saved.find(std::string(body).insert(body.rfind("/>"), " stroke-dashoffset=\"2\"")),
                  std::string::npos)
            << saved;
    }
}

TEST(SvgReadErrors, ADocumentThatIsNotSvgIsRefused) {
    EXPECT_NE(errorMessage("<html/>").find("not an SVG document"), std::string::npos);
    EXPECT_NE(errorMessage(R"svg(<svg:svg xmlns:svg="urn:not-svg"/>)svg").find("not an SVG document"),
              std::string::npos);
    EXPECT_NE(
        errorMessage(R"svg(<svg xmlns="http://www.w3.org/1999/xhtml"/>)svg").find("not an SVG document"),
        std::string::npos);
    EXPECT_NE(errorMessage("").find("malformed XML"), std::string::npos);
    // An encoding the file would be read in once saved, but not now.
    EXPECT_NE(errorMessage(" <?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><svg/>")
                  .find("does not begin the file"),
              std::string::npos);
    EXPECT_NE(
        errorMessage("<?xml version=\"1.0\" encoding=\"no-such-encoding\"?><svg/>").find("unknown encoding"),
        std::string::npos);
}

TEST(SvgReadErrors, OurOwnPatternWithoutASharedOneIsRefused) {
    EXPECT_NE(errorMessage(svgWith(R"svg(<pattern id="own" shunt:for="x"/><rect fill="url(#own)"/>)svg"))
                  .find("refers to no shared pattern"),
              std::string::npos);
    EXPECT_NE(
        errorMessage(
            svgWith(R"svg(<pattern id="a" shunt:for="x" href="#b"/><pattern id="b" shunt:for="y" href="#a"/>
<rect fill="url(#a)"/>)svg"))
            .find("loop"),
        std::string::npos);
}

TEST(SvgExample, TheExampleArtworkHasEveryTypeThePaletteActsOnAndSavesUnchanged) {
    const std::string path = std::string(SHUNT_EXAMPLES_DIR) + "/artwork.svg";
    SvgArtwork artwork = readSvg(path);
    std::set<int> types;
    for (const simhost::ArtId id : artwork.document.documentOrder()) {
        types.insert(artwork.document.art(id).type);
    }
    for (const int type :
         {kGroupArt, kPathArt, kPlacedArt, kMysteryPathArt, kRasterArt, kForeignObjectArt, kTextFrameArt}) {
        EXPECT_TRUE(types.contains(type)) << "type " << type;
    }
    EXPECT_EQ(object(artwork, "dots-left").style.pattern, object(artwork, "dots-right").style.pattern)
        << "two paths share a pattern";
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(writeSvgText(artwork), text);
}

// SVG's elements under any prefix, or in the default namespace however it is
// given; a pattern made on saving is named as the file names SVG's elements.
TEST(SvgRead, SvgElementsAreRecognisedUnderAnyPrefix) {
    const struct {
        const char* text;
        std::size_t objects;
        const char* madePattern;
    } kCases[] = {
        {R"svg(<svg:svg xmlns:svg="http://www.w3.org/2000/svg"><svg:defs><svg:pattern id="p" width="2" height="2"/></svg:defs>
<svg:g><svg:rect id="r" fill="url(#p)"/></svg:g></svg:svg>)svg",
         2, "<svg:pattern id=\"r-fill\""},
        {R"svg(<!DOCTYPE svg [<!ENTITY ns_svg "http://www.w3.org/2000/svg">]>
<svg xmlns="&ns_svg;"><defs><pattern id="p" width="2" height="2"/></defs><rect id="r" fill="url(#p)"/></svg>)svg",
         1, "<pattern id=\"r-fill\""},
        {R"svg(<s:svg xmlns:s="http://www.w3.org/2000/svg" xmlns="urn:other"><s:pattern id="p" width="2" height="2"/>
<rect id="x"/><s:rect id="r" fill="url(#p)"/></s:svg>)svg",
         1, "<s:defs><s:pattern id=\"r-fill\""},
        // A plain root with SVG bound to a prefix only, as some of Inkscape's examples are.
        {R"svg(<svg xmlns:svg="http://www.w3.org/2000/svg"><defs><pattern id="p" width="2" height="2"/></defs>
<rect id="r" fill="url(#p)"/></svg>)svg",
         1, "<pattern id=\"r-fill\""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.text);
        SvgArtwork artwork = readSvgText(c.text);
        EXPECT_EQ(artwork.document.documentOrder().size(), c.objects);
        EXPECT_EQ(object(artwork, "r").style.fillColorKind, kPattern);
        object(artwork, "r").style.transform.tx = 1;
        const std::string saved = writeSvgText(artwork);
        EXPECT_NE(saved.find(c.madePattern), std::string::npos) << saved;
        SvgArtwork again = readSvgText(saved);
        EXPECT_EQ(object(again, "r").style.transform.tx, 1.0f);
    }
}

// Attribute names are told apart letter by letter: every property is taken
// from its own attribute, and no name that begins, ends or is as long as one
// of theirs passes for it.
TEST(SvgRead, EveryModelledPropertyIsTakenFromItsOwnAttributeAndNoLookalike) {
    std::string attributes;
    for (std::size_t p = 0; p < kPropertyCount; ++p) {
        attributes +=
            std::string(" ") + propertyName(static_cast<Property>(p)) + "=\"v" + std::to_string(p) + "\"";
    }
    std::istringstream lookalikes(
        "fil fills fill- fill-opacit fill-rules fill-stroke strok stroke- stroke-w stroke-widths stroke-line "
        "stroke-linecaps stroke-linejoint stroke-dash stroke-dashes stroke-dashoffsets stroke-miter "
        "stroke-opacit strokes colour colors x-fill c");
    for (std::string lookalike; lookalikes >> lookalike;) {
        attributes += " " + lookalike + "=\"no\"";
    }
    // In <defs>, where nothing is read as art, so that no value needs to make sense.
    SvgArtwork artwork = readSvgText(svgWith("<defs><path" + attributes + "/></defs>"));
    const pugi::xml_node path = artwork.xml->document_element().child("defs").child("path");
    ASSERT_TRUE(path);
    const ElementAttributes gathered = gatherAttributes(path, artwork, OwnNames(artwork.prefix));
    EXPECT_EQ(gathered.givenProperties, (1u << kPropertyCount) - 1);
    for (std::size_t p = 0; p < kPropertyCount; ++p) {
        EXPECT_EQ(gathered.property(static_cast<Property>(p)), "v" + std::to_string(p))
            << propertyName(static_cast<Property>(p));
    }
}
