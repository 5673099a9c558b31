// Every check of the lifecycle fuzzer, tripped: a session is taken through
// the fuzzer's step protocol, and one step does what a faulty plug-in (or a
// host gone wrong) would do. The named check must report it.
#include <gtest/gtest.h>

#include <functional>

#include "LifecycleFuzzer.h"
#include "MixedArtwork.h"
#include "simhost/Document.h"

namespace shunt_robustness {
namespace {

// Through the suites, as a plug-in calls them.
template <class Suite>
const Suite* acquire(simhost::Host& host, const char* name, ASInt32 version) {
    const void* suite = nullptr;
    EXPECT_EQ(host.basicSuite()->acquireSuite(name, version, &suite), kNoErr) << name;
    return static_cast<const Suite*>(suite);
}

class InvariantTrip : public ::testing::Test {
protected:
    void SetUp() override {
        art = addMixedArtwork(host().document());
        ASSERT_TRUE(step(StepKind::Startup, [&] { session.sendStartup(); }).empty());
        ASSERT_TRUE(step(StepKind::ApplicationStarted, [&] { session.fireApplicationStarted(); }).empty());
        ASSERT_TRUE(session.paletteExists());
    }

    simhost::Host& host() { return session.host(); }

    // One step: `plan` fills in what the fuzzer would know before it runs.
    std::vector<std::string> step(StepKind kind, const std::function<void()>& action,
                                  const std::function<void(StepRecord&)>& plan = {}) {
        StepRecord record = beginStep(session, kind, "test step");
        if (plan) {
            plan(record);
        }
        action();
        return finishStep(session, record, state);
    }

    static bool tripped(const std::vector<std::string>& problems, const std::string& check) {
        for (const std::string& problem : problems) {
            if (problem.compare(0, check.size() + 1, check + ":") == 0) {
                return true;
            }
        }
        return false;
    }

    // The path style suite and a style as the plug-in would write it.
    void writeStyle(simhost::ArtId id, const std::function<void(AIPathStyle&)>& change) {
        const auto* pathStyle =
            acquire<AIPathStyleSuite>(host(), kAIPathStyleSuite, kAIPathStyleSuiteVersion);
        AIPathStyle style;
        ASSERT_EQ(pathStyle->getPathStyle(simhost::artHandle(id), &style), kNoErr);
        change(style);
        ASSERT_EQ(pathStyle->setPathStyle(simhost::artHandle(id), &style), kNoErr);
        host().basicSuite()->releaseSuite(kAIPathStyleSuite, kAIPathStyleSuiteVersion);
    }

