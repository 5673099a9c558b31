// The palette's popup menu, item -5: Capture matrix (entry 0), Apply matrix
// (entry 1) and Show matrix (entry 2), and its tracker.
#include <gtest/gtest.h>

#include "PaletteFixture.h"

namespace shunt_test {
namespace {

constexpr int kCapture = 0;
constexpr int kApply = 1;

constexpr AIRealMatrix kImageMatrix{2, 0, 0, 2, 10, 20};
constexpr AIRealMatrix kOtherMatrix{0, 3, -3, 0, 7, 8};

class PopupMenuTest : public PaletteFixture {
protected:
    // The matrix the plug-in holds, read by applying it to a fresh image.
    AIRealMatrix captured() {
        const auto probe = doc->addPlaced(kOtherMatrix);
        const auto selection = host->document().selection();
        doc->select({probe});
        choose(kApply);
        doc->select(selection);
        return doc->matrix(probe);
    }
};

// --- Capture matrix

TEST_F(PopupMenuTest, CaptureTakesTheFirstObjectThatCarriesAMatrix) {
    const auto flat = doc->addFlatPath();
    const auto image = doc->addPlaced(kImageMatrix);
    const auto pattern = doc->addPatternPath(kOtherMatrix);
    doc->select({flat, image, pattern});
    startRecording();
    choose(kCapture);
    EXPECT_EQ(callsTo("AI Art Suite:6"), 2) << "the walk went past the first matrix";
    EXPECT_EQ(captured(), kImageMatrix);
    EXPECT_TRUE(alerts().empty());
}

TEST_F(PopupMenuTest, CaptureCopiesAPatternMatrixAndARasterMatrix) {
    const auto pattern = doc->addPatternPath(kOtherMatrix);
    doc->select({pattern});
    choose(kCapture);
    EXPECT_EQ(captured(), kOtherMatrix);

    const auto picture = doc->addRaster(kImageMatrix);
    doc->select({picture});
    choose(kCapture);
    EXPECT_EQ(captured(), kImageMatrix);
}

TEST_F(PopupMenuTest, CaptureWithNothingThatCarriesAMatrixChangesNothing) {
    doc->select(
        {doc->addFlatPath(), doc->addArt(kGroupArt), doc->addArt(kTextFrameArt), doc->addDashedPath({1}, 0)});
    choose(kCapture);
    EXPECT_EQ(captured(), kIdentity);
    EXPECT_TRUE(alerts().empty());
}

TEST_F(PopupMenuTest, CaptureStopsAtMysteryPathArt) {
    for (AIArtType mystery : {kMysteryPathArt, kForeignObjectArt}) {
        host->clearEvents();
        doc->select({doc->addFlatPath(), doc->addArt(mystery), doc->addPatternPath(kOtherMatrix)});
        choose(kCapture);
        EXPECT_EQ(alerts(), (std::vector<std::string>{kMysteryAlert})) << "type " << mystery;
        EXPECT_EQ(captured(), kIdentity) << "type " << mystery;
    }
}

TEST_F(PopupMenuTest, AnImageMatrixThatCannotBeReadIsReportedAndNotKept) {
    const auto image = doc->addPlaced(kImageMatrix);
    doc->select({image});
    host->faults().failEntry(kAIPlacedSuite, 2, kCanceledErr);
    choose(kCapture);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert}));
    EXPECT_EQ(captured(), kIdentity);
}

TEST_F(PopupMenuTest, CaptureEndsOnAStyleThatCannotBeRead) {
    doc->select({doc->addPatternPath(kOtherMatrix)});
    host->faults().failEntry(kAIPathStyleSuite, 0, kCanceledErr);
    choose(kCapture);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert}));
    EXPECT_EQ(captured(), kIdentity);
}

// --- Apply matrix

TEST_F(PopupMenuTest, ApplyReplacesOnlyThePatternMatrix) {
    doc->select({doc->addPlaced(kImageMatrix)});
    choose(kCapture);
    AIPathStyle style = doc->style(doc->addPatternPath({1, 0, 0, 1, 3, 3}));
    style.shiftDist = 5;
    style.shiftAngle = 30;
    style.scaleH = 50;
    style.scaleV = 50;
    style.rotate = 45;
    const auto path = doc->addPath(style);
    doc->select({path});

    choose(kApply);

    AIPathStyle expected = style;
    expected.transform = kImageMatrix;
    EXPECT_TRUE(sameBytes(doc->style(path), expected));
}

TEST_F(PopupMenuTest, ApplyGivesEveryMatrixBearingObjectTheSameMatrix) {
    doc->select({doc->addPatternPath(kImageMatrix)});
    choose(kCapture);
    const auto a = doc->addPlaced(kOtherMatrix);
    const auto b = doc->addPlaced(kIdentity);
    const auto c = doc->addPlaced({5, 0, 0, 5, 0, 0});
    const auto picture = doc->addRaster(kOtherMatrix);
    const auto foreign = doc->addForeignObject(kOtherMatrix);
    const auto flat = doc->addFlatPath();
    doc->select({a, b, c, picture, foreign, flat});
    startRecording();

    choose(kApply);

    for (auto id : {a, b, c, picture, foreign}) {
        EXPECT_EQ(doc->matrix(id), kImageMatrix) << "object " << id;
    }
    EXPECT_EQ(callsTo("AI Placed Suite:3"), 4) << "foreign-object art goes through the placed entry";
    EXPECT_TRUE(alerts().empty());
}

