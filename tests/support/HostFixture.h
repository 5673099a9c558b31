// A simulated host with the Shunt Palette bundle loaded, as the tests use it.
// Every test ends by checking that the host saw no contract violation.
#ifndef TESTS_SUPPORT_HOSTFIXTURE_H
#define TESTS_SUPPORT_HOSTFIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "simhost/DialogManager.h"
#include "simhost/Host.h"

namespace shunt_test {

std::string bundleDir();

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Override to change the host before the bundle loads.
    virtual simhost::HostOptions hostOptions() const { return {}; }

    // "Startup" to the plug-in, then the application-started notification.
    void startHost() { host->startup(); }
    void stopHost() { host->shutdown(); }

    ASErr send(const char* caller, const char* selector);
    std::vector<std::string> alerts() const { return host->alerts(); }
    // Host calls the plug-in made, as "Suite Name:entry", from now on.
    void startRecording() { host->log().clear(); }
    std::vector<std::string> recordedCalls() const { return host->log().entries(); }
    long acquisitionsOf(const std::string& suite) const;

    // The palette, once the application-started notification created it.
    ADMDialogRef palette() const { return host->dialogs().findDialog("ShuntDialog"); }
    // Palette item `itemID` gets a notification, by default a click.
    void click(int itemID, const std::string& type = kADMUserChangedNotifier);
    // The user chooses entry `index` of the palette's popup menu (item -5).
    void choose(int index);
    // The popup item's tracker sees `action`; what the tracker returned.
    ADMBoolean track(int action);
    // The key codes that are down from now on.
    void holdKeys(const std::vector<int>& keyCodes) { host->dialogs().setKeysDown(keyCodes); }

    // The violations the test expects; TearDown fails on any other.
    void expectViolation(const std::string& fragment) { expectedViolations_.push_back(fragment); }

    std::unique_ptr<simhost::Host> host;
    SPPluginRef plugin = nullptr;

private:
    std::vector<std::string> expectedViolations_;
};

}  // namespace shunt_test

#endif
