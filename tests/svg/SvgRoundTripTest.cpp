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
