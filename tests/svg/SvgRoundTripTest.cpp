// Saving and reopening: what the host changed comes back exactly, and an
// unchanged document comes back as it was.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>
#include <sstream>

#include "SvgTestSupport.h"
#include "simhost/Handles.h"
#include "svg/SvgDocument.h"
#include "svg/SvgNumbers.h"

using namespace shunthost::svg;
using svgtest::expectSameBits;
using svgtest::kTwoSharers;
using svgtest::object;
using svgtest::occurrences;
using svgtest::reopened;
using svgtest::svgWith;

namespace {

// Every field the host keeps, compared bit for bit.
void expectSameStyle(const AIPathStyle& actual, const AIPathStyle& expected) {
    EXPECT_EQ(actual.fillPaint, expected.fillPaint);
    EXPECT_EQ(actual.strokePaint, expected.strokePaint);
    EXPECT_EQ(actual.fillColorKind, expected.fillColorKind);
    if (expected.fillPaint != 0 && expected.fillColorKind == kPattern) {
        EXPECT_EQ(actual.pattern, expected.pattern);
        expectSameBits(actual.shiftDist, expected.shiftDist, "shiftDist");
        expectSameBits(actual.shiftAngle, expected.shiftAngle, "shiftAngle");
        expectSameBits(actual.scaleH, expected.scaleH, "scaleH");
        expectSameBits(actual.scaleV, expected.scaleV, "scaleV");
        expectSameBits(actual.rotate, expected.rotate, "rotate");
        EXPECT_EQ(actual.reflect, expected.reflect);
        expectSameBits(actual.reflectAngle, expected.reflectAngle, "reflectAngle");
        expectSameBits(actual.shearAngle, expected.shearAngle, "shearAngle");
        expectSameBits(actual.shearAxis, expected.shearAxis, "shearAxis");
        const AIRealMatrix& a = actual.transform;
        const AIRealMatrix& e = expected.transform;
        expectSameBits(a.a, e.a, "transform.a");
        expectSameBits(a.b, e.b, "transform.b");
        expectSameBits(a.c, e.c, "transform.c");
        expectSameBits(a.d, e.d, "transform.d");
        expectSameBits(a.tx, e.tx, "transform.tx");
        expectSameBits(a.ty, e.ty, "transform.ty");
    }
    for (int i = 0; i < 4; ++i) {
        expectSameBits(actual.fillColor[i], expected.fillColor[i], "fillColor");
        expectSameBits(actual.strokeColor[i], expected.strokeColor[i], "strokeColor");
    }
    EXPECT_EQ(actual.strokeColorKind, expected.strokeColorKind);
    expectSameBits(actual.strokeWidth, expected.strokeWidth, "strokeWidth");
    expectSameBits(actual.miterLimit, expected.miterLimit, "miterLimit");
    EXPECT_EQ(actual.lineCap, expected.lineCap);
    EXPECT_EQ(actual.lineJoin, expected.lineJoin);
    expectSameBits(actual.fillOpacity, expected.fillOpacity, "fillOpacity");
    expectSameBits(actual.strokeOpacity, expected.strokeOpacity, "strokeOpacity");
    EXPECT_EQ(actual.evenOddFill, expected.evenOddFill);
    EXPECT_EQ(actual.fillOverprint, expected.fillOverprint);
    EXPECT_EQ(actual.strokeOverprint, expected.strokeOverprint);
    EXPECT_EQ(actual.dashCount, expected.dashCount);
    for (int i = 0; i < expected.dashCount; ++i) {
        expectSameBits(actual.dash[i], expected.dash[i], "dash");
    }
    expectSameBits(actual.dashOffset, expected.dashOffset, "dashOffset");
}

// A pattern fill with an unusual value in every field.
AIPathStyle oddPatternStyle(AIPatternHandle pattern) {
    AIPathStyle style{};
    style.fillPaint = 1;
    style.strokePaint = 1;
    style.fillColorKind = kPattern;
    style.pattern = pattern;
    style.shiftDist = -0.0f;
    style.shiftAngle = 1e-7f;
    style.scaleH = 0.015625f;
    style.scaleV = 3.4028235e38f;
    style.rotate = -116.0f;
    style.reflect = 1;
    style.reflectAngle = 0.1f;
    style.shearAngle = -1e-30f;
    style.shearAxis = 123456789.0f;
    style.transform = {0.3f, -0.0f, 1e-7f, -2.5f, 1e20f, -8.0f};
    style.fillColor[0] = 0.123456789f;
    style.fillColor[3] = -0.0f;
    style.strokeColorKind = kFourColor;
    style.strokeColor[0] = 0.1f;
    style.strokeColor[1] = 0.2f;
    style.strokeColor[2] = 0.3f;
    style.strokeColor[3] = 0.4f;
    style.strokeWidth = 1e-7f;
    style.miterLimit = 0.015625f;
    style.lineCap = 2;
    style.lineJoin = 7;
    style.fillOpacity = 0.333333343f;
    style.strokeOpacity = -0.0f;
    style.evenOddFill = 3;
    style.fillOverprint = 1;
    style.strokeOverprint = 0;
    style.dashCount = kMaxDashComponents;
    for (int i = 0; i < kMaxDashComponents; ++i) {
        style.dash[i] = 0.1f * static_cast<float>(i + 1);
    }
    style.dashOffset = -1e-7f;
    return style;
}

}  // namespace

