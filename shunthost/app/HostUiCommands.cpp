// Scenario commands that go through the host's menus and preferences.
#include "ScenarioRunner.h"
#include "simhost/Menus.h"
#include "simhost/PreferenceStore.h"

namespace shunthost {

namespace {

std::string quote(const std::string& text) {
    return "\"" + text + "\"";
}

std::string preferenceText(const simhost::PreferenceValue& value) {
    if (const auto* b = std::get_if<bool>(&value)) {
        return *b ? "1" : "0";
    }
    if (const auto* i = std::get_if<ASInt32>(&value)) {
        return std::to_string(*i);
    }
    if (const auto* p = std::get_if<ADMPoint>(&value)) {
        return std::to_string(p->v) + "," + std::to_string(p->h);
    }
    return quote(std::get<std::string>(value));
}

}  // namespace

void ScenarioRunner::executeHostUi(const Command& command) {
    const auto& name = command.name;
    if (name == "prefs") {
        const simhost::PreferenceStore store(settings_.preferencesFile);
        const auto entries = host_ ? host_->preferences().entries() : store.entries();
        for (const auto& entry : entries) {
            print("pref " + quote(entry.section) + " " + quote(entry.key) + " " +
                  preferenceText(entry.value));
        }
        return;
    }
    if (!host_) {
        print("refused " + quote(name) + ": the host is not running");
        return;
    }
    simhost::Menus& menus = host_->menus();
    if (name == "menu") {
        const AIMenuItemHandle item = menus.findItem(command.args[0]);
        if (item == nullptr) {
            print("refused \"menu\": there is no menu item " + quote(command.args[0]));
            return;
        }
        host_->sendMenu(menus.item(item)->plugin, kSelectorAIGoMenuItem, item);
    } else if (name == "update") {
        std::vector<AIMenuItemHandle> pluginItems;
        for (std::size_t i = 0; i < menus.items().size(); ++i) {
            if (menus.items().aliveAt(i) && menus.items().at(i).plugin != nullptr) {
                pluginItems.push_back(menus.items().handleAt(static_cast<std::uint32_t>(i)));
            }
        }
        for (AIMenuItemHandle item : pluginItems) {
            host_->sendMenu(menus.item(item)->plugin, kSelectorAIUpdateMenuItem, item);
        }
        for (AIMenuItemHandle item : pluginItems) {
            print("check " + quote(menus.item(item)->text) + " " + (menus.item(item)->checked ? "1" : "0"));
        }
    }
}

}  // namespace shunthost
