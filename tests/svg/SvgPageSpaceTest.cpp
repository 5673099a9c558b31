// Matrices in page coordinates: whatever transforms, groups and nested
// viewports stand between an element and the root, the host sees its pattern
// matrix or image matrix on the page, and a matrix the host sets is written
// back in the element's own terms so that it reads back the same.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "SvgTestSupport.h"
#include "svg/SvgDocument.h"
#include "svg/SvgImageSize.h"
#include "svg/SvgPageSpace.h"

using namespace shunthost::svg;
using svgtest::object;
using svgtest::readBody;
using svgtest::svgWith;

namespace {

// A document whose root start tag is on one line: saving keeps it as it is.
std::string page(const std::string& body) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\">\n" + body + "\n</svg>\n";
}

const std::string kTile =
    R"svg(<defs><pattern id="tile" width="10" height="10" patternUnits="userSpaceOnUse"><rect width="3" height="3"/></pattern></defs>
)svg";

void expectMatrix(const AIRealMatrix& actual, const AIRealMatrix& expected, const std::string& what) {
    const float got[] = {actual.a, actual.b, actual.c, actual.d, actual.tx, actual.ty};
    const float want[] = {expected.a, expected.b, expected.c, expected.d, expected.tx, expected.ty};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(got[i], want[i], 1e-4) << what << ", number " << i;
    }
}

AIRealMatrix moved(AIRealMatrix m, float dx, float dy) {
    m.tx += dx;
    m.ty += dy;
    return m;
}

// The page position (SVG's downward y) of the point (x, y) of the content
// that a host matrix maps.
std::pair<double, double> onPage(const AIRealMatrix& host, double x, double y) {
    // Host coordinates are SVG's with y turned over, in both spaces.
    const double hx = host.a * x + host.c * -y + host.tx;
    const double hy = host.b * x + host.d * -y + host.ty;
    return {hx, -hy};
}

struct PatternCase {
    const char* name;
    std::string body;   // one pattern-filled shape with the id "s"
    AIRealMatrix page;  // its pattern matrix in host page coordinates
};

}  // namespace

