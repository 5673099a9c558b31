// The plug-in's kit code linked into the test itself, with the suite table
// filled from the simulated host as PluginMain would fill it. Every test
// ends with every host string and block given back.
#ifndef TESTS_PLUGIN_KITFIXTURE_H
#define TESTS_PLUGIN_KITFIXTURE_H

#include <gtest/gtest.h>

#include "HostFixture.h"
#include "shellMain.h"
#include "simhost/UnicodeStrings.h"

namespace shunt_test {

class KitFixture : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        ASSERT_EQ(acquireSuites(host->basicSuite()), kNoErr);
    }
    void TearDown() override {
        releaseSuites(host->basicSuite());
        EXPECT_EQ(host->counters().hostStringsAlive, 0) << "a string was not released";
        EXPECT_TRUE(host->imbalances().empty()) << ::testing::PrintToString(host->imbalances());
        HostFixture::TearDown();
    }
    // Whether the host converts every character, or 7-bit ASCII only.
    static bool fullUnicode() { return simhost::unicode::fullSupport(); }
};

}  // namespace shunt_test

#endif
