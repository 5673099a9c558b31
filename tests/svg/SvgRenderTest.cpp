// What a saved document looks like: the palette's "down" and "right", clicked
// in the host with a step of 8, move a pattern down and right on the rendered
// page by the step.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "SvgTestSupport.h"
#include "simhost/DialogManager.h"
#include "simhost/Host.h"
#include "svg/SvgDocument.h"

#ifdef SHUNT_HAVE_PNG
#include <png.h>
#endif

using namespace shunthost::svg;
using svgtest::object;
using svgtest::ScratchFolder;

namespace {

// A 20-unit tile, white with a black 4-unit square at (2, 2). The period is
// not a divisor of twice the step, so a move down cannot pass for a move up.
const std::string kTiled = R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="60" height="60">
<defs><pattern id="tile" width="20" height="20" patternUnits="userSpaceOnUse">
<rect width="20" height="20" fill="#fff"/><rect x="2" y="2" width="4" height="4" fill="#000"/></pattern></defs>
<rect id="area" width="60" height="60" fill="url(#tile)"/>
</svg>
)svg";

struct Gray {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> pixels;
    bool dark(unsigned x, unsigned y) const { return pixels[y * width + x] < 128; }
};

#ifdef SHUNT_HAVE_PNG
std::optional<Gray> decodePng(const std::filesystem::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return std::nullopt;
    }
    image.format = PNG_FORMAT_GRAY;
    Gray gray{image.width, image.height, std::vector<unsigned char>(PNG_IMAGE_SIZE(image))};
    if (png_image_finish_read(&image, nullptr, gray.pixels.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return std::nullopt;
    }
    return gray;
}
#endif

class SvgRender : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef SHUNT_HAVE_PNG
        GTEST_SKIP() << "built without libpng (libpng-dev): cannot read rendered pictures";
#endif
        const std::string renderer = SHUNT_RSVG_CONVERT;
        if (renderer.empty() || !std::filesystem::exists(renderer)) {
            GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is not installed: nothing renders SVG here";
        }
    }

    // Saves the artwork and renders what was saved.
    Gray render(SvgArtwork& artwork, const std::string& name) {
        const auto svg = folder_ / (name + ".svg");
        const auto png = folder_ / (name + ".png");
        writeSvg(artwork, svg.string());
        const std::string command =
            std::string(SHUNT_RSVG_CONVERT) + " -f png -o '" + png.string() + "' '" + svg.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
#ifdef SHUNT_HAVE_PNG
        if (auto gray = decodePng(png)) {
            return *gray;
        }
#endif
        ADD_FAILURE() << "cannot read " << png;
        return {};
    }

    static unsigned firstDarkRow(const Gray& gray, unsigned x) {
        for (unsigned y = 0; y < gray.height; ++y) {
            if (gray.dark(x, y)) {
                return y;
            }
        }
        return gray.height;
    }

    static unsigned firstDarkColumn(const Gray& gray, unsigned y) {
        for (unsigned x = 0; x < gray.width; ++x) {
            if (gray.dark(x, y)) {
                return x;
            }
        }
        return gray.width;
    }

    // Every pixel of `moved` is the pixel of `original` (dx, dy) before it.
    static void expectMovedBy(const Gray& original, const Gray& moved, unsigned dx, unsigned dy) {
        ASSERT_EQ(original.width, moved.width);
        ASSERT_EQ(original.height, moved.height);
        int differences = 0;
        for (unsigned y = dy; y < moved.height; ++y) {
            for (unsigned x = dx; x < moved.width; ++x) {
                differences += moved.dark(x, y) != original.dark(x - dx, y - dy) ? 1 : 0;
            }
        }
        EXPECT_EQ(differences, 0);
    }

    // The plug-in in the host clicks palette item `item` with shift and
    // control held (a step of 8) on the object "area" of the artwork.
    static void clickWithStepOf8(SvgArtwork& artwork, int item) {
        simhost::Host host;
        host.document() = std::move(artwork.document);
        host.loadBundle(SHUNT_BUNDLE_DIR);
        host.startup();
        host.document().select({host.document().findByName("area")});
        host.dialogs().setKeysDown({241, 243});
        const ADMDialogRef palette = host.dialogs().findDialog("ShuntDialog");
        ASSERT_NE(palette, nullptr);
        host.dialogs().notify(host.dialogs().findItem(palette, item), kADMUserChangedNotifier);
        host.shutdown();
        EXPECT_TRUE(host.violations().empty());
        EXPECT_TRUE(host.alerts().empty());
        artwork.document = std::move(host.document());
    }

    ScratchFolder folder_;
};

}  // namespace

TEST_F(SvgRender, DownMovesThePatternDownByTheStep) {
    SvgArtwork artwork = readSvgText(kTiled);
    const Gray before = render(artwork, "before");
    ASSERT_EQ(before.width, 60u);
    ASSERT_EQ(firstDarkRow(before, 3), 2u) << "the tile renders where it is drawn";
    clickWithStepOf8(artwork, 3);  // down
    const Gray after = render(artwork, "down");
    EXPECT_EQ(firstDarkRow(after, 3), 10u);
    expectMovedBy(before, after, 0, 8);
}

