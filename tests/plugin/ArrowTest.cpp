// The arrow buttons, items 1 to 8: a click slides the pattern of every
// selected pattern-filled path by one step, which the modifier keys scale.
#include <gtest/gtest.h>

#include <tuple>

#include "PaletteFixture.h"

namespace shunt_test {
namespace {

using ArrowTest = PaletteFixture;

// A pattern that is already scaled, rotated and shifted, so a slide that
// touched more than the translation would show.
constexpr AIRealMatrix kTurnedPattern{0, 2, -2, 0, 10, 20};

AIRealMatrix shifted(AIRealMatrix m, float tx, float ty) {
    m.tx += tx;
    m.ty += ty;
    return m;
}

TEST_F(ArrowTest, ARightClickShiftsEveryPatternFillByOneAndNothingElse) {
    const auto first = doc->addPatternPath(kTurnedPattern);
    const auto flat = doc->addFlatPath();
    const auto unfilled = doc->addPath([] {
        AIPathStyle s = simhost::defaultPathStyle();
        s.fillPaint = 0;
        s.fillColorKind = kPattern;
        s.pattern = simhost::patternHandle(0);
        return s;
    }());
    const auto image = doc->addPlaced({2, 0, 0, 2, 5, 5});
    const auto text = doc->addArt(kTextFrameArt);
    const auto second = doc->addPatternPath();
    doc->selectAll();
    const AIPathStyle flatBefore = doc->style(flat);
    const AIPathStyle unfilledBefore = doc->style(unfilled);

    click(1);

    EXPECT_EQ(doc->patternMatrix(first), shifted(kTurnedPattern, 1, 0));
    EXPECT_EQ(doc->patternMatrix(second), shifted(kIdentity, 1, 0));
    EXPECT_TRUE(sameBytes(doc->style(flat), flatBefore));
    EXPECT_TRUE(sameBytes(doc->style(unfilled), unfilledBefore));
    EXPECT_EQ(doc->matrix(image), (AIRealMatrix{2, 0, 0, 2, 5, 5}));
    EXPECT_EQ(host->document().art(text).type, kTextFrameArt);
    EXPECT_TRUE(alerts().empty());
}

TEST_F(ArrowTest, OnlyThePatternMatrixOfAShiftedStyleChanges) {
    const auto path = doc->addPatternPath(kTurnedPattern);
    doc->select({path});
    AIPathStyle expected = doc->style(path);
    expected.transform.ty -= 1;

    click(3);

    EXPECT_TRUE(sameBytes(doc->style(path), expected));
}

// Items 1 to 8 and the translation the host is given for a step of 2,
// in the host's upward-growing page coordinates.
class ArrowDirectionTest : public PaletteFixture,
                           public ::testing::WithParamInterface<std::tuple<int, float, float>> {};

TEST_P(ArrowDirectionTest, EachArrowMovesThePatternItsWay) {
    const auto [item, tx, ty] = GetParam();
    const auto path = doc->addPatternPath(kTurnedPattern);
    doc->select({path});
    holdKeys({kEnlargeKey});

    click(item);

    EXPECT_EQ(doc->patternMatrix(path), shifted(kTurnedPattern, tx, ty));
}

INSTANTIATE_TEST_SUITE_P(ItemsOneToEight, ArrowDirectionTest,
                         ::testing::Values(std::make_tuple(1, 2.0f, 0.0f),    // right
                                           std::make_tuple(2, 2.0f, -2.0f),   // down and right
                                           std::make_tuple(3, 0.0f, -2.0f),   // down
                                           std::make_tuple(4, -2.0f, -2.0f),  // down and left
                                           std::make_tuple(5, -2.0f, 0.0f),   // left
                                           std::make_tuple(6, -2.0f, 2.0f),   // up and left
                                           std::make_tuple(7, 0.0f, 2.0f),    // up
                                           std::make_tuple(8, 2.0f, 2.0f)));  // up and right

TEST_F(ArrowTest, TheHostIsHandedTheTranslationWithItsSign) {
    const auto path = doc->addPatternPath();
    doc->select({path});
    startRecording();
    click(7);
    click(3);
    std::vector<std::string> translations;
    for (const auto& record : host->log().records()) {
        if (record.suite == kAIRealMathSuite && record.entry == 43) {
            translations.push_back(record.args);
        }
    }
    ASSERT_EQ(translations.size(), 2u);
    EXPECT_EQ(translations[0], "0.000000 1.000000");
    EXPECT_EQ(translations[1], "0.000000 -1.000000");
}

TEST_F(ArrowTest, TwoClicksAddUpAndKeepScaleAndRotation) {
    const auto path = doc->addPatternPath(kTurnedPattern);
    doc->select({path});
    click(3);
    click(3);
    EXPECT_EQ(doc->patternMatrix(path), shifted(kTurnedPattern, 0, -2));
}

// The keys held besides 241 and the step with and without 241.
class StepLengthTest : public PaletteFixture,
                       public ::testing::WithParamInterface<std::tuple<std::vector<int>, float, float>> {};

TEST_P(StepLengthTest, ModifierKeysScaleTheStep) {
    const auto [keys, withEnlarge, without] = GetParam();
    const auto path = doc->addPatternPath();
    doc->select({path});

    holdKeys(keys);
    click(1);
    EXPECT_EQ(doc->patternMatrix(path).tx, without);

    std::vector<int> enlarged = keys;
    enlarged.push_back(kEnlargeKey);
    holdKeys(enlarged);
    click(5);
    EXPECT_EQ(doc->patternMatrix(path).tx, without - withEnlarge);
}

INSTANTIATE_TEST_SUITE_P(
    SixteenCombinations, StepLengthTest,
    ::testing::Values(std::make_tuple(std::vector<int>{}, 2.0f, 1.0f),
                      std::make_tuple(std::vector<int>{kDoubleKey}, 4.0f, 0.5f),
                      std::make_tuple(std::vector<int>{kByFourKey}, 8.0f, 0.25f),
                      std::make_tuple(std::vector<int>{kDoubleKey, kByFourKey}, 16.0f, 0.125f),
                      std::make_tuple(std::vector<int>{kByEightKey}, 16.0f, 0.125f),
                      std::make_tuple(std::vector<int>{kDoubleKey, kByEightKey}, 32.0f, 0.0625f),
                      std::make_tuple(std::vector<int>{kByFourKey, kByEightKey}, 64.0f, 0.03125f),
                      std::make_tuple(std::vector<int>{kDoubleKey, kByFourKey, kByEightKey}, 128.0f,
                                      0.015625f)));

TEST_F(ArrowTest, WithoutAKeyMapEveryModifierIsUpAndTheStepIsOne) {
    const auto path = doc->addPatternPath();
    doc->select({path});
    holdKeys({kEnlargeKey, kDoubleKey, kByFourKey, kByEightKey});
    host->dialogs().setKeyMapAvailable(false);
    click(1);
    EXPECT_EQ(doc->patternMatrix(path).tx, 1.0f);
}

TEST_F(ArrowTest, OtherKeysDoNotChangeTheStep) {
    const auto path = doc->addPatternPath();
    doc->select({path});
    holdKeys({0, 56, 242, 245, 256});
    click(1);
    EXPECT_EQ(doc->patternMatrix(path).tx, 1.0f);
}

TEST_F(ArrowTest, EachModifierIsReadFromAFreshKeyMap) {
    doc->select({doc->addPatternPath()});
    startRecording();
    click(1);
    EXPECT_EQ(callsTo("ADM Tracker Suite:11"), 4);
}

TEST_F(ArrowTest, APathInsideAGroupMovesOnlyWhenItIsSelectedItself) {
    simhost::ArtId member = simhost::kNoArt;
    const auto group = doc->addGroupWithPatternPath(&member);
    doc->select({group});
    click(1);
    EXPECT_EQ(doc->patternMatrix(member), kIdentity);
    doc->select({group, member});
    click(1);
    EXPECT_EQ(doc->patternMatrix(member), shifted(kIdentity, 1, 0));
}

TEST_F(ArrowTest, NotificationsOtherThanAClickAreIgnored) {
    const auto path = doc->addPatternPath();
    doc->select({path});
    startRecording();
    click(1, "ADM Bounds Changed Notifier");
    click(1, "adm user changed notifier");
    EXPECT_EQ(doc->patternMatrix(path), kIdentity);
    EXPECT_EQ(recordedCalls(), (std::vector<std::string>{"ADM Notifier Suite:3", "ADM Notifier Suite:3"}));
}

TEST_F(ArrowTest, NothingSelectedDoesNothingAndSaysNothing) {
    doc->addPatternPath();
    click(1);
    EXPECT_TRUE(alerts().empty());
}

TEST_F(ArrowTest, ASelectionThatCannotBeReadEndsTheClickSilently) {
    const auto path = doc->addPatternPath();
    doc->select({path});
    host->faults().failEntry(kAIMatchingArtSuite, 0, kCanceledErr);
    click(1);
    EXPECT_EQ(doc->patternMatrix(path), kIdentity);
    EXPECT_TRUE(alerts().empty());
}

// One click on item 3 over a pattern-filled path, a flat path and placed
// art, with no key held: the host calls the click is made of, in order.
TEST_F(ArrowTest, AClickMakesTheHostCallsItNeedsAndNoOthers) {
    const auto pattern = doc->addPatternPath();
    const auto flat = doc->addFlatPath();
    const auto image = doc->addPlaced(kIdentity);
    doc->select({pattern, flat, image});
    startRecording();

    click(3);

    const std::vector<std::string> expected = {
        "ADM Notifier Suite:3",     // is it a click?
        "ADM Item Suite:23",        // the palette
        "ADM Tracker Suite:11",     // 241
        "ADM Tracker Suite:11",     // 240
        "ADM Tracker Suite:11",     // 243
        "ADM Tracker Suite:11",     // 244
        "ADM Dialog Suite:78",      // item 1
        "ADM Dialog Suite:78",      // item 2
        "ADM Dialog Suite:78",      // item 3: down
        "ADM Dialog Suite:78",      // item 10
        "ADM Dialog Suite:78",      // item 9
        "AI Matching Art Suite:0",  // the selection
        "AI Art Suite:6",          "AI Path Style Suite:0", "AI Real Math Suite:43", "AI Path Style Suite:1",
        "AI Art Suite:6",          "AI Path Style Suite:0", "AI Art Suite:6",
    };
    EXPECT_EQ(recordedCalls(), expected);
}

// --- failures

TEST_F(ArrowTest, AFailedStyleWriteKeepsTheEarlierShiftsAndStopsTheWalk) {
    std::vector<simhost::ArtId> paths;
    for (int i = 0; i < 5; ++i) {
        paths.push_back(doc->addPatternPath());
    }
    doc->select(paths);
    host->faults().failEntry(kAIPathStyleSuite, 1, kCanceledErr, 3);

    click(1);

    EXPECT_EQ(doc->patternMatrix(paths[0]).tx, 1.0f);
    EXPECT_EQ(doc->patternMatrix(paths[1]).tx, 1.0f);
    EXPECT_EQ(doc->patternMatrix(paths[2]).tx, 0.0f);
    EXPECT_EQ(doc->patternMatrix(paths[3]).tx, 0.0f);
    EXPECT_EQ(doc->patternMatrix(paths[4]).tx, 0.0f);
    EXPECT_EQ(alerts(), (std::vector<std::string>{"ERROR!", kCancelledAlert}));
}

TEST_F(ArrowTest, AnArtTypeThatCannotBeReadCancelsTheClick) {
    const auto first = doc->addPatternPath();
    const auto second = doc->addPatternPath();
    doc->select({first, second});
    host->faults().failEntry(kAIArtSuite, 6, kCanceledErr, 2);
    click(1);
    EXPECT_EQ(doc->patternMatrix(first).tx, 1.0f);
    EXPECT_EQ(doc->patternMatrix(second).tx, 0.0f);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert}));
}