TEST(PageCoordinates, PatternMatricesAreOnThePageAndMovesWriteBackExactly) {
    const std::vector<PatternCase> cases = {
        {"plain", R"~(<rect id="s" width="9" height="9" fill="url(#tile)"/>)~", {1, 0, 0, 1, 0, 0}},
        {"translated group",
         R"~(<g transform="translate(5,7)"><rect id="s" width="9" height="9" fill="url(#tile)"/></g>)~",
         {1, 0, 0, 1, 5, -7}},
        {"mirrored shape",
         R"~(<rect id="s" width="9" height="9" transform="scale(-1,1)" fill="url(#tile)"/>)~",
         {-1, 0, 0, 1, 0, 0}},
        {"rotated shape",
         R"~(<rect id="s" width="9" height="9" transform="rotate(90)" fill="url(#tile)"/>)~",
         {0, -1, 1, 0, 0, 0}},
        {"rotated 20 degrees",
         R"~(<rect id="s" width="9" height="9" transform="rotate(20)" fill="url(#tile)"/>)~",
         {0.9396926f, -0.3420201f, 0.3420201f, 0.9396926f, 0, 0}},
        {"scaled group and patternTransform",
         R"~(<g transform="scale(2)"><rect id="s" width="9" height="9" fill="url(#moved)"/></g>
<defs><pattern id="moved" href="#tile" patternTransform="translate(1,2)"/></defs>)~",
         {2, 0, 0, 2, 2, -4}},
        {"nested viewport, meet",
         R"~(<svg x="100" y="100" width="50" height="100" viewBox="0 0 10 10" preserveAspectRatio="xMidYMax meet"><rect id="s" width="10" height="10" fill="url(#tile)"/></svg>)~",
         {5, 0, 0, 5, 100, -150}},
        {"nested viewport, written with character references",
         R"~(<svg x="&#49;00" y="100" width="50" height="100" viewBox="0&#x20;0 10 10" preserveAspectRatio="xMidYMax&#9;meet"><rect id="s" width="10" height="10" fill="url(#tile)"/></svg>)~",
         {5, 0, 0, 5, 100, -150}},
        {"nested viewport, none",
         R"~(<svg x="100" y="100" width="50" height="100" viewBox="0 0 10 10" preserveAspectRatio="none"><rect id="s" width="10" height="10" fill="url(#tile)"/></svg>)~",
         {5, 0, 0, 10, 100, -100}},
        {"nested viewport, slice, in percent",
         R"~(<svg x="10%" y="0" width="50%" height="100" viewBox="10 0 10 10" preserveAspectRatio="xMinYMin slice"><rect id="s" width="10" height="10" fill="url(#tile)"/></svg>)~",
         {10, 0, 0, 10, -90, 0}},
        {"a transform renderers cannot read is none",
         R"~(<g transform="spin(3)"><rect id="s" width="9" height="9" fill="url(#tile)"/></g>)~",
         {1, 0, 0, 1, 0, 0}},
    };
    for (const PatternCase& c : cases) {
        const std::string text = page(kTile + c.body);
        SvgArtwork artwork = readSvgText(text, "test.svg");
        expectMatrix(object(artwork, "s").style.transform, c.page, c.name);
        EXPECT_EQ(writeSvgText(artwork), text) << c.name << ": unchanged, saved as read";

        // "right" and "down" by 8 on the page: the host's translation alone changes.
        const AIRealMatrix target = moved(object(artwork, "s").style.transform, 8, -8);
        object(artwork, "s").style.transform = target;
        std::string saved;
        SvgArtwork again = svgtest::reopened(artwork, &saved);
        const AIRealMatrix back = object(again, "s").style.transform;
        EXPECT_TRUE(sameBits(back, target)) << c.name << ": " << saved;
        EXPECT_EQ(writeSvgText(again), saved) << c.name << ": saved again unchanged";
    }
}

TEST(PageCoordinates, ImagesAndForeignObjectsIncludeTheirPlacement) {
    // A 48 × 48 picture shown at 24 × 24 from (20, 30), turned by 25 degrees.
    const std::string picture =
        "data:image/svg+xml,%3Csvg xmlns='http://www.w3.org/2000/svg' width='48' height='48'/%3E";
    SvgArtwork artwork = readBody(R"~(<g transform="translate(100,0)">
<image id="photo" href=")~" + picture +
                                  R"~(" x="20" y="30" width="24" height="24" transform="rotate(25)"/>
<image id="wide" href=")~" + picture +
                                  R"~(" width="48" height="24" preserveAspectRatio="xMaxYMid"/>
<foreignObject id="note" x="3" y="4" width="10" height="10" transform="scale(2)"/></g>)~");
    const double cos25 = std::cos(25 * M_PI / 180), sin25 = std::sin(25 * M_PI / 180);
    expectMatrix(
        object(artwork, "photo").matrix,
        {static_cast<float>(cos25 / 2), static_cast<float>(-sin25 / 2), static_cast<float>(sin25 / 2),
         static_cast<float>(cos25 / 2), static_cast<float>(100 + 20 * cos25 - 30 * sin25),
         static_cast<float>(-(20 * sin25 + 30 * cos25))},
        "photo");
    // Fitted whole into 48 × 24 at the right: half size, from x = 24.
    expectMatrix(object(artwork, "wide").matrix, {0.5f, 0, 0, 0.5f, 124, 0}, "wide");
    expectMatrix(object(artwork, "note").matrix, {2, 0, 0, 2, 106, -8}, "note");

    // Reset as the palette does it: upright at its natural size, its corner
    // where it was on the page. Today's file keeps x, y, width and height.
    const auto corner = onPage(object(artwork, "photo").matrix, 0, 0);
    for (const char* name : {"photo", "wide", "note"}) {
        AIRealMatrix& m = object(artwork, name).matrix;
        m.a = 1, m.b = 0, m.c = 0, m.d = 1;
    }
    std::string saved;
    SvgArtwork again = svgtest::reopened(artwork, &saved);
    for (const char* name : {"photo", "wide", "note"}) {
        EXPECT_TRUE(sameBits(object(again, name).matrix, object(artwork, name).matrix)) << name << "\n"
                                                                                        << saved;
    }
    const auto after = onPage(object(again, "photo").matrix, 0, 0);
    EXPECT_NEAR(after.first, corner.first, 1e-3);
    EXPECT_NEAR(after.second, corner.second, 1e-3);
    EXPECT_NE(saved.find(R"~(x="20" y="30" width="24" height="24")~"), std::string::npos) << saved;
}

TEST(PageCoordinates, AnElementSquashedFlatIsReadButItsMatrixIsNotWritten) {
    SvgArtwork artwork = readBody(
        kTile +
        R"~(<g transform="scale(0)"><rect id="s" width="9" height="9" fill="url(#tile)" stroke="#000" stroke-dasharray="2"/>
<image id="i" href="a.png" width="4" height="4"/></g>)~");
    EXPECT_TRUE(sameBits(object(artwork, "s").style.transform, AIRealMatrix{0, 0, 0, 0, 0, 0}));
    // What does not touch the matrix is saved.
    object(artwork, "s").style.dashOffset = 1;
    EXPECT_NE(writeSvgText(artwork).find("stroke-dashoffset=\"1\""), std::string::npos);
    for (const char* name : {"s", "i"}) {
        SvgArtwork squashed =
            readBody(kTile + R"~(<g transform="scale(0)"><rect id="s" width="9" height="9" fill="url(#tile)"/>
<image id="i" href="a.png" width="4" height="4"/></g>)~");
        AIRealMatrix& m =
            std::string(name) == "s" ? object(squashed, name).style.transform : object(squashed, name).matrix;
        m = {1, 0, 0, 1, 8, 0};
        try {
            writeSvgText(squashed);
            ADD_FAILURE() << name << ": saved";
        } catch (const SvgError& error) {
            EXPECT_EQ(std::string(error.message()).rfind(std::string("cannot save object ") + name + ": ", 0),
                      0u)
                << error.message();
            EXPECT_NE(std::string(error.message()).find("singular"), std::string::npos) << error.message();
        }
    }
}

TEST(PageCoordinates, ReadingBackFindsTheFloatsThatGiveTheHostsMatrix) {
    // Places whose numbers floats do not hold exactly, and host matrices a
    // palette makes: moved by a step, reset, captured from elsewhere.
    const std::vector<Affine> places = {
        {1, 0, 0, 1, 0.1, 0.2},
        {0.9396926207859084, 0.3420201433256687, -0.3420201433256687, 0.9396926207859084, 0, 0},
        {0.9396926207859084, 0.3420201433256687, -0.3420201433256687, 0.9396926207859084, 13.7, -5.1},
        {2, 0, 0, 2, 0, 0},
        {-1, 0, 0, 1.25, 0.3, 3.3},
        {0.1, 0, 0, 0.1, 0, 0},
    };
    const std::vector<AIRealMatrix> hosts = {
        {1, 0, 0, 1, 0, 0},
        {1, 0, 0, 1, 8, -8},
        {1.5f, 0.25f, -0.125f, 0.75f, 123.456f, -0.3f},
        {0.70710677f, -0.70710677f, 0.70710677f, 0.70710677f, 16, 16},
    };
    for (const Affine& place : places) {
        for (const AIRealMatrix& host : hosts) {
            const auto own = fromHostMatrix(place, host, Affine{});
            ASSERT_TRUE(own);
            const AIRealMatrix back = toHostMatrix(place, *own, Affine{});
            const bool resetOrStep = &host == &hosts[0] || &host == &hosts[1];
            if (resetOrStep) {
                EXPECT_TRUE(sameBits(back, host))
                    << "place " << place.a << "," << place.e << " host " << host.tx << ": " << back.b << " "
                    << back.tx << " " << back.ty;
            }
            // Otherwise as near as floats get: a page number that mixes
            // numbers of other sizes is not always one the floats reach.
            expectMatrix(back, host, "place " + std::to_string(place.a) + "," + std::to_string(place.e));
        }
    }
    // A translation far larger than the result cannot be undone exactly in
    // floats (100.3 − 92.300003 is not 8): the nearest is written.
    const AIRealMatrix near = *fromHostMatrix(Affine{-1, 0, 0, 1, 100.3, 0}, hosts[1], Affine{});
    EXPECT_NEAR(toHostMatrix(Affine{-1, 0, 0, 1, 100.3, 0}, near, Affine{}).tx, 8, 1e-5);
    EXPECT_FALSE(fromHostMatrix(Affine{0, 0, 0, 0, 1, 1}, hosts[0], Affine{}));
    EXPECT_FALSE(fromHostMatrix(Affine{}, hosts[0], Affine{1, 2, 2, 4, 0, 0}));
}

TEST(PageCoordinates, NaturalSizesComeFromThePicturesHeader) {
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x01\x2c\0\0\0\x96", 24);
    const std::string gif("GIF89a\x40\x01\xf0\0", 10);
    // SOI, an APP0 segment of 4 bytes, then SOF2 (progressive) of 640 × 480.
    const std::string jpeg("\xff\xd8\xff\xe0\0\x04JF\xff\xc2\0\x11\x08\x01\xe0\x02\x80", 17);
    struct Case {
        const char* name;
        std::string bytes;
        std::optional<ViewportSize> size;
    };
    const std::vector<Case> cases = {
        {"png", png, ViewportSize{300, 150}},
        {"gif", gif, ViewportSize{320, 240}},
        {"jpeg", jpeg, ViewportSize{640, 480}},
        {"svg width and height", R"~(<?xml version="1.0"?><!-- c --><!DOCTYPE svg [<!ENTITY a "b">]>
<svg xmlns="http://www.w3.org/2000/svg" width="2in" height="30"><rect/></svg>)~",
         ViewportSize{192, 30}},
        {"svg viewBox",
         R"~(<svg:svg xmlns:svg="http://www.w3.org/2000/svg" width="100%" viewBox="0 0 40 20">)~",
         ViewportSize{40, 20}},
        {"svg without a size", R"~(<svg xmlns="http://www.w3.org/2000/svg">)~", std::nullopt},
        {"truncated png", png.substr(0, 20), std::nullopt},
        {"jpeg without a frame", std::string("\xff\xd8\xff\xda\0\x02", 6), std::nullopt},
        {"not a picture", "hello", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto size = naturalSizeOf(c.bytes);
        ASSERT_EQ(size.has_value(), c.size.has_value()) << c.name;
        if (size) {
            EXPECT_EQ(size->width, c.size->width) << c.name;
            EXPECT_EQ(size->height, c.size->height) << c.name;
        }
    }
    EXPECT_EQ(naturalImageSize("data:image/gif;base64,R0lGODlhQAHwAA==", nullptr)->width, 320);
    EXPECT_FALSE(naturalImageSize("https://example.org/a.png", nullptr));
    EXPECT_FALSE(naturalImageSize("a.png", nullptr)) << "no folder to look in";
}

TEST(PageCoordinates, LinkedPicturesAreReadOnlyWhenTheyAreRegularFiles) {
    svgtest::ScratchFolder folder;
    svgtest::writeText(folder / "a.gif", std::string("GIF87a\x10\0\x08\0", 10));
    std::filesystem::create_directory(folder / "dir.gif");
    ASSERT_EQ(::mkfifo((folder / "fifo.gif").c_str(), 0600), 0);
    const std::filesystem::path where = folder.path();
    EXPECT_EQ(naturalImageSize("a.gif", &where)->width, 16);
    EXPECT_EQ(naturalImageSize("file://" + (folder / "a.gif").string(), &where)->height, 8);
    EXPECT_FALSE(naturalImageSize("dir.gif", &where));
    EXPECT_FALSE(naturalImageSize("fifo.gif", &where)) << "a FIFO is never waited on";
    EXPECT_FALSE(naturalImageSize("missing.gif", &where));
    EXPECT_FALSE(naturalImageSize("/dev/zero", &where));

    // Through the reader: a linked 16 × 8 picture shown at 32 × 16.
    svgtest::writeText(folder / "doc.svg",
                       svgWith(R"~(<image id="i" href="a.gif" width="32" height="16"/>)~"));
    SvgArtwork artwork = readSvg((folder / "doc.svg").string());
    expectMatrix(object(artwork, "i").matrix, {2, 0, 0, 2, 0, 0}, "linked");
}

TEST(PageCoordinates, DeeplyNestedGroupsOpenSaveAndGo) {
    constexpr int kDepth = 100000;
    std::string body;
    body.reserve(kDepth * 12);
    for (int i = 0; i < kDepth; ++i) {
        body += "<g>";
    }
    body += R"~(<rect id="deep" width="9" height="9" fill="url(#tile)"/>)~";
    for (int i = 0; i < kDepth; ++i) {
        body += "</g>";
    }
    // Rules that ask about ancestors: the first is passed over at once, the
    // second looks at the parent only.
    const std::string text =
        page("<style><![CDATA[.absent g { stroke-width: 2 } g > rect { stroke-width: 3 }]]></style>" + kTile +
             body);
    SvgArtwork artwork = readSvgText(text, "deep.svg");
    EXPECT_EQ(object(artwork, "deep").style.strokeWidth, 3);
    EXPECT_EQ(artwork.document.documentOrder().size(), kDepth + 1u);
    EXPECT_EQ(object(artwork, "deep").parent, static_cast<simhost::ArtId>(kDepth - 1));
    EXPECT_TRUE(writeSvgText(artwork) == text) << "saved as read";
    object(artwork, "deep").style.transform.tx = 8;
    EXPECT_NE(writeSvgText(artwork).find("deep-fill"), std::string::npos);
    artwork.document.remove(artwork.document.findByName("art0"));
    EXPECT_EQ(writeSvgText(artwork).find("<g>"), std::string::npos);
}
