// The transcript's object lines.
#include <gtest/gtest.h>

#include "SvgTestSupport.h"
#include "svg/DocumentDump.h"
#include "svg/SvgDocument.h"

using namespace shunthost::svg;
using svgtest::object;
using svgtest::svgWith;

TEST(DocumentDump, ListsObjectsInDocumentOrderGroupsBeforeMembers) {
    SvgArtwork artwork = readSvgText(
        svgWith(R"svg(<defs><pattern id="p" width="4" height="4" patternTransform="translate(0,1)"/></defs>
<g id="group"><rect id="tiled" fill="url(#p)" stroke="#000" stroke-dasharray="4,2" stroke-dashoffset="-116" width="1" height="1"/>
<text id="label">x</text></g>
<image id="photo" href="photo.png" transform="translate(2,3)"/>
<image id="pixels" href="data:image/png;base64,AAAA"/>
<foreignObject id="foreign"/>
<path id="odd" shunt:art-type="mystery-path" fill="none" d="M0 0"/>)svg"));
    const std::vector<std::string> expected = {
        "object group type=1",
        "object tiled type=2 fillPaint=1 fillKind=2 patternMatrix=1,0,0,1,0,-1 shift=0,0 scale=100,100 "
        "rotate=0 "
        "reflect=0 reflectAngle=0 shear=0,0 strokePaint=1 dash=4,2 dashOffset=-116",
        "object label type=13",
        "object photo type=7 matrix=1,0,0,1,2,-3",
        "object pixels type=9 matrix=1,0,0,1,0,0",
        "object foreign type=12 matrix=1,0,0,1,0,0",
        "object odd type=8 fillPaint=0 fillKind=0 patternMatrix=1,0,0,1,0,0 shift=0,0 scale=100,100 rotate=0 "
        "reflect=0 reflectAngle=0 shear=0,0 strokePaint=0 dash=- dashOffset=0",
    };
    EXPECT_EQ(dumpObjects(artwork.document), expected);
}

TEST(DocumentDump, NumbersAreShortestFloatsAndBooleansZeroOrOne) {
    simhost::ArtObject path;
    path.type = kPathArt;
    path.name = "p";
    path.style = simhost::defaultPathStyle();
    path.style.fillPaint = 7;
    path.style.fillColorKind = kPattern;
    path.style.reflect = 2;
    path.style.transform = {1, 0, 0, 1, 0.015625f, -0.0f};
    path.style.shiftDist = 1e-7f;
    path.style.scaleH = 3.4028235e38f;
    path.style.dashCount = 1;
    path.style.dash[0] = 0.1f;
    EXPECT_EQ(dumpObject(path),
              "object p type=2 fillPaint=1 fillKind=2 patternMatrix=1,0,0,1,0.015625,-0 shift=1e-07,0 "
              "scale=3.4028235e+38,100 rotate=0 reflect=1 reflectAngle=0 shear=0,0 strokePaint=0 dash=0.1 "
              "dashOffset=0");
}

TEST(DocumentDump, RemovedObjectsAreNotListed) {
    SvgArtwork artwork =
        readSvgText(svgWith(R"svg(<g id="g"><text id="t">x</text></g><text id="u">y</text>)svg"));
    artwork.document.remove(artwork.document.findByName("g"));
    EXPECT_EQ(dumpObjects(artwork.document), std::vector<std::string>{"object u type=13"});
}
