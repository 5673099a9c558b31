// Saving and reopening: what the host changed comes back exactly, and nothing
// else changes.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "SvgTestSupport.h"
#include "simhost/Handles.h"
#include "svg/SvgDocument.h"
#include "svg/SvgNumbers.h"

using namespace shunthost::svg;
using svgtest::object;
using svgtest::occurrences;
using svgtest::reopened;
using svgtest::svgWith;

namespace {

const std::string kTwoSharers = svgWith(R"svg(<defs>
  <pattern id="dots" width="10" height="10" patternUnits="userSpaceOnUse"><circle cx="5" cy="5" r="2"/></pattern>
  <pattern id="stripes" width="4" height="4" patternUnits="userSpaceOnUse"><rect width="2" height="4"/></pattern>
</defs>
<rect id="left" x="0" y="0" width="40" height="40" fill="url(#dots)" data-note="kept"/>
<rect id="right" x="50" y="0" width="40" height="40" fill="url(#dots)"/>)svg");

void expectSameBits(float actual, float expected, const char* field) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(actual), std::bit_cast<std::uint32_t>(expected))
        << field << ": " << formatFloat(actual) << " instead of " << formatFloat(expected);
}

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
    SvgArtwork artwork = readSvgText(text);
    std::string saved;
    reopened(artwork, &saved);
    EXPECT_EQ(saved, text);
}

