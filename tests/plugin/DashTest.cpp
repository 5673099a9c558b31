// The dash buttons: item 9 slides the dashes of every selected dashed,
// stroked path forward by one step, item 10 back; offsets below zero wrap.
#include <gtest/gtest.h>

#include "PaletteFixture.h"

namespace shunt_test {
namespace {

constexpr int kForwardItem = 9;
constexpr int kBackItem = 10;

class DashTest : public PaletteFixture {
protected:
    // A dashed path alone in the selection; its offset after one click.
    float offsetAfterClick(std::initializer_list<float> dashes, float offset, int item,
                           const std::vector<int>& keys = {}) {
        const auto path = doc->addDashedPath(dashes, offset);
        doc->select({path});
        holdKeys(keys);
        click(item);
        return doc->style(path).dashOffset;
    }
};

TEST_F(DashTest, ForwardAddsTheStepToTheOffset) {
    EXPECT_EQ(offsetAfterClick({4, 2}, 0, kForwardItem), 1.0f);
}

// Offsets below zero wrap forward by twice the dash length, once. The last
// rows were found by tests/floatcode's float_search: sums of dashes as typed
// whose wrap comes out different when the sum is kept in 80-bit registers;
// each operation rounded on its own gives these floats on every processor.
TEST_F(DashTest, ANegativeOffsetWrapsOnceByTwiceTheDashLengthInFloats) {
    const std::vector<int> step2 = {kEnlargeKey};
    const std::vector<int> step8 = {kEnlargeKey, kByFourKey};
    const std::vector<int> step128 = {kEnlargeKey, kDoubleKey, kByFourKey, kByEightKey};
    const struct {
        std::initializer_list<float> dashes;
        float offset;
        std::vector<int> keys;
        float wrapped;
    } cases[] = {
        {{4, 2}, 0, {}, 11.0f},
        {{1, 2, 3}, 0.5f, {}, 11.5f},                     // every component in use counts
        {{4, 2}, 0, step128, -116.0f},                    // a long step stays negative
        {{7.45f, 11.59f}, 0.63f, step2, 0x1.25ae16p+5f},  // 36.710003
        {{14.37f, 15.17f, 5.85f, 3.54f}, 0.98f, step2, 0x1.335c2ap+6f},
        {{3.30f, 0.32f, 7.13f, 15.92f, 19.54f, 15.37f}, 0.03f, step8, 0x1.ccc28ep+6f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.offset << ", " << c.dashes.size() << " dashes");
        EXPECT_EQ(offsetAfterClick(c.dashes, c.offset, kBackItem, c.keys), c.wrapped);
    }
}

TEST_F(DashTest, PositiveOffsetsGrowWithoutLimit) {
    EXPECT_EQ(offsetAfterClick({4, 2}, 10, kForwardItem, {kEnlargeKey, kDoubleKey}), 14.0f);
}

TEST_F(DashTest, ComponentsPastTheCountDoNotCount) {
    AIPathStyle style = DocumentBuilder::dashedStyle(simhost::defaultPathStyle(), {4, 2}, 0);
    style.dash[2] = 100;
    const auto path = doc->addPath(style);
    doc->select({path});
    click(kBackItem);
    EXPECT_EQ(doc->style(path).dashOffset, 11.0f);
}

TEST_F(DashTest, SolidAndUnpaintedStrokesAreNotWritten) {
    const auto solid = doc->addDashedPath({}, 3);
    const auto unpainted = doc->addDashedPath({4, 2}, 3, false);
    doc->select({solid, unpainted});
    startRecording();
    click(kForwardItem);
    EXPECT_EQ(doc->style(solid).dashOffset, 3.0f);
    EXPECT_EQ(doc->style(unpainted).dashOffset, 3.0f);
    EXPECT_EQ(callsTo("AI Path Style Suite:1"), 0);
}

TEST_F(DashTest, ADashButtonMovesDashesAndNeverAPattern) {
    AIPathStyle style = DocumentBuilder::dashedStyle(doc->style(doc->addPatternPath()), {4, 2}, 0);
    const auto path = doc->addPath(style);
    doc->select({path});
    AIPathStyle expected = doc->style(path);
    expected.dashOffset = 1;
    click(kForwardItem);
    EXPECT_TRUE(sameBytes(doc->style(path), expected));
}

TEST_F(DashTest, EachMysteryPathArtIsNamedAndTheWalkGoesOn) {
    const auto first = doc->addDashedPath({4, 2}, 0);
    std::vector<simhost::ArtId> selection = {first};
    for (int i = 0; i < 3; ++i) {
        selection.push_back(doc->addMysteryPathArt());
    }
    const auto last = doc->addDashedPath({4, 2}, 0);
    selection.push_back(last);
    doc->select(selection);

    click(kForwardItem);

    EXPECT_EQ(alerts(), (std::vector<std::string>{kMysteryAlert, kMysteryAlert, kMysteryAlert}));
    EXPECT_EQ(doc->style(first).dashOffset, 1.0f);
    EXPECT_EQ(doc->style(last).dashOffset, 1.0f);
}

TEST_F(DashTest, NothingSelectedSaysNothing) {
    doc->addDashedPath({4, 2}, 0);
    click(kForwardItem);
    click(kBackItem);
    EXPECT_TRUE(alerts().empty());
}

TEST_F(DashTest, ASelectionThatCannotBeReadSaysNothing) {
    const auto path = doc->addDashedPath({4, 2}, 0);
    doc->select({path});
    host->faults().failEntry(kAIMatchingArtSuite, 0, kCanceledErr);
    click(kForwardItem);
    EXPECT_EQ(doc->style(path).dashOffset, 0.0f);
    EXPECT_TRUE(alerts().empty());
}

TEST_F(DashTest, AClickMakesTheHostCallsItNeedsAndNoOthers) {
    const auto path = doc->addDashedPath({4, 2}, 0);
    doc->select({path});
    startRecording();
    click(kBackItem);
    std::vector<std::string> expected = {"ADM Notifier Suite:3", "ADM Item Suite:23"};
    expected.insert(expected.end(), 4, "ADM Tracker Suite:11");  // the four modifier keys
    expected.insert(expected.end(), 9, "ADM Dialog Suite:78");   // items 1 to 8, then 10: a match
    for (const char* call :
         {"AI Matching Art Suite:0", "AI Art Suite:6", "AI Path Style Suite:0", "AI Path Style Suite:1"}) {
        expected.push_back(call);
    }
    expected.push_back("ADM Dialog Suite:78");  // item 9, asked after the dashes moved
    EXPECT_EQ(recordedCalls(), expected);
}

// --- failures

TEST_F(DashTest, AFailedStyleWriteKeepsTheEarlierShiftsAndStopsTheWalk) {
    std::vector<simhost::ArtId> paths;
    for (int i = 0; i < 5; ++i) {
        paths.push_back(doc->addDashedPath({4, 2}, 0));
    }
    doc->select(paths);
    host->faults().failEntry(kAIPathStyleSuite, 1, kCanceledErr, 3);

    click(kForwardItem);

    EXPECT_EQ(doc->style(paths[0]).dashOffset, 1.0f);
    EXPECT_EQ(doc->style(paths[1]).dashOffset, 1.0f);
    EXPECT_EQ(doc->style(paths[2]).dashOffset, 0.0f);
    EXPECT_EQ(doc->style(paths[3]).dashOffset, 0.0f);
    EXPECT_EQ(doc->style(paths[4]).dashOffset, 0.0f);
    EXPECT_EQ(alerts(), (std::vector<std::string>{"ERROR!", kCancelledAlert}));
}

TEST_F(DashTest, AnArtTypeOrStyleThatCannotBeReadCancels) {
    const auto path = doc->addDashedPath({4, 2}, 0);
    doc->select({path});
    host->faults().failEntry(kAIArtSuite, 6, kCanceledErr);
    click(kForwardItem);
    host->faults().failEntry(kAIPathStyleSuite, 0, kCanceledErr);
    click(kForwardItem);
    EXPECT_EQ(doc->style(path).dashOffset, 0.0f);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert, kCancelledAlert}));
}

}  // namespace
}  // namespace shunt_test