TEST(SvgRoundTrip, AnUnchangedDocumentIsWrittenAsItWasRead) {
    const std::string text = R"svg(<?xml version="1.0" encoding="UTF-8"?>
<!-- made by hand -->
<!DOCTYPE svg>
<svg xmlns="http://www.w3.org/2000/svg" xmlns:ink="urn:example:ink" viewBox="0 0 10 10" ink:zoom="2">
  <title>Kept &amp; sound</title>
  <?editor keep-this?>
  <ink:guide position="3"/>
  <defs><pattern id="p" width="2" height="2"><rect width="1" height="1"/></pattern></defs>
  <path d="M 0,0 L 5,5" style="fill:url(#p);  stroke : #000" ink:label="first" data-x="1"/>
  <g ink:layer="yes"><text x="1" y="2">a <tspan>b</tspan></text></g>
  <image href="data:image/png;base64,AAAA" transform="translate(1 , 2)"/>
  <![CDATA[ raw ]]>
</svg>
)svg";
    // The white space between the document's own nodes, and at its end, as
    // editors and exports leave it.
    const std::string svg = R"(<svg xmlns="http://www.w3.org/2000/svg"/>)";
    const std::vector<std::string> files = {
        text, "<?xml version=\"1.0\"?><!-- glued -->" + svg,
        "<!-- c -->\r\n\r\n" + svg + "\n<!-- end -->  \n\n", "\n \t" + svg + "<?after it?>",
        "<?xml version=\"1.0\"?>\n<!DOCTYPE svg [ <!ENTITY e \"<>\"> ]>" + svg};
    for (const std::string& file : files) {
        SvgArtwork artwork = readSvgText(file);
        std::string saved;
        reopened(artwork, &saved);
        EXPECT_EQ(saved, file);
    }
}

