// The reset button, item 11: patterns lose every transformation, dashes
// their offset, placed and raster art rotation, scale and shear but not
// their place.
#include <gtest/gtest.h>

#include "PaletteFixture.h"

namespace shunt_test {
namespace {

constexpr int kResetItem = 11;
constexpr AIRealMatrix kTurnedImage{0, 2, -2, 0, 50, 80};
constexpr AIRealMatrix kImageInPlace{1, 0, 0, 1, 50, 80};

class ResetTest : public PaletteFixture {
protected:
    // A pattern fill that was shifted, scaled, rotated, reflected and sheared.
    AIPathStyle transformedPatternStyle() {
        AIPathStyle style = doc->style(doc->addPatternPath({0, 2, -2, 0, 7, 9}));
        style.shiftDist = 5;
        style.shiftAngle = 30;
        style.scaleH = 50;
        style.scaleV = 25;
        style.rotate = 45;
        style.reflect = 1;
        style.reserved33[0] = 0x77;  // the bytes after the flag are not the flag's
        style.reflectAngle = 10;
        style.shearAngle = 15;
        style.shearAxis = 20;
        return style;
    }

    static AIPathStyle withPatternReset(AIPathStyle style) {
        style.shiftDist = 0;
        style.shiftAngle = 0;
        style.scaleH = 100;
        style.scaleV = 100;
        style.rotate = 0;
        style.reflect = 0;
        style.reflectAngle = 0;
        style.shearAngle = 0;
        style.shearAxis = 0;
        style.transform = kIdentity;
        return style;
    }
};

TEST_F(ResetTest, APatternLosesEveryTransformationAndKeepsEverythingElse) {
    const AIPathStyle before = transformedPatternStyle();
    const auto path = doc->addPath(before);
    doc->select({path});

    click(kResetItem);

    EXPECT_TRUE(sameBytes(doc->style(path), withPatternReset(before)));
    EXPECT_EQ(doc->style(path).pattern, before.pattern);
    EXPECT_TRUE(alerts().empty());
}

TEST_F(ResetTest, APatternAfterPlacedArtGetsExactlyTheIdentity) {
    const auto image = doc->addPlaced(kTurnedImage);
    const auto path = doc->addPath(transformedPatternStyle());
    doc->select({image, path});
    click(kResetItem);
    EXPECT_EQ(doc->patternMatrix(path), kIdentity);
    EXPECT_EQ(doc->matrix(image), kImageInPlace);
}

TEST_F(ResetTest, ADashedStrokeLosesItsOffsetAndNothingElse) {
    const auto path = doc->addDashedPath({3, 1, 2}, 7.5f);
    doc->select({path});
    AIPathStyle expected = doc->style(path);
    expected.dashOffset = 0;
    click(kResetItem);
    EXPECT_TRUE(sameBytes(doc->style(path), expected));
}

TEST_F(ResetTest, APathThatNeedsNoChangeIsNotWritten) {
    const auto solid = doc->addDashedPath({}, 7.5f);
    const auto unpainted = doc->addDashedPath({3, 1}, 7.5f, false);
    doc->select({solid, unpainted});
    startRecording();
    click(kResetItem);
    EXPECT_EQ(callsTo("AI Path Style Suite:1"), 0);
    EXPECT_EQ(doc->style(unpainted).dashOffset, 7.5f);
}

TEST_F(ResetTest, APatternWithDashesIsWrittenTwiceAndEndsWithBothReset) {
    const AIPathStyle before = DocumentBuilder::dashedStyle(transformedPatternStyle(), {4, 2}, 3);
    const auto path = doc->addPath(before);
    doc->select({path});
    startRecording();
    click(kResetItem);
    AIPathStyle expected = withPatternReset(before);
    expected.dashOffset = 0;
    EXPECT_TRUE(sameBytes(doc->style(path), expected));
    EXPECT_EQ(callsTo("AI Path Style Suite:1"), 2);
}

TEST_F(ResetTest, PlacedAndRasterArtKeepTheirPlaceAndLoseTheRest) {
    const auto image = doc->addPlaced(kTurnedImage);
    const auto picture = doc->addRaster(kTurnedImage);
    doc->select({image, picture});
    click(kResetItem);
    EXPECT_EQ(doc->matrix(image), kImageInPlace);
    EXPECT_EQ(doc->matrix(picture), kImageInPlace);
    EXPECT_TRUE(alerts().empty());
}

TEST_F(ResetTest, EachMysteryPathArtIsNamedAndTheOthersAreStillReset) {
    const auto first = doc->addMysteryPathArt();
    const auto image = doc->addPlaced(kTurnedImage);
    const auto second = doc->addMysteryPathArt();
    const auto path = doc->addPath(transformedPatternStyle());
    doc->select({first, image, second, path});
    click(kResetItem);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kMysteryAlert, kMysteryAlert}));
    EXPECT_EQ(doc->matrix(image), kImageInPlace);
    EXPECT_EQ(doc->patternMatrix(path), kIdentity);
}

TEST_F(ResetTest, OtherKindsOfArtAreLeftAloneSilently) {
    const auto foreign = doc->addForeignObject(kTurnedImage);
    const auto group = doc->addArt(kGroupArt);
    const auto text = doc->addArt(kTextFrameArt);
    doc->select({foreign, group, text});
    startRecording();
    click(kResetItem);
    EXPECT_EQ(doc->matrix(foreign), kTurnedImage);
    EXPECT_TRUE(alerts().empty());
    EXPECT_EQ(callsTo("AI Placed Suite:3"), 0);
}

