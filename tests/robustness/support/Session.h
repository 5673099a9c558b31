// One run of the host with the Shunt Palette bundle loaded, driven the way the
// host and its user drive it: messages to PluginMain, menu choices and clicks
// on the palette. The robustness tools (the fault sweep, the lifecycle fuzzer)
// build everything on this.
//
// The palette's procedures are called only while the palette exists, as the
// host does; an action on a palette that is not there does nothing and says
// so by its result.
#ifndef TESTS_ROBUSTNESS_SESSION_H
#define TESTS_ROBUSTNESS_SESSION_H

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "simhost/DialogManager.h"
#include "simhost/Host.h"

namespace shunt_robustness {

// Texts of the plug-in's menu items as the host's menus show them.
inline constexpr const char* kPaletteMenuText = "Shunt Palette";
inline constexpr const char* kAboutMenuText = "Shunt Palette...";
inline constexpr const char* kSharedAboutMenuText = "About Korvane Plug-ins";
inline constexpr const char* kPaletteDialogName = "ShuntDialog";
inline constexpr int kPopupItem = -5;

// The host without its call log: the robustness runs make many thousands of
// calls and read the log only when they ask for it.
simhost::HostOptions quietHostOptions();

// The bundle this build made.
std::string defaultBundleDir();

class Session {
public:
    explicit Session(const std::string& bundleDir, simhost::HostOptions options = quietHostOptions());
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    simhost::Host& host() { return *host_; }
    const simhost::Host& host() const { return *host_; }
    SPPluginRef plugin() const { return plugin_; }

    // --- the host's messages
    // "Startup", then the application-started notification.
    void startup();
    // "Startup" alone: the palette comes with the notification.
    void sendStartup();
    void fireApplicationStarted();
    // "Shutdown" to a started plug-in, then the preferences are written.
    void shutdown();
    void about();
    // False when the host refused (access references held, not loaded).
    bool unload();
    bool reload();
    bool loaded() const;
    bool started() const;

    // --- menus: false when the plug-in has no such item
    bool chooseMenuItem(const std::string& text);
    // "AI Update" for every menu item of the plug-in, in menu order.
    void updateMenus();
    AIMenuItemHandle menuItem(const std::string& text) const;
    std::optional<bool> checkMark(const std::string& text) const;

    // --- the palette: false (or nullopt) when there is no palette
    bool paletteExists() const;
    ADMDialogRef palette() const;
    std::optional<bool> paletteVisible() const;
    bool click(int itemID, const std::string& type = kADMUserChangedNotifier);
    bool choose(int index);
    std::optional<ADMBoolean> track(int action);
    void holdKeys(const std::vector<int>& keyCodes);

private:
    std::unique_ptr<simhost::Host> host_;
    SPPluginRef plugin_ = nullptr;
};

}  // namespace shunt_robustness

#endif