// Attribute values are saved as the file wrote them, whether or not the path
// changed; what they mean is read through references and XML's white space
// rules. Values written between single quotes come back between double ones.
TEST(SvgRoundTrip, AttributeTextIsSavedAsWrittenAndReadAsItMeans) {
    const std::string entities = R"svg(<!DOCTYPE svg [
  <!ENTITY ns_svg "http://www.w3.org/2000/svg">
  <!ENTITY ns_xlink "http://www.w3.org/1999/xlink">
  <!ENTITY st0 "fill:#00FF00;stroke:#000;stroke-width:&w;">
  <!ENTITY w "3">
  <!ENTITY ext SYSTEM "/etc/passwd">
]>
)svg";
    // pugixml separates attributes by one space: a root on one line is saved as it was.
    auto oneLine = [](const std::string& body) {
        return R"svg(<svg xmlns="http://www.w3.org/2000/svg" xmlns:shunt="urn:shunt-palette:svg">)svg" +
               body + "</svg>\n";
    };
    const struct {
        std::string text;
        std::string savedAs;  // when not the text itself
        const char* attribute;
        std::string means;
        AIReal strokeWidth;
    } kCases[] = {
        {entities +
             R"svg(<svg xmlns="&ns_svg;" xmlns:xlink="&ns_xlink;"><path id="p" d="M0 0" style="&st0;" data-x="&ext;"/></svg>
)svg",
         "", "style", "fill:#00FF00;stroke:#000;stroke-width:3", 3},
        {oneLine("<path id=\"p\" d=\"M 0,0\n\tL 5,5\r\n\" stroke-width=\"2\"/>"), "", "d", "M 0,0  L 5,5 ",
         2},
        {oneLine(
             R"svg(<path id="p" d="M0 0" stroke-width="&#50;" data-x="a&#10;b&amp;&lt;&quot;&apos;"/>)svg"),
         "", "data-x", "a\nb&<\"'", 2},
        {oneLine("<path id='p' d='M0 0' data-x='say \"hi\"' stroke-width='4'/>"),
         oneLine(R"svg(<path id="p" d="M0 0" data-x="say &quot;hi&quot;" stroke-width="4"/>)svg"), "data-x",
         "say \"hi\"", 4},
        {"<svg xmlns=\"http://www.w3.org/2000/svg\">\r\n<path id=\"p\" d=\"M0\r\n0\"/>\r\n</svg>\n", "", "d",
         "M0 0", 1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.text);
        SvgArtwork artwork = readSvgText(c.text);
        EXPECT_EQ(artwork.value(artwork.element(artwork.document.findByName("p")).attribute(c.attribute)),
                  c.means);
        EXPECT_EQ(object(artwork, "p").style.strokeWidth, c.strokeWidth);
        std::string saved;
        reopened(artwork, &saved);
        EXPECT_EQ(saved, c.savedAs.empty() ? c.text : c.savedAs);
    }
}

// A style given by an entity, changed by the host: the reference is kept and
// the new declaration follows it; other attributes keep their text.
TEST(SvgRoundTrip, AChangedStyleKeepsItsEntityReferences) {
    SvgArtwork artwork = readSvgText(R"svg(<!DOCTYPE svg [<!ENTITY st0 "stroke:#000;stroke-dashoffset:1">]>
<svg xmlns="http://www.w3.org/2000/svg"><path id="p" d="M0&#10;0" style="&st0;"/></svg>)svg");
    object(artwork, "p").style.dashOffset = 0;
    std::string saved;
    SvgArtwork again = reopened(artwork, &saved);
    EXPECT_NE(saved.find(R"svg(<path id="p" d="M0&#10;0" style="&st0;;stroke-dashoffset:0"/>)svg"),
              std::string::npos)
        << saved;
    EXPECT_EQ(object(again, "p").style.dashOffset, 0.0f);
    object(again, "p").style.dashOffset = 5;
    reopened(again, &saved);
    EXPECT_NE(saved.find(R"svg(style="&st0;;stroke-dashoffset:5")svg"), std::string::npos)
        << "replaced, not added again\n"
        << saved;
}

// Entities are expanded within bounds, and never fetched from outside.
TEST(SvgReadErrors, EntitiesThatExpandWithoutBoundAreRefused) {
    std::string laughs = "<!DOCTYPE svg [<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 10; ++i) {
        laughs += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j) {
            laughs += "&l" + std::to_string(i - 1) + ";";
        }
        laughs += "\">";
    }
    const std::string cases[] = {
        laughs + "]><svg xmlns=\"http://www.w3.org/2000/svg\"><path id=\"p\" style=\"&l9;\"/></svg>",
        R"svg(<!DOCTYPE svg [<!ENTITY a "&b;"><!ENTITY b "&a;">]>
<svg xmlns="http://www.w3.org/2000/svg"><path id="p" style="&a;"/></svg>)svg",
    };
    for (const std::string& text : cases) {
        EXPECT_THROW(readSvgText(text), SvgError) << text;
    }
}