TEST_F(SvgRender, RightMovesThePatternRightByTheStep) {
    SvgArtwork artwork = readSvgText(kTiled);
    const Gray before = render(artwork, "before");
    clickWithStepOf8(artwork, 1);  // right
    const Gray after = render(artwork, "right");
    EXPECT_EQ(firstDarkColumn(before, 3), 2u);
    EXPECT_EQ(firstDarkColumn(after, 3), 10u);
    expectMovedBy(before, after, 8, 0);
}

TEST_F(SvgRender, TwoPathsSharingAPatternRenderEachWithItsOwnMatrix) {
    SvgArtwork artwork = readSvgText(R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="60" height="60">
<defs><pattern id="tile" width="20" height="20" patternUnits="userSpaceOnUse">
<rect width="20" height="20" fill="#fff"/><rect x="2" y="2" width="4" height="4" fill="#000"/></pattern></defs>
<rect id="top" width="60" height="30" fill="url(#tile)"/>
<rect id="bottom" y="30" width="60" height="30" fill="url(#tile)"/>
</svg>
)svg");
    object(artwork, "bottom").style.transform.ty += -8;
    const Gray picture = render(artwork, "shared");
    EXPECT_EQ(firstDarkRow(picture, 3), 2u) << "the top keeps the shared matrix";
    unsigned firstInBottom = 30;
    while (firstInBottom < 60 && !picture.dark(3, firstInBottom)) {
        ++firstInBottom;
    }
    // Moved down by 8 the tiles start at 8, 28, 48: squares at 30 and 50, none at 42.
    EXPECT_EQ(firstInBottom, 30u);
    EXPECT_TRUE(picture.dark(3, 50));
    EXPECT_FALSE(picture.dark(3, 42));
}

// The same tile filling the picture through a transform of the shape, of its
// group or of a nested viewport: "right" and "down" move the pattern right
// and down on the page by the step, whatever the transform does to the axes.
TEST_F(SvgRender, ArrowsMoveThePatternAlongThePagesAxesThroughTransforms) {
    struct Case {
        const char* name;
        const char* area;
    };
    const Case cases[] = {
        {"mirrored",
         R"~(<rect id="area" width="60" height="60" transform="matrix(-1,0,0,1,60,0)" fill="url(#tile)"/>)~"},
        {"rotated",
         R"~(<rect id="area" width="60" height="60" transform="rotate(90 30 30)" fill="url(#tile)"/>)~"},
        {"scaled group",
         R"~(<g transform="scale(2)"><rect id="area" width="30" height="30" fill="url(#tile)"/></g>)~"},
        {"nested viewport",
         R"~(<svg width="60" height="60" viewBox="0 0 120 60" preserveAspectRatio="none"><rect id="area" width="120" height="60" fill="url(#tile)"/></svg>)~"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = R"~(<svg xmlns="http://www.w3.org/2000/svg" width="60" height="60">
<defs><pattern id="tile" width="20" height="20" patternUnits="userSpaceOnUse">
<rect width="20" height="20" fill="#fff"/><rect x="2" y="2" width="4" height="4" fill="#000"/></pattern></defs>
)~" + std::string(c.area) + "\n</svg>\n";
        SvgArtwork artwork = readSvgText(text);
        const Gray before = render(artwork, "before");
        clickWithStepOf8(artwork, 1);  // right
        const Gray right = render(artwork, "right");
        expectMovedBy(before, right, 8, 0);
        clickWithStepOf8(artwork, 3);  // down
        const Gray down = render(artwork, "down");
        expectMovedBy(before, down, 8, 8);
    }
}

// A matrix captured on the page from one shape and given to a shape under
// other transforms gives the same pattern on the page.
TEST_F(SvgRender, AMatrixAppliedUnderOtherTransformsGivesTheSamePatternOnThePage) {
    const std::string head = R"~(<svg xmlns="http://www.w3.org/2000/svg" width="60" height="60">
<defs><pattern id="tile" width="20" height="20" patternUnits="userSpaceOnUse">
<rect width="20" height="20" fill="#fff"/><rect x="2" y="2" width="4" height="4" fill="#000"/></pattern>
<pattern id="shifted" href="#tile" patternTransform="translate(3,1) scale(0.5)"/></defs>
)~";
    SvgArtwork source = readSvgText(
        head +
        R"~(<g transform="scale(2)"><rect id="area" width="30" height="30" fill="url(#shifted)"/></g></svg>)~");
    SvgArtwork target = readSvgText(
        head +
        R"~(<rect id="area" width="60" height="60" transform="matrix(-1,0,0,1,60,0)" fill="url(#tile)"/></svg>)~");
    object(target, "area").style.transform = object(source, "area").style.transform;
    const Gray captured = render(source, "source");
    const Gray applied = render(target, "target");
    expectMovedBy(captured, applied, 0, 0);
}