TEST(SvgRoundTrip, AttributeTextSurvivesWhatPugixmlRewrites) {
    // Line breaks in an attribute come out as character references, single
    // quotes as double: the same text to any XML reader.
    SvgArtwork artwork = readSvgText(svgWith("<path id='p' d=\"M 0,0\n  L 5,5\" data-x='a&quot;b'/>"));
    std::string saved;
    SvgArtwork again = reopened(artwork, &saved);
    EXPECT_STREQ(again.element(again.document.findByName("p")).attribute("d").value(), "M 0,0\n  L 5,5");
    EXPECT_STREQ(again.element(again.document.findByName("p")).attribute("data-x").value(), "a\"b");
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
    EXPECT_NE(saved.find(R"svg(<rect id="exact" width="1" height="1" fill="#ff0000"/>)svg"), std::string::npos)
        << "a colour SVG shows exactly needs nothing of ours\n"
        << saved;
    EXPECT_NE(saved.find(R"svg(<rect id="gray" width="1" height="1" fill="#4d4d4d" shunt:fill="1,0,0.3,0,0,0"/>)svg"),
              std::string::npos)
        << saved;
}

TEST(SvgRoundTrip, ValuesKeptBesideTheSvgGiveWayToAnEditMadeElsewhere) {
    // The file says gray 0.3 (#4d4d4d), but its fill was since made red by hand.
    SvgArtwork artwork = readSvgText(svgWith(R"svg(<rect id="r" fill="red" shunt:fill="1,0,0.3,0,0,0" width="1" height="1"/>
<rect id="k" fill="#4d4d4d" shunt:fill="1,0,0.3,0,0,0" width="1" height="1"/>)svg"));
    EXPECT_EQ(object(artwork, "r").style.fillColorKind, kThreeColor);
    EXPECT_EQ(object(artwork, "r").style.fillColor[0], 1.0f);
    EXPECT_EQ(object(artwork, "k").style.fillColorKind, kGrayColor);
    EXPECT_EQ(object(artwork, "k").style.fillColor[0], 0.3f);
}

TEST(SvgRoundTrip, UnmodelledAttributesOfAChangedPathSurvive) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    object(artwork, "left").style.transform.ty = -8;
    std::string saved;
    reopened(artwork, &saved);
    EXPECT_NE(saved.find(R"svg(<rect id="left" x="0" y="0" width="40" height="40" fill="url(#left-fill)" data-note="kept"/>)svg"),
              std::string::npos)
        << saved;
    EXPECT_NE(saved.find(R"svg(<rect id="right" x="50" y="0" width="40" height="40" fill="url(#dots)"/>)svg"),
              std::string::npos)
        << "the unchanged path keeps every attribute as it was\n"
        << saved;
}

TEST(SvgRoundTrip, PathsSharingAPatternKeepTheirOwnMatrices) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    object(artwork, "left").style.transform.ty = -8;
    object(artwork, "right").style.transform.tx = 3;
    std::string saved;
    SvgArtwork again = reopened(artwork, &saved);
    EXPECT_EQ(object(again, "left").style.transform.ty, -8.0f);
    EXPECT_EQ(object(again, "left").style.transform.tx, 0.0f);
    EXPECT_EQ(object(again, "right").style.transform.tx, 3.0f);
    EXPECT_EQ(object(again, "right").style.transform.ty, 0.0f);
    EXPECT_EQ(object(again, "left").style.pattern, simhost::patternHandle(0));
    EXPECT_EQ(object(again, "right").style.pattern, simhost::patternHandle(0));
    EXPECT_EQ(again.document.patternCount(), 2u) << "patterns of our own are not the document's patterns";
    EXPECT_EQ(occurrences(saved, R"svg(href="#dots")svg"), 2u) << saved;
    EXPECT_NE(saved.find(R"svg(<pattern id="left-fill" href="#dots" patternTransform="matrix(1,0,0,1,0,8)" shunt:for="left"/>)svg"),
              std::string::npos)
        << saved;
}

TEST(SvgRoundTrip, AHostMoveDownIsAnSvgMoveDown) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    AIRealMatrix& matrix = object(artwork, "left").style.transform;
    matrix.ty += -8;  // the palette's "down" in the host's upward-growing coordinates
    std::string saved;
    reopened(artwork, &saved);
    EXPECT_NE(saved.find(R"svg(patternTransform="matrix(1,0,0,1,0,8)")svg"), std::string::npos) << saved;
}

TEST(SvgRoundTrip, SavingAgainReplacesOurPatternInsteadOfNestingIt) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    object(artwork, "left").style.transform.ty = -8;
    SvgArtwork second = reopened(artwork);
    object(second, "left").style.transform.ty = -16;
    std::string saved;
    SvgArtwork third = reopened(second, &saved);
    EXPECT_EQ(object(third, "left").style.transform.ty, -16.0f);
    EXPECT_EQ(occurrences(saved, "<pattern"), 3u) << saved;
    EXPECT_EQ(occurrences(saved, "shunt:for"), 1u) << saved;
    EXPECT_NE(saved.find(R"svg(<pattern id="left-fill" href="#dots" patternTransform="matrix(1,0,0,1,0,16)")svg"),
              std::string::npos)
        << saved;
}

TEST(SvgRoundTrip, PatternFieldsAreWrittenOnlyWhenTheyDifferFromTheDefaults) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    object(artwork, "left").style.transform.tx = 1;
    object(artwork, "right").style.shiftDist = 5;
    object(artwork, "right").style.shiftAngle = 45;
    std::string saved;
    SvgArtwork again = reopened(artwork, &saved);
    EXPECT_EQ(occurrences(saved, "shunt:shift=\"5,45\""), 1u) << saved;
    for (const char* field : {"shunt:scale", "shunt:rotate", "shunt:reflect", "shunt:shear"}) {
        EXPECT_EQ(saved.find(field), std::string::npos) << field;
    }
    EXPECT_EQ(object(again, "right").style.shiftAngle, 45.0f);
}

TEST(SvgRoundTrip, APathThatStopsShowingOurPatternTakesItAway) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    object(artwork, "left").style.transform.tx = 1;
    SvgArtwork again = reopened(artwork);
    object(again, "left").style.fillPaint = 0;
    std::string saved;
    reopened(again, &saved);
    EXPECT_EQ(saved.find("left-fill"), std::string::npos) << saved;
    EXPECT_NE(saved.find(R"svg(fill="none")svg"), std::string::npos);
}

TEST(SvgRoundTrip, APatternOfOursThatTwoPathsShowIsLeftToTheOther) {
    SvgArtwork artwork = readSvgText(svgWith(R"svg(<defs><pattern id="dots" width="4" height="4"/>
<pattern id="ours" href="#dots" patternTransform="translate(0,4)" shunt:for="a"/></defs>
<rect id="a" fill="url(#ours)" width="1" height="1"/><rect id="b" fill="url(#ours)" width="1" height="1"/>)svg"));
    EXPECT_EQ(object(artwork, "b").style.transform.ty, -4.0f);
    object(artwork, "a").style.transform.ty = 0;
    std::string saved;
    SvgArtwork again = reopened(artwork, &saved);
    EXPECT_EQ(object(again, "a").style.transform.ty, 0.0f);
    EXPECT_EQ(object(again, "b").style.transform.ty, -4.0f);
    EXPECT_NE(saved.find(R"svg(<pattern id="ours" href="#dots" patternTransform="translate(0,4)" shunt:for="a"/>)svg"),
              std::string::npos)
        << saved;
}

TEST(SvgRoundTrip, PropertiesAreWrittenWhereTheElementKeepsThem) {
    SvgArtwork artwork = readSvgText(svgWith(
        R"svg(<path id="p" style="stroke:#000 ; stroke-dashoffset: 2;stroke-dasharray:4,2" stroke-dashoffset="9" d="M0 0h9"/>)svg"));
    object(artwork, "p").style.dashOffset = -116;
    std::string saved;
    SvgArtwork again = reopened(artwork, &saved);
    EXPECT_NE(saved.find(R"svg(style="stroke:#000 ; stroke-dashoffset: -116;stroke-dasharray:4,2" stroke-dashoffset="9")svg"),
              std::string::npos)
        << saved;
    EXPECT_EQ(object(again, "p").style.dashOffset, -116.0f);
}

TEST(SvgRoundTrip, MatricesOfPlacedRasterAndForeignArtAreWrittenAsTransforms) {
    SvgArtwork artwork = readSvgText(svgWith(R"svg(<image id="placed" href="a.png" width="4" height="4" transform="translate(1,2)"/>
<image id="raster" href="data:image/png;base64,AAAA" width="4" height="4"/>
<foreignObject id="foreign" width="4" height="4"/>)svg"));
    object(artwork, "placed").matrix = {1, 0, 0, 1, 0, 0};
    object(artwork, "raster").matrix = {2, 0, 0, 2, 5, -8};
    object(artwork, "foreign").matrix = {0.5f, 0.25f, -0.25f, 0.5f, -0.0f, 1e-7f};
    std::string saved;
    SvgArtwork again = reopened(artwork, &saved);
    EXPECT_NE(saved.find(R"svg(transform="matrix(2,0,0,2,5,8)")svg"), std::string::npos) << saved;
    for (const char* name : {"placed", "raster", "foreign"}) {
        const AIRealMatrix& m = object(again, name).matrix;
        const AIRealMatrix& e = object(artwork, name).matrix;
        for (auto [a, b] : {std::pair{m.a, e.a}, {m.b, e.b}, {m.c, e.c}, {m.d, e.d}, {m.tx, e.tx}, {m.ty, e.ty}}) {
            expectSameBits(a, b, name);
        }
    }
}

TEST(SvgRoundTrip, RemovedObjectsLoseTheirElements) {
    SvgArtwork artwork = readSvgText(svgWith(R"svg(<g id="g"><rect id="in" width="1" height="1"/></g>
<rect id="out" width="1" height="1"/><rect id="stays" width="1" height="1"/>)svg"));
    artwork.document.remove(artwork.document.findByName("g"));
    artwork.document.remove(artwork.document.findByName("out"));
    std::string saved;
    SvgArtwork again = reopened(artwork, &saved);
    EXPECT_EQ(saved.find("id=\"in\""), std::string::npos);
    EXPECT_EQ(saved.find("id=\"out\""), std::string::npos);
    EXPECT_EQ(again.document.documentOrder().size(), 1u);
}

TEST(SvgRoundTrip, GeneratedNamesAreNotWrittenButRenamesAre) {
    SvgArtwork artwork = readSvgText(svgWith(R"svg(<rect width="1" height="1"/><rect width="2" height="2"/>)svg"));
    const auto order = artwork.document.documentOrder();
    artwork.document.art(order[0]).style.dashOffset = 1;
    artwork.document.art(order[1]).name = "named";
    std::string saved;
    reopened(artwork, &saved);
    EXPECT_NE(saved.find(R"svg(<rect width="1" height="1" stroke-dashoffset="1"/>)svg"), std::string::npos) << saved;
    EXPECT_NE(saved.find(R"svg(<rect width="2" height="2" id="named"/>)svg"), std::string::npos) << saved;
}

TEST(SvgRoundTrip, TheNamespaceIsBoundWhenTheFileDidNotBindIt) {
    SvgArtwork artwork = readSvgText(R"svg(<svg xmlns="http://www.w3.org/2000/svg"><defs><pattern id="p" width="2" height="2"/></defs>
<rect id="r" fill="url(#p)" width="1" height="1"/></svg>)svg");
    object(artwork, "r").style.transform.tx = 2;
    std::string saved;
    SvgArtwork again = reopened(artwork, &saved);
    EXPECT_NE(saved.find(R"svg(<svg xmlns="http://www.w3.org/2000/svg" xmlns:shunt="urn:shunt-palette:svg">)svg"),
              std::string::npos)
        << saved;
    EXPECT_EQ(object(again, "r").style.transform.tx, 2.0f);
}

TEST(SvgRoundTripRefusals, AStyleThatCannotBeWrittenChangesNothing) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    object(artwork, "right").style.transform.ty = -8;
    object(artwork, "left").style.pattern = simhost::patternHandle(7);
    const std::string before = [&] {
        std::ostringstream out;
        artwork.xml->save(out, "", pugi::format_raw | pugi::format_no_declaration);
        return out.str();
    }();
    try {
        writeSvgText(artwork);
        FAIL() << "saved a fill that refers to no pattern";
    } catch (const SvgError& error) {
        EXPECT_NE(error.message().find("object left"), std::string::npos) << error.what();
        EXPECT_NE(error.message().find("pattern this document does not have"), std::string::npos) << error.what();
    }
    std::ostringstream after;
    artwork.xml->save(after, "", pugi::format_raw | pugi::format_no_declaration);
    EXPECT_EQ(after.str(), before);
}

TEST(SvgRoundTripRefusals, NumbersSvgCannotHoldAreRefused) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    object(artwork, "left").style.transform.tx = std::numeric_limits<float>::infinity();
    EXPECT_THROW(writeSvgText(artwork), SvgError);
    object(artwork, "left").style.transform.tx = 0;
    object(artwork, "left").style.dashCount = 11;
    EXPECT_THROW(writeSvgText(artwork), SvgError);
}

TEST(SvgRoundTripRefusals, AGradientTheHostDidNotReadCannotBeMade) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    object(artwork, "left").style.fillColorKind = kGradient;
    EXPECT_THROW(writeSvgText(artwork), SvgError);
}