namespace {

std::u32string codePoints(std::string_view utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        out += c;
        i += length;
    }
    return out;
}

// Text in an encoding, written out by hand: UTF-8, UTF-16 (BMP) either way round, or
// a single-byte encoding where the code point is the byte (and the euro 0x80).
std::string encoded(std::string_view utf8, const std::string& encoding) {
    if (encoding == "UTF-8") {
        return std::string(utf8);
    }
    std::string out;
    for (const char32_t c : codePoints(utf8)) {
        if (encoding == "UTF-16LE" || encoding == "UTF-16BE") {
            const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
            out += encoding == "UTF-16LE" ? std::string{low, high} : std::string{high, low};
        } else {
            out += static_cast<char>(c == U'\u20AC' ? 0x80 : c);
        }
    }
    return out;
}

}  // namespace

// A file is read in whatever encoding it declares and saved in the same, byte
// order mark and all; a character the encoding cannot hold is written as a
// character reference.
TEST(SvgRoundTrip, FilesAreSavedInTheirOwnEncoding) {
    const struct {
        std::string bom;
        const char* encoding;  // as the bytes are made
        const char* declared;
        const char* unencodable;  // how the new name's U+2603 is written
    } kCases[] = {
        {"", "UTF-8", "UTF-8", "\u2603"},
        {"\xEF\xBB\xBF", "UTF-8", "UTF-8", "\u2603"},
        {"\xFF\xFE", "UTF-16LE", "UTF-16", "\u2603"},
        {"\xFE\xFF", "UTF-16BE", "UTF-16", "\u2603"},
        {"", "UTF-16LE", "UTF-16", "\u2603"},
        {"", "ISO-8859-1", "ISO-8859-1", "&#9731;"},
        {"", "windows-1252", "windows-1252", "&#9731;"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.encoding) + " declared " + c.declared +
                     (c.bom.empty() ? "" : " with a mark"));
        const std::string text =
            std::string("<?xml version=\"1.0\" encoding=\"") + c.declared + "\"?>\n" +
            "<svg xmlns=\"http://www.w3.org/2000/svg\"><defs><pattern id=\"p\" width=\"2\" "
            "height=\"2\"/></defs>\n"
            "<title>d\u00E9j\u00E0 vu \u20AC</title><rect id=\"caf\u00E9\" fill=\"url(#p)\" width=\"1\" "
            "height=\"1\"/></svg>\n";
        const bool euro = std::string(c.encoding) != "ISO-8859-1";
        const std::string utf8 = euro ? text : std::string(text).replace(text.find("\u20AC"), 3, "E");
        const std::string bytes = c.bom + encoded(utf8, c.encoding);
        SvgArtwork artwork = readSvgText(bytes);
        ASSERT_NE(artwork.document.findByName("caf\u00E9"), simhost::kNoArt);
        EXPECT_EQ(writeSvgText(artwork), bytes) << "unchanged, byte for byte";
        EXPECT_EQ(writeSvgText(artwork, TextEncoding::Utf8), utf8) << "for a page";
        object(artwork, "caf\u00E9").name = "snow\u2603";
        object(artwork, "snow\u2603").style.transform.tx = 2;
        std::string saved;
        SvgArtwork again = reopened(artwork, &saved);
        EXPECT_EQ(object(again, "snow\u2603").style.transform.tx, 2.0f);
        const std::size_t root = bytes.find(encoded("<svg", c.encoding));
        EXPECT_EQ(saved.substr(0, root), bytes.substr(0, root))
            << "the declaration and the mark as they were";
        EXPECT_NE(saved.find(encoded(std::string("id=\"snow") + c.unencodable + "\"", c.encoding)),
                  std::string::npos);
    }
}

