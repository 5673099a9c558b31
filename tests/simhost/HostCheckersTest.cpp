// Each check of the simulated host, tripped by a deliberately wrong call made
// the way a faulty plug-in would make it: through the suites.
#include <gtest/gtest.h>

#include "HostFixture.h"

namespace shunt_test {
namespace {

class HostCheckersTest : public HostFixture {
protected:
    template <class Suite>
    const Suite* acquire(const char* name, ASInt32 version) {
        const void* suite = nullptr;
        EXPECT_EQ(host->basicSuite()->acquireSuite(name, version, &suite), kNoErr);
        return static_cast<const Suite*>(suite);
    }
    void release(const char* name, ASInt32 version) { host->basicSuite()->releaseSuite(name, version); }
};

TEST_F(HostCheckersTest, ASuiteAcquiredAndNeverReleasedDoesNotBalance) {
    acquire<ADMDialogSuite>(kADMDialogSuite, kADMDialogSuiteVersion);
    ASSERT_EQ(host->imbalances().size(), 1u);
    EXPECT_NE(host->imbalances()[0].find("ADM Dialog Suite"), std::string::npos);
    release(kADMDialogSuite, kADMDialogSuiteVersion);
    EXPECT_TRUE(host->imbalances().empty());
}

TEST_F(HostCheckersTest, ReleasingMoreOftenThanAcquiringIsReported) {
    expectViolation("more often than it was acquired");
    EXPECT_NE(host->basicSuite()->releaseSuite(kADMDialogSuite, kADMDialogSuiteVersion), kNoErr);
}

TEST_F(HostCheckersTest, ABlockNeverFreedDoesNotBalance) {
    void* block = nullptr;
    ASSERT_EQ(host->basicSuite()->allocateBlock(32, &block), kNoErr);
    EXPECT_EQ(static_cast<unsigned char*>(block)[0], 0xA5) << "fresh blocks are filled, not cleared";
    EXPECT_FALSE(host->imbalances().empty());
    host->basicSuite()->freeBlock(block);
    EXPECT_TRUE(host->imbalances().empty());
}

TEST_F(HostCheckersTest, FreeingABlockTwiceIsReported) {
    expectViolation("did not hand out");
    void* block = nullptr;
    ASSERT_EQ(host->basicSuite()->allocateBlock(8, &block), kNoErr);
    ASSERT_EQ(host->basicSuite()->freeBlock(block), kNoErr);
    EXPECT_NE(host->basicSuite()->freeBlock(block), kNoErr);
}

TEST_F(HostCheckersTest, AnAccessReferenceKeptDoesNotBalanceAndBlocksUnloading) {
    auto* access = acquire<SPAccessSuite>(kSPAccessSuite, kSPAccessSuiteVersion);
    SPAccessRef ref = nullptr;
    ASSERT_EQ(access->acquirePlugin(plugin, &ref), kNoErr);
    EXPECT_FALSE(host->imbalances().empty());
    EXPECT_TRUE(host->unload(plugin).has_value()) << "unloaded a plug-in that holds an access reference";
    EXPECT_EQ(access->releasePlugin(ref), kNoErr);
    release(kSPAccessSuite, kSPAccessSuiteVersion);
    EXPECT_TRUE(host->imbalances().empty());
    EXPECT_FALSE(host->unload(plugin).has_value());
}

TEST_F(HostCheckersTest, NullUnknownWrongKindAndExpiredHandlesAreReportedNotFollowed) {
    auto* dialogs = acquire<ADMDialogSuite>(kADMDialogSuite, kADMDialogSuiteVersion);
    expectViolation("isVisible: null handle");
    expectViolation("isVisible: wrong-kind handle");
    expectViolation("isVisible: unknown handle");
    expectViolation("isVisible: expired handle");
    EXPECT_EQ(dialogs->isVisible(nullptr), 0);
    EXPECT_EQ(dialogs->isVisible(reinterpret_cast<ADMDialogRef>(simhost::artHandle(0))), 0);
    EXPECT_EQ(dialogs->isVisible(simhost::encodeHandle<ADMDialogRef>(simhost::HandleKind::Dialog, 999)), 0);
    // A dialog that existed and was destroyed.
    simhost::PluginResources resources;
    simhost::parseResources("dialog 1 \"Probe\" bounds=0,0,10,10\n", "probe", resources);
    host->dialogs().setResources(plugin, resources);
    ADMDialogRef probe = dialogs->create(plugin, "Probe", 1, 0, nullptr, nullptr, 0);
    ASSERT_NE(probe, nullptr);
    dialogs->destroy(probe);
    EXPECT_EQ(dialogs->isVisible(probe), 0);
    release(kADMDialogSuite, kADMDialogSuiteVersion);
}

TEST_F(HostCheckersTest, AStrayEntryIsCountedAndAnswersAnError) {
    auto* art = acquire<AIArtSuite>(kAIArtSuite, kAIArtSuiteVersion);
    expectViolation("stray call to \"AI Art Suite\" entry 2");
    EXPECT_EQ(art->unused0_5[2](), kUnimplementedEntryErr);
    EXPECT_EQ(host->counters().strayCalls["AI Art Suite:2"], 1);
    release(kAIArtSuite, kAIArtSuiteVersion);
}

TEST_F(HostCheckersTest, ACallThroughASuiteNoLongerHeldIsReported) {
    auto* dialogs = acquire<ADMDialogSuite>(kADMDialogSuite, kADMDialogSuiteVersion);
    release(kADMDialogSuite, kADMDialogSuiteVersion);
    expectViolation("while the suite is not held");
    dialogs->isVisible(nullptr);
    expectViolation("isVisible: null handle");
}

TEST_F(HostCheckersTest, InjectedFaultsHitTheNamedEntryOnTheKthCallForNTimes) {
    host->faults().failEntry("SP Blocks Suite", 0, 42, /*at=*/2, /*times=*/2);
    auto* blocks = acquire<SPBlocksSuite>(kSPBlocksSuite, kSPBlocksSuiteVersion);
    void* block[4] = {};
    std::vector<ASErr> results;
    for (void*& b : block) {
        results.push_back(blocks->allocateBlock(4, "probe", &b));
    }
    EXPECT_EQ(results, (std::vector<ASErr>{kNoErr, 42, 42, kNoErr}));
    blocks->freeBlock(block[0]);
    blocks->freeBlock(block[3]);
    release(kSPBlocksSuite, kSPBlocksSuiteVersion);
    EXPECT_TRUE(host->imbalances().empty());
}

// The host's own list of entries that never fail, which scenarios are refused
// faults by, must say how each entry is served; a wrong list trips.
TEST_F(HostCheckersTest, AnEntryServedOtherwiseThanItsSuiteListsIsReported) {
    simhost::SuiteKey listed{"Probe Suite", 1, 1, {5}};
    expectViolation(
        "entry 5 of \"Probe Suite\" is listed as one that never fails but is served as one that can");
    EXPECT_EQ(host->enter(listed, 5, [] { return std::string(); }), std::nullopt);
    expectViolation("entry 6 of \"Probe Suite\" never fails but is not listed as such");
    host->enter(
        listed, 6, [] { return std::string(); }, false);
    const auto silent = host->entriesThatNeverFail();
    EXPECT_EQ(silent.at(kADMTrackerSuite), (std::vector<int>{1, 11}));
    EXPECT_EQ(silent.at(kSPBlocksSuite), std::vector<int>{});
}

TEST_F(HostCheckersTest, TheNthFailableCallFailsWhateverItIs) {
    host->faults().failNthCall(2, 9);
    const void* first = nullptr;
    const void* second = nullptr;
    EXPECT_EQ(host->basicSuite()->acquireSuite(kSPBlocksSuite, kSPBlocksSuiteVersion, &first), kNoErr);
    EXPECT_EQ(host->basicSuite()->acquireSuite(kSPBlocksSuite, kSPBlocksSuiteVersion, &second),
              kSPSuiteNotFoundError);
    EXPECT_EQ(second, nullptr);
    release(kSPBlocksSuite, kSPBlocksSuiteVersion);
}

TEST_F(HostCheckersTest, ARefusedSuiteLeavesTheGlobalUntouched) {
    host->faults().refuse(kADMIconSuite, kADMIconSuiteVersion, 77);
    const void* suite = reinterpret_cast<const void*>(&host);
    EXPECT_EQ(host->basicSuite()->acquireSuite(kADMIconSuite, kADMIconSuiteVersion, &suite), 77);
    EXPECT_EQ(suite, reinterpret_cast<const void*>(&host));
}

}  // namespace
}  // namespace shunt_test