TEST_F(PopupMenuTest, ApplyBeforeAnyCaptureGivesTheIdentity) {
    const auto image = doc->addPlaced(kImageMatrix);
    const auto path = doc->addPatternPath(kOtherMatrix);
    doc->select({image, path});
    choose(kApply);
    EXPECT_EQ(doc->matrix(image), kIdentity);
    EXPECT_EQ(doc->patternMatrix(path), kIdentity);
}

TEST_F(PopupMenuTest, ApplyNamesEachMysteryPathArtAndGoesOn) {
    const auto image = doc->addPlaced(kImageMatrix);
    doc->select({doc->addMysteryPathArt(), doc->addMysteryPathArt(), image});
    choose(kApply);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kMysteryAlert, kMysteryAlert}));
    EXPECT_EQ(doc->matrix(image), kIdentity);
}

TEST_F(PopupMenuTest, AFailedPatternWriteStopsTheWalkAndSaysWhy) {
    std::vector<simhost::ArtId> paths;
    for (int i = 0; i < 5; ++i) {
        paths.push_back(doc->addPatternPath(kOtherMatrix));
    }
    doc->select(paths);
    host->faults().failEntry(kAIPathStyleSuite, 1, kCanceledErr, 3);

    choose(kApply);

    EXPECT_EQ(doc->patternMatrix(paths[0]), kIdentity);
    EXPECT_EQ(doc->patternMatrix(paths[1]), kIdentity);
    EXPECT_EQ(doc->patternMatrix(paths[2]), kOtherMatrix);
    EXPECT_EQ(doc->patternMatrix(paths[3]), kOtherMatrix);
    EXPECT_EQ(doc->patternMatrix(paths[4]), kOtherMatrix);
    EXPECT_EQ(alerts(), (std::vector<std::string>{"Error setting matrix in pattern!", kCancelledAlert}));
}

TEST_F(PopupMenuTest, AnImageThatCannotTakeTheMatrixIsReportedOnceAfterTheWalk) {
    for (int failing : {1, 3}) {
        host->clearEvents();
        const auto first = doc->addPlaced(kOtherMatrix);
        const auto second = doc->addRaster(kOtherMatrix);
        const auto third = doc->addPlaced(kOtherMatrix);
        doc->select({first, second, third});
        host->faults().clear();
        host->faults().failEntry(kAIPlacedSuite, 3, kCanceledErr, failing == 1 ? 1 : 2);

        choose(kApply);

        EXPECT_EQ(doc->matrix(first), failing == 1 ? kOtherMatrix : kIdentity) << "failing " << failing;
        EXPECT_EQ(doc->matrix(second), kIdentity) << "failing " << failing;
        EXPECT_EQ(doc->matrix(third), failing == 3 ? kOtherMatrix : kIdentity) << "failing " << failing;
        EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert})) << "failing " << failing;
    }
}

TEST_F(PopupMenuTest, ApplyEndsOnAnArtTypeThatCannotBeRead) {
    const auto image = doc->addPlaced(kImageMatrix);
    doc->select({image});
    host->faults().failEntry(kAIArtSuite, 6, kCanceledErr);
    choose(kApply);
    EXPECT_EQ(doc->matrix(image), kImageMatrix);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert}));
}

// --- what the menu ignores

TEST_F(PopupMenuTest, OtherNotificationsAndOtherEntriesDoNothing) {
    const auto image = doc->addPlaced(kImageMatrix);
    doc->select({image});
    ADMItemRef popup = host->dialogs().findItem(palette(), -5);
    host->dialogs().notify(popup, "ADM Bounds Changed Notifier");
    choose(3);
    choose(-1);
    EXPECT_EQ(doc->matrix(image), kImageMatrix);
    EXPECT_TRUE(alerts().empty());
}

TEST_F(PopupMenuTest, EmptyOrUnreadableSelectionsSayNothing) {
    choose(kCapture);
    choose(kApply);
    doc->select({doc->addPlaced(kImageMatrix)});
    host->faults().failEntry(kAIMatchingArtSuite, 0, kCanceledErr, 1, 2);
    choose(kCapture);
    choose(kApply);
    EXPECT_TRUE(alerts().empty());
}

TEST_F(PopupMenuTest, ChoosingCaptureMakesTheHostCallsItNeedsAndNoOthers) {
    doc->select({doc->addFlatPath(), doc->addRaster(kImageMatrix)});
    startRecording();
    choose(kCapture);
    const std::vector<std::string> expected = {
        "ADM Notifier Suite:2",  "ADM Item Suite:25",       "ADM List Suite:27",
        "ADM Entry Suite:6",     "AI Matching Art Suite:0", "AI Art Suite:6",
        "AI Path Style Suite:0", "AI Art Suite:6",          "AI Raster Suite:4",
    };
    EXPECT_EQ(recordedCalls(), expected);
}

// --- the tracker

TEST_F(PopupMenuTest, TheTrackerAnswersWhatDefaultTrackingAnswers) {
    // The host's default tracking takes presses and releases (2 and 3) only.
    for (int action = 0; action <= 5; ++action) {
        EXPECT_EQ(track(action), action == 2 || action == 3 ? 1 : 0) << "action " << action;
    }
}

TEST_F(PopupMenuTest, ThePressActionRedrawsBeforeDefaultTracking) {
    startRecording();
    track(2);
    EXPECT_EQ(recordedCalls(), (std::vector<std::string>{"ADM Tracker Suite:1", "ADM Item Suite:28",
                                                         "ADM Item Suite:25", "ADM Item Suite:7"}));
    startRecording();
    track(3);
    EXPECT_EQ(recordedCalls(), (std::vector<std::string>{"ADM Tracker Suite:1", "ADM Item Suite:7"}));
}

}  // namespace
}  // namespace shunt_test
