#include "HostFixture.h"

namespace shunt_test {

std::string bundleDir() { return SHUNT_BUNDLE_DIR; }

void HostFixture::SetUp() {
    host = std::make_unique<simhost::Host>(hostOptions());
    plugin = host->loadBundle(bundleDir());
}

void HostFixture::TearDown() {
    for (const std::string& violation : host->violations()) {
        bool expected = false;
        for (const std::string& fragment : expectedViolations_) {
            expected = expected || violation.find(fragment) != std::string::npos;
        }
        EXPECT_TRUE(expected) << "host contract violation: " << violation;
    }
    for (const std::string& fragment : expectedViolations_) {
        bool seen = false;
        for (const std::string& violation : host->violations()) {
            seen = seen || violation.find(fragment) != std::string::npos;
        }
        EXPECT_TRUE(seen) << "expected a violation mentioning: " << fragment;
    }
    host.reset();
}

ASErr HostFixture::send(const char* caller, const char* selector) {
    return host->sendMessage(plugin, caller, selector);
}

long HostFixture::acquisitionsOf(const std::string& suite) const {
    auto found = host->counters().acquired.find(suite);
    return found == host->counters().acquired.end() ? 0 : found->second;
}

}  // namespace shunt_test