TEST_F(ResetTest, AClickMakesTheHostCallsItNeedsAndNoOthers) {
    const auto image = doc->addPlaced(kTurnedImage);
    const auto path = doc->addPath(transformedPatternStyle());
    doc->select({image, path});
    startRecording();
    click(kResetItem);
    const std::vector<std::string> expected = {
        "ADM Notifier Suite:3", "AI Matching Art Suite:0", "AI Real Math Suite:36",
        "AI Art Suite:6",       "AI Placed Suite:2",       "AI Placed Suite:3",
        "AI Art Suite:6",       "AI Path Style Suite:0",   "AI Path Style Suite:1",
    };
    EXPECT_EQ(recordedCalls(), expected);
}

TEST_F(ResetTest, NotificationsOtherThanAClickAndEmptySelectionsDoNothing) {
    const auto image = doc->addPlaced(kTurnedImage);
    click(kResetItem);
    doc->select({image});
    click(kResetItem, "ADM Bounds Changed Notifier");
    EXPECT_EQ(doc->matrix(image), kTurnedImage);
    EXPECT_TRUE(alerts().empty());
}

// --- failures

TEST_F(ResetTest, AFailedStyleWriteKeepsTheEarlierResetsAndStopsTheWalk) {
    std::vector<simhost::ArtId> paths;
    for (int i = 0; i < 5; ++i) {
        paths.push_back(doc->addPatternPath({2, 0, 0, 2, 1, 1}));
    }
    doc->select(paths);
    host->faults().failEntry(kAIPathStyleSuite, 1, kCanceledErr, 3);

    click(kResetItem);

    EXPECT_EQ(doc->patternMatrix(paths[0]), kIdentity);
    EXPECT_EQ(doc->patternMatrix(paths[1]), kIdentity);
    for (int i = 2; i < 5; ++i) {
        EXPECT_EQ(doc->patternMatrix(paths[i]), (AIRealMatrix{2, 0, 0, 2, 1, 1})) << "path " << i;
    }
    EXPECT_EQ(alerts(), (std::vector<std::string>{"ERROR!", kCancelledAlert}));
}

TEST_F(ResetTest, TheDashWriteFailingIsReportedLikeThePatternWrite) {
    const auto path = doc->addPath(DocumentBuilder::dashedStyle(transformedPatternStyle(), {4, 2}, 3));
    doc->select({path});
    host->faults().failEntry(kAIPathStyleSuite, 1, kCanceledErr, 2);
    click(kResetItem);
    EXPECT_EQ(doc->patternMatrix(path), kIdentity) << "the first write was made";
    EXPECT_EQ(doc->style(path).dashOffset, 3.0f);
    EXPECT_EQ(alerts(), (std::vector<std::string>{"ERROR!", kCancelledAlert}));
}

TEST_F(ResetTest, AnImageThatCannotBeWrittenLastIsReportedAfterTheWalk) {
    const auto first = doc->addPlaced(kTurnedImage);
    const auto last = doc->addPlaced(kTurnedImage);
    doc->select({first, last});
    host->faults().failEntry(kAIPlacedSuite, 3, kCanceledErr, 2);
    click(kResetItem);
    EXPECT_EQ(doc->matrix(first), kImageInPlace);
    EXPECT_EQ(doc->matrix(last), kTurnedImage);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert}));
}

// An image that fails early is reported too, once the walk is over, and the
// images after it are still reset.
TEST_F(ResetTest, AnImageThatCannotBeWrittenEarlierIsReportedAfterTheWalk) {
    const auto first = doc->addRaster(kTurnedImage);
    const auto second = doc->addRaster(kTurnedImage);
    const auto third = doc->addPlaced(kTurnedImage);
    doc->select({first, second, third});
    host->faults().failEntry(kAIRasterSuite, 5, kCanceledErr, 1);
    click(kResetItem);
    EXPECT_EQ(doc->matrix(first), kTurnedImage);
    EXPECT_EQ(doc->matrix(second), kImageInPlace);
    EXPECT_EQ(doc->matrix(third), kImageInPlace);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert}));
}

TEST_F(ResetTest, AnImageWhoseMatrixCannotBeReadIsNotMoved) {
    const auto image = doc->addPlaced(kTurnedImage);
    const auto other = doc->addPlaced({3, 0, 0, 3, 1, 2});
    doc->select({image, other});  // the walk goes in document order: image first
    host->faults().failEntry(kAIPlacedSuite, 2, kCanceledErr, 1);
    startRecording();
    click(kResetItem);
    EXPECT_EQ(doc->matrix(other), (AIRealMatrix{1, 0, 0, 1, 1, 2}));
    EXPECT_EQ(doc->matrix(image), kTurnedImage);
    EXPECT_EQ(callsTo("AI Placed Suite:3"), 1);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert}));
}

TEST_F(ResetTest, AnArtTypeThatCannotBeReadCancels) {
    const auto image = doc->addPlaced(kTurnedImage);
    doc->select({image});
    host->faults().failEntry(kAIArtSuite, 6, kCanceledErr);
    click(kResetItem);
    EXPECT_EQ(doc->matrix(image), kTurnedImage);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert}));
}

// --- a host that refused a suite the reset needs

class ResetWithoutPlacedArtTest : public ResetTest {
protected:
    void beforeStart() override { host->faults().refuse(kAIPlacedSuite, std::nullopt); }
};

TEST_F(ResetWithoutPlacedArtTest, AClickEndsWithTheCancelAlertAndChangesNothing) {
    const auto image = doc->addPlaced(kTurnedImage);
    const auto path = doc->addPath(transformedPatternStyle());
    doc->select({path, image});
    click(kResetItem);
    EXPECT_EQ(doc->matrix(image), kTurnedImage);
    EXPECT_NE(doc->patternMatrix(path), kIdentity);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert}));
}

}  // namespace
}  // namespace shunt_test
