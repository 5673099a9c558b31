#include "Session.h"

#include "simhost/Menus.h"
#include "simhost/Notifiers.h"

namespace shunt_robustness {

simhost::HostOptions quietHostOptions() {
    simhost::HostOptions options;
    options.logCalls = false;
    return options;
}

std::string defaultBundleDir() {
    return SHUNT_BUNDLE_DIR;
}

Session::Session(const std::string& bundleDir, simhost::HostOptions options)
    : host_(std::make_unique<simhost::Host>(std::move(options))) {
    plugin_ = host_->loadBundle(bundleDir);
}

void Session::startup() {
    host_->startup();
}

void Session::sendStartup() {
    host_->plugin(plugin_).started = true;
    host_->sendInterface(plugin_, kSPInterfaceStartupSelector);
}

void Session::fireApplicationStarted() {
    host_->notifiers().fire(kAIApplicationStartedNotifier);
}

void Session::shutdown() {
    host_->shutdown();
}

void Session::about() {
    host_->sendInterface(plugin_, kSPInterfaceAboutSelector);
}

bool Session::unload() {
    return !host_->unload(plugin_).has_value();
}

bool Session::reload() {
    return !host_->reload(plugin_).has_value();
}

bool Session::loaded() const {
    const simhost::LoadedPlugin* loaded = host_->findPlugin(plugin_);
    return loaded != nullptr && loaded->library != nullptr;
}

bool Session::started() const {
    const simhost::LoadedPlugin* loaded = host_->findPlugin(plugin_);
    return loaded != nullptr && loaded->started;
}

AIMenuItemHandle Session::menuItem(const std::string& text) const {
    return host_->menus().findItem(text);
}

bool Session::chooseMenuItem(const std::string& text) {
    const AIMenuItemHandle item = menuItem(text);
    if (item == nullptr) {
        return false;
    }
    host_->sendMenu(plugin_, kSelectorAIGoMenuItem, item);
    return true;
}

void Session::updateMenus() {
    auto& items = host_->menus().items();
    std::vector<AIMenuItemHandle> ours;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items.aliveAt(i) && items.at(i).plugin == plugin_) {
            ours.push_back(items.handleAt(static_cast<std::uint32_t>(i)));
        }
    }
    for (AIMenuItemHandle item : ours) {
        host_->sendMenu(plugin_, kSelectorAIUpdateMenuItem, item);
    }
}

std::optional<bool> Session::checkMark(const std::string& text) const {
    const AIMenuItemHandle handle = menuItem(text);
    const simhost::MenuItem* item = handle != nullptr ? host_->menus().item(handle) : nullptr;
    if (item == nullptr) {
        return std::nullopt;
    }
    return item->checked;
}

ADMDialogRef Session::palette() const {
    return host_->dialogs().findDialog(kPaletteDialogName);
}

bool Session::paletteExists() const {
    return palette() != nullptr;
}

std::optional<bool> Session::paletteVisible() const {
    const simhost::Dialog* dialog = host_->dialogs().dialog(palette());
    if (dialog == nullptr) {
        return std::nullopt;
    }
    return dialog->visible;
}

bool Session::click(int itemID, const std::string& type) {
    const ADMItemRef item = host_->dialogs().findItem(palette(), itemID);
    if (item == nullptr) {
        return false;
    }
    host_->dialogs().notify(item, type);
    return true;
}

bool Session::choose(int index) {
    const ADMItemRef item = host_->dialogs().findItem(palette(), kPopupItem);
    if (item == nullptr) {
        return false;
    }
    host_->dialogs().choose(item, index);
    return true;
}

std::optional<ADMBoolean> Session::track(int action) {
    const ADMItemRef item = host_->dialogs().findItem(palette(), kPopupItem);
    if (item == nullptr) {
        return std::nullopt;
    }
    return host_->dialogs().track(item, action);
}

void Session::holdKeys(const std::vector<int>& keyCodes) {
    host_->dialogs().setKeysDown(keyCodes);
}

}  // namespace shunt_robustness
