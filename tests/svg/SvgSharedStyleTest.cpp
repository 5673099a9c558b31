// Paths that read the same style texts share the work of reading them; what
// each path gets must still be its own group's style and its own values. And
// a save looks only at objects the document handed out for writing, added or
// removed since reading.
#include <gtest/gtest.h>

#include "SvgTestSupport.h"
#include "svg/SvgDocument.h"

using namespace shunthost::svg;
using svgtest::object;
using svgtest::readBody;

TEST(SvgSharedStyle, TheSameTextsInAnotherGroupInheritThatGroupsStyle) {
    SvgArtwork artwork =
        readBody(R"svg(<g stroke="#ff0000" stroke-width="3"><path id="a" d="M0 0h1" fill="#00ff00"/></g>
<g stroke="#0000ff" stroke-width="5"><path id="b" d="M0 0h1" fill="#00ff00"/></g>
<path id="c" d="M0 0h1" fill="#00ff00"/>)svg");
    const AIPathStyle& a = object(artwork, "a").style;
    const AIPathStyle& b = object(artwork, "b").style;
    const AIPathStyle& c = object(artwork, "c").style;
    EXPECT_EQ(a.strokeWidth, 3.0f);
    EXPECT_EQ(a.strokeColor[0], 1.0f);
    EXPECT_EQ(b.strokeWidth, 5.0f);
    EXPECT_EQ(b.strokeColor[2], 1.0f);
    EXPECT_EQ(c.strokePaint, 0);
    for (const AIPathStyle* style : {&a, &b, &c}) {
        EXPECT_EQ(style->fillColor[1], 1.0f);
    }
}

TEST(SvgSharedStyle, APathDifferingOnlyInAnExactValueGetsItsOwnStyle) {
    SvgArtwork artwork = readBody(R"svg(<path id="a" d="M0 0h1" fill="#808080"/>
<path id="b" d="M0 0h1" fill="#808080" shunt:fill="1,0,0.5,0,0,0"/>
<path id="c" d="M0 0h1" fill="#808080"/>
<path id="d" d="M0 0h1" fill="#808080" stroke-linecap="round"/>)svg");
    EXPECT_EQ(object(artwork, "a").style.fillColorKind, kThreeColor);
    EXPECT_EQ(object(artwork, "b").style.fillColorKind, kGrayColor);
    EXPECT_EQ(object(artwork, "b").style.fillColor[0], 0.5f);
    EXPECT_EQ(object(artwork, "c").style.fillColorKind, kThreeColor);
    EXPECT_EQ(object(artwork, "d").style.lineCap, 1);
    EXPECT_EQ(object(artwork, "a").style.lineCap, 0);
}

TEST(SvgSharedStyle, PathsGivingManyPropertiesDifferingInTheLastOneEachKeepTheirOwn) {
    const std::string many =
        R"svg(d="M0 0h1" fill="#00ff00" fill-opacity="0.5" fill-rule="evenodd" stroke="#000"
stroke-width="2" stroke-opacity="0.5" stroke-miterlimit="3" stroke-linecap="round" stroke-linejoin="bevel")svg";
    SvgArtwork artwork = readBody("<path id=\"a\" " + many + " stroke-dashoffset=\"1\"/>\n<path id=\"b\" " +
                                  many + " stroke-dashoffset=\"2\"/>");
    EXPECT_EQ(object(artwork, "a").style.dashOffset, 1.0f);
    EXPECT_EQ(object(artwork, "b").style.dashOffset, 2.0f);
    EXPECT_EQ(object(artwork, "b").style.lineJoin, 2);
}

TEST(SvgSharedStyle, AnEmptyValueIsNotTakenForAMissingOne) {
    // The first path has no dashes; the second gives an empty dash array,
    // which is no dash array, so reading must still refuse it.
    EXPECT_THROW(readBody(R"svg(<path id="a" d="M0 0h1"/>
<path id="b" d="M0 0h1" stroke-dasharray=""/>)svg"),
                 SvgError);
}

TEST(SvgSharedStyle, ManyPathsSharingAFewStylesEachKeepTheirOwn) {
    std::string body;
    for (int i = 0; i < 3000; ++i) {
        body += "<path id=\"p" + std::to_string(i) +
                "\" d=\"M0 0h1\" stroke=\"#000\" stroke-dasharray=\"4,2\" " + "stroke-dashoffset=\"" +
                std::to_string(i % 7) + "\"/>\n";
    }
    SvgArtwork artwork = readBody(body);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(object(artwork, "p" + std::to_string(i)).style.dashOffset, static_cast<float>(i % 7)) << i;
    }
}

TEST(SvgChangeTracking, ReadingLeavesEveryObjectUnchanged) {
    SvgArtwork artwork = readBody(R"svg(<g id="g"><rect id="r" width="1" height="1"/></g>)svg");
    EXPECT_TRUE(artwork.document.objectsThatMayHaveChanged().empty());
    const SvgArtwork& reading = artwork;
    EXPECT_EQ(reading.document.art(1).name, "r");
    EXPECT_TRUE(artwork.document.objectsThatMayHaveChanged().empty());
    artwork.document.art(1).style.dashOffset = 2;
    EXPECT_EQ(artwork.document.objectsThatMayHaveChanged(), std::vector<simhost::ArtId>{1});
}

TEST(SvgChangeTracking, AnObjectAddedAfterReadingIsRefusedAtSaving) {
    SvgArtwork artwork = readBody(R"svg(<rect id="r" width="1" height="1"/>)svg");
    simhost::ArtObject added;
    added.type = kPathArt;
    added.name = "new";
    added.style = simhost::defaultPathStyle();
    artwork.document.add(std::move(added));
    try {
        writeSvgText(artwork);
        ADD_FAILURE() << "saved an object that has no element";
    } catch (const SvgError& error) {
        EXPECT_NE(std::string(error.what()).find("cannot save object new"), std::string::npos)
            << error.what();
    }
}

TEST(SvgChangeTracking, AChangeThroughAReferenceKeptAcrossASaveIsSavedNextTime) {
    SvgArtwork artwork = readBody(R"svg(<rect id="r" width="1" height="1"/>)svg");
    simhost::ArtObject& kept = object(artwork, "r");
    writeSvgText(artwork);
    kept.style.dashOffset = 3;
    std::string saved;
    SvgArtwork again = svgtest::reopened(artwork, &saved);
    EXPECT_EQ(object(again, "r").style.dashOffset, 3.0f) << saved;
}

TEST(SvgChangeTracking, AnIdARenameWritesIsNotGivenToAPatternMadeLaterInTheSameSave) {
    SvgArtwork artwork = readBody(R"svg(<defs><pattern id="dots" width="4" height="4"/></defs>
<rect id="first" fill="url(#dots)" width="1" height="1"/>
<rect id="renamed" width="1" height="1"/>
<rect id="last" fill="url(#dots)" width="1" height="1"/>)svg");
    // The first pattern made notes the file's ids; the rename comes after it
    // and takes the id the last path's pattern would be given.
    object(artwork, "first").style.transform.tx = 1;
    object(artwork, "renamed").name = "last-fill";
    object(artwork, "last").style.transform.tx = 2;
    std::string saved;
    SvgArtwork again = svgtest::reopened(artwork, &saved);
    EXPECT_EQ(svgtest::occurrences(saved, R"svg(id="last-fill")svg"), 1u) << saved;
    EXPECT_EQ(object(again, "last").style.transform.tx, 2.0f) << saved;
    EXPECT_EQ(object(again, "last-fill").type, kPathArt);
}
