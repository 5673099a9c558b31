// isPressed, the key test of the maker's shared code, against the simulated
// host's key map.
#include <gtest/gtest.h>

#include <memory>

#include "keypress.h"
#include "shellMain.h"
#include "simhost/DialogManager.h"
#include "simhost/Host.h"

// The one suite global isPressed uses; in the plug-in the suite table fills it.
const ADMTrackerSuite* sADMTracker = nullptr;

namespace shunt_test {
namespace {

class KeypressTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<simhost::Host>();
        const void* suite = nullptr;
        ASSERT_EQ(host->basicSuite()->acquireSuite(kADMTrackerSuite, kADMTrackerSuiteVersion, &suite),
                  kNoErr);
        sADMTracker = static_cast<const ADMTrackerSuite*>(suite);
        host->log().clear();
    }
    void TearDown() override {
        host->basicSuite()->releaseSuite(kADMTrackerSuite, kADMTrackerSuiteVersion);
        sADMTracker = nullptr;
        EXPECT_TRUE(host->violations().empty()) << ::testing::PrintToString(host->violations());
        host.reset();
    }
    long keyMapReads() const {
        long n = 0;
        for (const auto& call : host->log().entries()) {
            n += call == "ADM Tracker Suite:11";
        }
        return n;
    }

    std::unique_ptr<simhost::Host> host;
};

TEST_F(KeypressTest, AKeyIsDownWhenTheMapSaysSo) {
    host->dialogs().setKeysDown({0, 241, 256});
    EXPECT_TRUE(isPressed(0));
    EXPECT_TRUE(isPressed(241));
    EXPECT_TRUE(isPressed(256));
    EXPECT_FALSE(isPressed(240));
    EXPECT_EQ(keyMapReads(), 4);
}

TEST_F(KeypressTest, CodesOutsideTheMapAreUpWithoutAskingTheHost) {
    host->dialogs().setKeysDown({0, 256});
    EXPECT_FALSE(isPressed(-1));
    EXPECT_FALSE(isPressed(257));
    EXPECT_FALSE(isPressed(100000));
    EXPECT_EQ(keyMapReads(), 0);
}

TEST_F(KeypressTest, EveryKeyIsUpWhenTheHostGivesNoMap) {
    host->dialogs().setKeysDown({241});
    host->dialogs().setKeyMapAvailable(false);
    EXPECT_FALSE(isPressed(241));
}

TEST_F(KeypressTest, EveryKeyIsUpWithoutTheTrackerSuite) {
    host->dialogs().setKeysDown({241});
    const ADMTrackerSuite* held = sADMTracker;
    sADMTracker = nullptr;
    EXPECT_FALSE(isPressed(241));
    sADMTracker = held;
    EXPECT_EQ(keyMapReads(), 0);
}

}  // namespace
}  // namespace shunt_test