    Session session{defaultBundleDir()};
    InvariantState state;
    MixedArtwork art{};
};

TEST_F(InvariantTrip, ACorrectSessionPassesEveryCheck) {
    EXPECT_TRUE(step(
                    StepKind::Click, [&] { session.click(3); },
                    [&](StepRecord& r) {
                        r.item = 3;
                        r.expected = expectClick(r.before, 3, 1.0f);
                    })
                    .empty());
    EXPECT_TRUE(step(StepKind::MenuUpdate, [&] { session.updateMenus(); }).empty());
    EXPECT_TRUE(step(StepKind::Shutdown, [&] { session.shutdown(); }).empty());
}

TEST_F(InvariantTrip, AHandleTheHostRejectsTripsNoHostViolation) {
    const auto problems = step(StepKind::Click, [&] {
        const auto* artSuite = acquire<AIArtSuite>(host(), kAIArtSuite, kAIArtSuiteVersion);
        ASInt16 type = 0;
        artSuite->getArtType(nullptr, &type);
        host().basicSuite()->releaseSuite(kAIArtSuite, kAIArtSuiteVersion);
    });
    EXPECT_TRUE(tripped(problems, "no host violation"));
}

TEST_F(InvariantTrip, AnEntryNoOperationUsesTripsNoStrayCall) {
    const auto problems = step(StepKind::Click, [&] {
        acquire<AIPatternSuite>(host(), kAIPatternSuite, kAIPatternSuiteVersion)->unused0();
        host().basicSuite()->releaseSuite(kAIPatternSuite, kAIPatternSuiteVersion);
    });
    EXPECT_TRUE(tripped(problems, "no stray call"));
}

TEST_F(InvariantTrip, ASuiteNeverReleasedTripsHoldingsBalance) {
    EXPECT_TRUE(
        tripped(step(StepKind::Click, [&] { acquire<AIArtSuite>(host(), kAIArtSuite, kAIArtSuiteVersion); }),
                "holdings balance"));
}

TEST_F(InvariantTrip, ABlockNeverFreedTripsHoldingsBalance) {
    EXPECT_TRUE(tripped(step(StepKind::About,
                             [&] {
                                 void* block = nullptr;
                                 host().basicSuite()->allocateBlock(16, &block);
                             }),
                        "holdings balance"));
}

TEST_F(InvariantTrip, APaletteDestroyedWithoutItsDestroyProcedureTripsHoldingsBalance) {
    // A host that destroyed the palette behind the plug-in's back: the
    // palette's level and access reference are still held.
    const auto problems = step(StepKind::Shutdown, [&] {
        host().dialogs().dialog(session.palette())->destroyProc = nullptr;
        host().dialogs().destroy(session.palette());
        session.shutdown();
    });
    EXPECT_TRUE(tripped(problems, "holdings balance"));
}

TEST_F(InvariantTrip, AStyleWrittenToAnUnselectedPathTripsOutsideTheSelection) {
    host().document().select({art.patternPath});
    const auto problems = step(StepKind::Click, [&] {
        writeStyle(art.loosePatternPath, [](AIPathStyle& s) { s.transform.tx += 1; });
    });
    EXPECT_TRUE(tripped(problems, "objects outside the selection untouched"));
}

TEST_F(InvariantTrip, AMatrixWrittenToAnUnselectedImageTripsOutsideTheSelection) {
    host().document().select({art.patternPath});
    const auto problems =
        step(StepKind::Choose, [&] { host().document().art(art.loosePlaced).matrix.a = 3; });
    EXPECT_TRUE(tripped(problems, "objects outside the selection untouched"));
}

TEST_F(InvariantTrip, AFillColourWrittenToASelectedPathTripsOnlyThePalettesFields) {
    const auto problems = step(StepKind::Click, [&] {
        writeStyle(art.patternPath, [](AIPathStyle& s) { s.fillColor[0] = 0.25f; });
    });
    EXPECT_TRUE(tripped(problems, "selected objects change only the palette's fields"));
}

TEST_F(InvariantTrip, ReservedBytesNotPassedThroughTripOnlyThePalettesFields) {
    const auto problems = step(StepKind::Click, [&] {
        writeStyle(art.dashedPath, [](AIPathStyle& s) { s.reserved33[0] ^= 0xFF; });
    });
    EXPECT_TRUE(tripped(problems, "selected objects change only the palette's fields"));
}

TEST_F(InvariantTrip, AnObjectGoneTripsTheDocumentKeepsItsObjects) {
    const auto problems = step(StepKind::Click, [&] { host().document().remove(art.text); });
    EXPECT_TRUE(tripped(problems, "the document keeps its objects"));
}

TEST_F(InvariantTrip, AClickThatMovesByTheWrongStepTripsButtonsDoWhatTheySay) {
    const auto problems = step(
        StepKind::Click,
        [&] {
            session.holdKeys({241});  // the keys change after the fuzzer worked out the step
            session.click(1);
        },
        [&](StepRecord& r) { r.expected = expectClick(r.before, 1, 1.0f); });
    EXPECT_TRUE(tripped(problems, "palette buttons do what they say"));
}

TEST_F(InvariantTrip, AResetThatLeavesADashOffsetTripsButtonsDoWhatTheySay) {
    const auto problems = step(
        StepKind::Click,
        [&] {
            session.click(11);
            writeStyle(art.dashedPath, [](AIPathStyle& s) { s.dashOffset = 0.5f; });
        },
        [&](StepRecord& r) { r.expected = expectClick(r.before, 11, 1.0f); });
    EXPECT_TRUE(tripped(problems, "palette buttons do what they say"));
}

TEST_F(InvariantTrip, AnAlertTooManyTripsAlertsAsExpected) {
    const auto problems = step(
        StepKind::Click,
        [&] {
            session.click(11);
            acquire<ADMBasicSuite>(host(), kADMBasicSuite, kADMBasicSuiteVersion)->messageAlert("Done.");
            host().basicSuite()->releaseSuite(kADMBasicSuite, kADMBasicSuiteVersion);
        },
        [&](StepRecord& r) { r.expected = expectClick(r.before, 11, 1.0f); });
    EXPECT_TRUE(tripped(problems, "alerts as expected"));
}

TEST_F(InvariantTrip, ACancelAlertWithNoFailureTripsNoErrorWithoutAFailure) {
    const auto problems = step(StepKind::MenuUpdate, [&] {
        acquire<ADMBasicSuite>(host(), kADMBasicSuite, kADMBasicSuiteVersion)
            ->messageAlert("There was an error, filter cancelled.");
        host().basicSuite()->releaseSuite(kADMBasicSuite, kADMBasicSuiteVersion);
    });
    EXPECT_TRUE(tripped(problems, "no error without a failure"));
}

TEST_F(InvariantTrip, AWrongCheckMarkTripsCheckMarkFollowsVisibility) {
    const auto problems = step(StepKind::MenuUpdate, [&] {
        session.updateMenus();
        const auto* menus = acquire<AIMenuSuite>(host(), kAIMenuSuite, kAIMenuSuiteVersion);
        menus->checkItem(session.menuItem(kPaletteMenuText), 0);
        host().basicSuite()->releaseSuite(kAIMenuSuite, kAIMenuSuiteVersion);
    });
    EXPECT_TRUE(tripped(problems, "check mark follows visibility"));
}

TEST_F(InvariantTrip, APaletteItemThatDoesNothingTripsTheToggleCheck) {
    const auto problems = step(
        StepKind::MenuGo,
        [&] {
            session.chooseMenuItem(kPaletteMenuText);
            host().dialogs().dialog(session.palette())->visible = true;  // shown again behind the user's back
        },
        [](StepRecord& r) { r.item = 0; });
    EXPECT_TRUE(tripped(problems, "palette item shows and hides the palette"));
}

TEST_F(InvariantTrip, APaletteGoneBeforeShutdownTripsThePalettesLife) {
    const auto problems = step(StepKind::Click, [&] { host().dialogs().destroy(session.palette()); });
    EXPECT_TRUE(tripped(problems, "palette lives from the application's start to shut-down"));
}

TEST_F(InvariantTrip, AGlobalsRecordLeftInTheHostAfterShutdownTripsTheGlobalsCheck) {
    int somewhere = 0;
    const auto problems = step(StepKind::Shutdown, [&] {
        session.shutdown();
        host().plugin(session.plugin()).globals = &somewhere;
    });
    EXPECT_TRUE(tripped(problems, "globals parked at unload and cleared at shut-down"));
}

TEST(InvariantTripBeforeThePalette, AnUnloadThatParksNoGlobalsTripsTheGlobalsCheck) {
    Session session(defaultBundleDir());
    InvariantState state;
    StepRecord start = beginStep(session, StepKind::Startup, "startup");
    session.sendStartup();
    ASSERT_TRUE(finishStep(session, start, state).empty());
    StepRecord unload = beginStep(session, StepKind::Unload, "unload");
    ASSERT_TRUE(session.unload());
    session.host().plugin(session.plugin()).globals = nullptr;  // lost on the way
    const auto problems = finishStep(session, unload, state);
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0].rfind("globals parked at unload and cleared at shut-down:", 0), 0u) << problems[0];
}

}  // namespace
}  // namespace shunt_robustness
