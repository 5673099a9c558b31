// What a save writes: a pattern of its own for each changed pattern fill,
// changed properties where the element keeps them, and nothing else.
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

TEST(SvgSave, UnmodelledAttributesOfAChangedPathSurvive) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    object(artwork, "left").style.transform.ty = -8;
    std::string saved;
    reopened(artwork, &saved);
    EXPECT_NE(
        saved.find(
            R"svg(<rect id="left" x="0" y="0" width="40" height="40" fill="url(#left-fill)" data-note="kept"/>)svg"),
        std::string::npos)
        << saved;
    EXPECT_NE(saved.find(R"svg(<rect id="right" x="50" y="0" width="40" height="40" fill="url(#dots)"/>)svg"),
              std::string::npos)
        << "the unchanged path keeps every attribute as it was\n"
        << saved;
}

TEST(SvgSave, PathsSharingAPatternKeepTheirOwnMatrices) {
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
    EXPECT_NE(
        saved.find(
            R"svg(<pattern id="left-fill" xlink:href="#dots" patternTransform="matrix(1,0,0,1,0,8)" shunt:for="left"/>)svg"),
        std::string::npos)
        << saved;
}

TEST(SvgSave, AHostMoveDownIsAnSvgMoveDown) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    AIRealMatrix& matrix = object(artwork, "left").style.transform;
    matrix.ty += -8;  // the palette's "down" in the host's upward-growing coordinates
    std::string saved;
    reopened(artwork, &saved);
    EXPECT_NE(saved.find(R"svg(patternTransform="matrix(1,0,0,1,0,8)")svg"), std::string::npos) << saved;
}

TEST(SvgSave, SavingAgainReplacesOurPatternInsteadOfNestingIt) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    object(artwork, "left").style.transform.ty = -8;
    SvgArtwork second = reopened(artwork);
    object(second, "left").style.transform.ty = -16;
    std::string saved;
    SvgArtwork third = reopened(second, &saved);
    EXPECT_EQ(object(third, "left").style.transform.ty, -16.0f);
    EXPECT_EQ(occurrences(saved, "<pattern"), 3u) << saved;
    EXPECT_EQ(occurrences(saved, "shunt:for"), 1u) << saved;
    EXPECT_NE(
        saved.find(
            R"svg(<pattern id="left-fill" xlink:href="#dots" patternTransform="matrix(1,0,0,1,0,16)")svg"),
        std::string::npos)
        << saved;

    // Saved again and again from the same document, as the page does after each click.
    for (int click = 1; click <= 500; ++click) {
        object(third, "left").style.transform.ty = -16.0f - static_cast<float>(click);
        saved = writeSvgText(third);
    }
    EXPECT_EQ(occurrences(saved, "<pattern"), 3u);
    EXPECT_LT(third.stylesRead.size(), 100u) << "styles no object holds any more are let go";
    SvgArtwork fourth = reopened(third);
    EXPECT_EQ(object(fourth, "left").style.transform.ty, -516.0f);
}

TEST(SvgSave, PatternFieldsAreWrittenOnlyWhenTheyDifferFromTheDefaults) {
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

TEST(SvgSave, APathThatStopsShowingOurPatternTakesItAway) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    object(artwork, "left").style.transform.tx = 1;
    SvgArtwork again = reopened(artwork);
    object(again, "left").style.fillPaint = 0;
    std::string saved;
    reopened(again, &saved);
    EXPECT_EQ(saved.find("left-fill"), std::string::npos) << saved;
    EXPECT_NE(saved.find(R"svg(fill="none")svg"), std::string::npos);
}

TEST(SvgSave, APatternOfOursThatTwoPathsShowIsLeftToTheOther) {
    SvgArtwork artwork = readSvgText(svgWith(R"svg(<defs><pattern id="dots" width="4" height="4"/>
<pattern id="ours" href="#dots" patternTransform="translate(0,4)" shunt:for="a"/></defs>
<rect id="a" fill="url(#ours)" width="1" height="1"/><rect id="b" fill="url(#ours)" width="1" height="1"/>)svg"));
    EXPECT_EQ(object(artwork, "b").style.transform.ty, -4.0f);
    object(artwork, "a").style.transform.ty = 0;
    std::string saved;
    SvgArtwork again = reopened(artwork, &saved);
    EXPECT_EQ(object(again, "a").style.transform.ty, 0.0f);
    EXPECT_EQ(object(again, "b").style.transform.ty, -4.0f);
    EXPECT_NE(
        saved.find(
            R"svg(<pattern id="ours" href="#dots" patternTransform="translate(0,4)" shunt:for="a"/>)svg"),
        std::string::npos)
        << saved;
}

TEST(SvgSave, PropertiesAreWrittenWhereTheElementKeepsThem) {
    SvgArtwork artwork = readSvgText(svgWith(
        R"svg(<path id="p" style="stroke:#000 ; stroke-dashoffset: 2;stroke-dasharray:4,2" stroke-dashoffset="9" d="M0 0h9"/>)svg"));
    object(artwork, "p").style.dashOffset = -116;
    std::string saved;
    SvgArtwork again = reopened(artwork, &saved);
    EXPECT_NE(
        saved.find(
            R"svg(style="stroke:#000 ; stroke-dashoffset: -116;stroke-dasharray:4,2" stroke-dashoffset="9")svg"),
        std::string::npos)
        << saved;
    EXPECT_EQ(object(again, "p").style.dashOffset, -116.0f);
}

TEST(SvgSave, MatricesOfPlacedRasterAndForeignArtAreWrittenAsTransforms) {
    SvgArtwork artwork = readSvgText(
        svgWith(R"svg(<image id="placed" href="a.png" width="4" height="4" transform="translate(1,2)"/>
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
        for (auto [a, b] :
             {std::pair{m.a, e.a}, {m.b, e.b}, {m.c, e.c}, {m.d, e.d}, {m.tx, e.tx}, {m.ty, e.ty}}) {
            expectSameBits(a, b, name);
        }
    }
}

TEST(SvgSave, RemovedObjectsLoseTheirElements) {
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

TEST(SvgSave, GeneratedNamesAreNotWrittenButRenamesAre) {
    SvgArtwork artwork =
        readSvgText(svgWith(R"svg(<rect width="1" height="1"/><rect width="2" height="2"/>)svg"));
    const auto order = artwork.document.documentOrder();
    artwork.document.art(order[0]).style.dashOffset = 1;
    artwork.document.art(order[1]).name = "named";
    std::string saved;
    reopened(artwork, &saved);
    EXPECT_NE(saved.find(R"svg(<rect width="1" height="1" stroke-dashoffset="1"/>)svg"), std::string::npos)
        << saved;
    EXPECT_NE(saved.find(R"svg(<rect width="2" height="2" id="named"/>)svg"), std::string::npos) << saved;
}

// A pattern made on saving takes an id no element has, wherever that element
// is and however its id is written; an id that a save took away is free again
// in the same artwork.
TEST(SvgSave, AMadePatternTakesAnIdNoElementHas) {
    const struct {
        const char* where;
        std::string rootId;
        std::string body;
        const char* made;
    } kCases[] = {
        {"free", "", "", "left-fill"},
        {"the root", R"svg( id="left-fill")svg", "", "left-fill-2"},
        {"another object", "", R"svg(<rect id="left-fill" width="1" height="1"/>)svg", "left-fill-2"},
        {"defs", "", R"svg(<defs><g id="left-fill"/></defs>)svg", "left-fill-2"},
        {"a shape inside a pattern", "",
         R"svg(<pattern id="tile"><circle id="left-fill" r="1"/></pattern>)svg", "left-fill-2"},
        {"a foreign element", "", R"svg(<metadata><x:note xmlns:x="urn:x" id="left-fill"/></metadata>)svg",
         "left-fill-2"},
        {"a group's description", "", R"svg(<g><desc id="left-fill">d</desc></g>)svg", "left-fill-2"},
        {"a shape's title", "",
         R"svg(<rect id="r" width="1" height="1"><title id="left-fill">t</title></rect>)svg", "left-fill-2"},
        {"a text's span", "", R"svg(<text id="t"><tspan id="left-fill">a</tspan></text>)svg", "left-fill-2"},
        {"foreign content", "",
         R"svg(<foreignObject id="f" width="1" height="1"><div xmlns="http://www.w3.org/1999/xhtml" id="left-fill"/></foreignObject>)svg",
         "left-fill-2"},
        {"a character reference", "", R"svg(<g id="left&#45;fill"/>)svg", "left-fill-2"},
        {"two taken", "", R"svg(<g id="left-fill"/><g id="left-fill-2"/>)svg", "left-fill-3"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.where);
        std::string text = svgWith(R"svg(<defs><pattern id="dots" width="4" height="4"/></defs>
<rect id="left" width="4" height="4" fill="url(#dots)"/>)svg" +
                                   c.body);
        text.insert(4, c.rootId);
        SvgArtwork artwork = readSvgText(text);
        object(artwork, "left").style.transform.ty = -8;
        const std::string saved = writeSvgText(artwork);
        EXPECT_NE(saved.find("<pattern id=\"" + std::string(c.made) + "\""), std::string::npos) << saved;
        EXPECT_NE(saved.find("fill=\"url(#" + std::string(c.made) + ")\""), std::string::npos) << saved;
    }

    // Ids freed by a save: the pattern made, and a removed object's.
    SvgArtwork artwork = readSvgText(svgWith(R"svg(<defs><pattern id="dots" width="4" height="4"/></defs>
<rect id="left" width="4" height="4" fill="url(#dots)"/><g id="right-fill"><rect width="1" height="1"/></g>
<rect id="right" width="4" height="4" fill="url(#dots)"/>)svg"));
    object(artwork, "left").style.transform.ty = -8;
    EXPECT_NE(writeSvgText(artwork).find(R"svg(<pattern id="left-fill")svg"), std::string::npos);
    object(artwork, "left").style.fillPaint = 0;
    artwork.document.remove(artwork.document.findByName("right-fill"));
    writeSvgText(artwork);
    object(artwork, "left").style.fillPaint = 1;
    object(artwork, "right").style.transform.ty = -8;
    const std::string saved = writeSvgText(artwork);
    EXPECT_NE(saved.find(R"svg(<pattern id="left-fill")svg"), std::string::npos) << saved;
    EXPECT_NE(saved.find(R"svg(<pattern id="right-fill")svg"), std::string::npos) << saved;
}

TEST(SvgSave, TheNamespacesAreBoundWhenTheFileDidNotBindThem) {
    SvgArtwork artwork = readSvgText(
        R"svg(<svg xmlns="http://www.w3.org/2000/svg"><defs><pattern id="p" width="2" height="2"/></defs>
<rect id="r" fill="url(#p)" width="1" height="1"/></svg>)svg");
    object(artwork, "r").style.transform.tx = 2;
    std::string saved;
    SvgArtwork again = reopened(artwork, &saved);
    EXPECT_NE(
        saved.find(R"svg(<svg xmlns="http://www.w3.org/2000/svg" xmlns:shunt="urn:shunt-palette:svg" )svg"
                   R"svg(xmlns:xlink="http://www.w3.org/1999/xlink">)svg"),
        std::string::npos)
        << saved;
    EXPECT_EQ(object(again, "r").style.transform.tx, 2.0f);
}

// The pattern made for a path refers to the shared one by xlink:href, which
// every editor follows (one draws nothing for a plain href, and its clean-up
// of unused definitions deletes the tile): under the prefix the file binds to
// XLink, or a free one, and beside a plain href already there.
TEST(SvgSave, OurPatternsReferToTheSharedOneByXlinkHref) {
    const std::string defs = R"svg(<defs><pattern id="p" width="2" height="2"/></defs>)svg";
    const struct {
        const char* root;
        const char* ownPattern;  // one made by an earlier save, or none
        const char* expected;
    } kCases[] = {
        {R"svg(<svg xmlns="http://www.w3.org/2000/svg" xmlns:l="http://www.w3.org/1999/xlink">)svg", "",
         R"svg(<pattern id="r-fill" l:href="#p" )svg"},
        {R"svg(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="urn:other">)svg", "",
         R"svg(<pattern id="r-fill" xlink2:href="#p" )svg"},
        {R"svg(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" )svg"
         R"svg(xmlns:shunt="urn:shunt-palette:svg">)svg",
         R"svg(<pattern id="own" xlink:href="#p" shunt:for="r"/>)svg",
         R"svg(<pattern id="own" xlink:href="#p" shunt:for="r" patternTransform="matrix(1,0,0,1,2,0)"/>)svg"},
        {R"svg(<svg xmlns="http://www.w3.org/2000/svg" xmlns:shunt="urn:shunt-palette:svg">)svg",
         R"svg(<pattern id="own" href="#p" shunt:for="r"/>)svg",
         R"svg(<pattern id="own" href="#p" shunt:for="r" xlink:href="#p" patternTransform="matrix(1,0,0,1,2,0)"/>)svg"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.root);
        const std::string fill = *c.ownPattern != 0 ? "url(#own)" : "url(#p)";
        SvgArtwork artwork =
            readSvgText(std::string(c.root) + defs + c.ownPattern + "<rect id=\"r\" fill=\"" + fill +
                        "\" width=\"1\" height=\"1\"/></svg>");
        object(artwork, "r").style.transform.tx = 2;
        std::string saved;
        SvgArtwork again = reopened(artwork, &saved);
        EXPECT_NE(saved.find(c.expected), std::string::npos) << saved;
        EXPECT_EQ(object(again, "r").style.transform.tx, 2.0f);
        EXPECT_EQ(again.document.patternCount(), 1u);
    }
}

TEST(SvgSaveRefusals, AStyleThatCannotBeWrittenChangesNothing) {
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
        EXPECT_NE(error.message().find("pattern this document does not have"), std::string::npos)
            << error.what();
    }
    std::ostringstream after;
    artwork.xml->save(after, "", pugi::format_raw | pugi::format_no_declaration);
    EXPECT_EQ(after.str(), before);
}

TEST(SvgSaveRefusals, NumbersSvgCannotHoldAreRefused) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    object(artwork, "left").style.transform.tx = std::numeric_limits<float>::infinity();
    EXPECT_THROW(writeSvgText(artwork), SvgError);
    object(artwork, "left").style.transform.tx = 0;
    object(artwork, "left").style.dashCount = 11;
    EXPECT_THROW(writeSvgText(artwork), SvgError);
}

TEST(SvgSaveRefusals, AGradientTheHostDidNotReadCannotBeMade) {
    SvgArtwork artwork = readSvgText(kTwoSharers);
    object(artwork, "left").style.fillColorKind = kGradient;
    EXPECT_THROW(writeSvgText(artwork), SvgError);
}