TEST_F(ArrowTest, AStyleThatCannotBeReadCancelsTheClick) {
    const auto path = doc->addPatternPath();
    doc->select({path});
    host->faults().failEntry(kAIPathStyleSuite, 0, kCanceledErr);
    click(1);
    EXPECT_EQ(doc->patternMatrix(path).tx, 0.0f);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert}));
}

// --- a host that refused a suite the palette needs

class ArrowWithoutStylesTest : public PaletteFixture {
protected:
    void beforeStart() override { host->faults().refuse(kAIPathStyleSuite, std::nullopt); }
};

TEST_F(ArrowWithoutStylesTest, AClickEndsWithTheCancelAlertInsteadOfCallingThroughNothing) {
    const auto path = doc->addPatternPath();
    doc->select({path});
    startRecording();
    click(1);
    EXPECT_EQ(doc->patternMatrix(path), kIdentity);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert}));
    EXPECT_EQ(recordedCalls(), (std::vector<std::string>{"ADM Notifier Suite:3", "ADM Basic Suite:3"}));
}

class ArrowWithoutAlertsTest : public PaletteFixture {
protected:
    void beforeStart() override { host->faults().refuse(kADMBasicSuite, kADMBasicSuiteVersion); }
};

TEST_F(ArrowWithoutAlertsTest, AClickEndsAndNothingIsShown) {
    const auto path = doc->addPatternPath();
    doc->select({path});
    click(1);
    EXPECT_EQ(doc->patternMatrix(path), kIdentity);
    EXPECT_TRUE(alerts().empty());
}

}  // namespace
}  // namespace shunt_test
