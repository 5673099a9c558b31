// A host whose suites a test calls directly, the way a plug-in would.
#ifndef TESTS_SIMHOST_HOSTSUITEFIXTURE_H
#define TESTS_SIMHOST_HOSTSUITEFIXTURE_H

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "HostFixture.h"

namespace shunt_test {

class HostSuiteFixture : public HostFixture {
protected:
    template <class Suite>
    const Suite* acquire(const char* name, ASInt32 version) {
        const void* suite = nullptr;
        EXPECT_EQ(host->basicSuite()->acquireSuite(name, version, &suite), kNoErr);
        held_.emplace_back(name, version);
        return static_cast<const Suite*>(suite);
    }
    void TearDown() override {
        for (const auto& [name, version] : held_) {
            host->basicSuite()->releaseSuite(name, version);
        }
        HostFixture::TearDown();
    }

private:
    std::vector<std::pair<const char*, ASInt32>> held_;
};

}  // namespace shunt_test

#endif