TEST(SvgRoundTrip, EveryPathStyleFieldComesBackBitForBit) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    const AIPathStyle style = oddPatternStyle(simhost::patternHandle(1));
    object(artwork, "left").style = style;
    SvgArtwork again = reopened(artwork);
    expectSameStyle(object(again, "left").style, style);
    // And a second save of the reopened document changes nothing more.
    std::string first, second;
    reopened(again, &first);
    SvgArtwork third = readSvgText(first);
    reopened(third, &second);
    EXPECT_EQ(first, second);
}

TEST(SvgRoundTrip, ColourFillsOfEveryKindComeBackBitForBit) {
    SvgArtwork artwork = readSvgText(svgWith(R"svg(<rect id="gray" width="1" height="1"/>
<rect id="cmyk" width="1" height="1"/><rect id="none" width="1" height="1"/><rect id="exact" width="1" height="1"/>
<rect id="custom" width="1" height="1"/>)svg"));
    AIPathStyle gray = object(artwork, "gray").style;
    gray.fillColorKind = kGrayColor;
    gray.fillColor[0] = 0.3f;
    AIPathStyle cmyk = gray;
    cmyk.fillColorKind = kFourColor;
    cmyk.fillColor[0] = 0.25f;
    cmyk.fillColor[3] = 0.5f;
    AIPathStyle none = gray;
    none.fillPaint = 0;
    none.fillColorKind = kThreeColor;
    none.fillColor[1] = 0.75f;
    AIPathStyle exact = gray;
    exact.fillColorKind = kThreeColor;
    exact.fillColor[0] = 1.0f;
    exact.fillColor[1] = 0.0f;
    exact.fillColor[2] = 0.0f;
    AIPathStyle custom = gray;
    custom.fillColorKind = kCustomColor;
    custom.fillColor[2] = 0.9f;
    object(artwork, "gray").style = gray;
    object(artwork, "cmyk").style = cmyk;
    object(artwork, "none").style = none;
    object(artwork, "exact").style = exact;
    object(artwork, "custom").style = custom;
    std::string saved;
    SvgArtwork again = reopened(artwork, &saved);
    for (const char* name : {"gray", "cmyk", "none", "exact", "custom"}) {
        SCOPED_TRACE(name);
        expectSameStyle(object(again, name).style, object(artwork, name).style);
    }
    EXPECT_NE(saved.find(R"svg(<rect id="exact" width="1" height="1" fill="#ff0000"/>)svg"),
              std::string::npos)
        << "a colour SVG shows exactly needs nothing of ours\n"
        << saved;
    EXPECT_NE(
        saved.find(
            R"svg(<rect id="gray" width="1" height="1" fill="#4d4d4d" shunt:fill="1,0,0.3,0,0,0"/>)svg"),
        std::string::npos)
        << saved;
}

TEST(SvgRoundTrip, ValuesKeptBesideTheSvgGiveWayToAnEditMadeElsewhere) {
    // The file says gray 0.3 (#4d4d4d), but its fill was since made red by hand.
    SvgArtwork artwork =
        readSvgText(svgWith(R"svg(<rect id="r" fill="red" shunt:fill="1,0,0.3,0,0,0" width="1" height="1"/>
<rect id="k" fill="#4d4d4d" shunt:fill="1,0,0.3,0,0,0" width="1" height="1"/>)svg"));
    EXPECT_EQ(object(artwork, "r").style.fillColorKind, kThreeColor);
    EXPECT_EQ(object(artwork, "r").style.fillColor[0], 1.0f);
    EXPECT_EQ(object(artwork, "k").style.fillColorKind, kGrayColor);
    EXPECT_EQ(object(artwork, "k").style.fillColor[0], 0.3f);
}
