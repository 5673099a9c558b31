#include "HostFixture.h"

namespace shunt_test {

std::string bundleDir() {
    return SHUNT_BUNDLE_DIR;
}

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

void HostFixture::click(int itemID, const std::string& type) {
    ADMItemRef item = host->dialogs().findItem(palette(), itemID);
    ASSERT_NE(item, nullptr) << "the palette has no item " << itemID;
    host->dialogs().notify(item, type);
}

void HostFixture::choose(int index) {
    ADMItemRef item = host->dialogs().findItem(palette(), -5);
    ASSERT_NE(item, nullptr) << "the palette has no popup item";
    host->dialogs().choose(item, index);
}

ADMBoolean HostFixture::track(int action) {
    ADMItemRef item = host->dialogs().findItem(palette(), -5);
    EXPECT_NE(item, nullptr) << "the palette has no popup item";
    return item == nullptr ? 0 : host->dialogs().track(item, action);
}

long HostFixture::acquisitionsOf(const std::string& suite) const {
    auto found = host->counters().acquired.find(suite);
    return found == host->counters().acquired.end() ? 0 : found->second;
}

}  // namespace shunt_test
