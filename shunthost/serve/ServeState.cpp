// The page's view of the host as JSON, published after every job.
#include <filesystem>
#include <nlohmann/json.hpp>

#include "ServeSession.h"
#include "Text.h"
#include "simhost/DialogManager.h"
#include "simhost/Menus.h"

namespace shunthost::serve {

using nlohmann::json;

namespace {

json rectJson(const ADMRect& r) {
    return {{"top", r.top}, {"left", r.left}, {"bottom", r.bottom}, {"right", r.right}};
}

json menuItemsJson(simhost::Menus& menus, AIMenuGroup groupRef);

json menuItemJson(simhost::Menus& menus, AIMenuItemHandle handle) {
    const simhost::MenuItem* item = menus.item(handle);
    json out = {{"index", menus.items().indexOf(handle)},
                {"text", item->text},
                {"checked", item->checked},
                {"fromPlugin", item->plugin != nullptr}};
    if (item->submenu != nullptr) {
        out["submenu"] = menuItemsJson(menus, item->submenu);
    }
    return out;
}

json menuItemsJson(simhost::Menus& menus, AIMenuGroup groupRef) {
    json items = json::array();
    if (const simhost::MenuGroup* group = menus.groups().find(groupRef)) {
        for (AIMenuItemHandle handle : group->items) {
            if (menus.item(handle) != nullptr) {
                items.push_back(menuItemJson(menus, handle));
            }
        }
    }
    return items;
}

// The host's own groups that hold something, as the menu bar's menus.
json menusJson(simhost::Menus& menus) {
    json bar = json::array();
    auto& groups = menus.groups();
    for (std::uint32_t i = 0; i < groups.size(); ++i) {
        if (!groups.aliveAt(i) || groups.at(i).parentItem != nullptr) {
            continue;
        }
        json items = menuItemsJson(menus, groups.handleAt(i));
        if (!items.empty()) {
            bar.push_back({{"name", groups.at(i).name}, {"items", std::move(items)}});
        }
    }
    return bar;
}

}  // namespace

std::string ServeSession::stateJson() const {
    simhost::Host& host = *host_;
    simhost::DialogManager& dialogs = host.dialogs();
    json state;
    // Once saved elsewhere, the document is the file it was saved to; what
    // the save said holds until the next change.
    const bool saved = !savedMessage_.empty();
    const std::string& file = saved ? settings_.saveTo : settings_.artworkPath;
    state["document"] = {{"name", std::filesystem::path(file).filename().string()},
                         {"saveTo", settings_.saveTo},
                         {"unsaved", unsaved_},
                         {"message", unsaved_ ? std::string() : savedMessage_},
                         {"renderError", renderError_}};
    state["artworkVersion"] = artworkVersion_;
    state["selection"] = host.document().selection();
    state["selectionVersion"] = selectionVersion_;
    state["undo"] = history_.canUndo();
    state["redo"] = history_.canRedo();
    state["running"] = started_;
    state["log"] = log_;

    json paletteJson = nullptr;
    if (const simhost::Dialog* dialog = dialogs.dialog(palette())) {
        json items = json::array();
        for (ADMItemRef itemRef : dialog->items) {
            const simhost::DialogItem* item = dialogs.item(itemRef);
            json itemJson = {{"id", item->id},
                             {"kind", item->kind},
                             {"bounds", rectJson(item->bounds)},
                             {"text", item->textSetByPlugin ? macRomanToUtf8(item->text) : item->text}};
            const int plugin = pluginIndex(dialog->plugin);
            if ((item->pictureID != 0 || !item->pictureName.empty()) &&
                pictures_.find(plugin, item->pictureID, item->pictureName)) {
                itemJson["picture"] = {
                    {"plugin", plugin}, {"id", item->pictureID}, {"name", item->pictureName}};
            }
            if (const simhost::DialogList* list = dialogs.lists().find(item->list)) {
                json entries = json::array();
                for (ADMEntryRef entryRef : list->entries) {
                    entries.push_back(macRomanToUtf8(dialogs.entries().find(entryRef)->text));
                }
                itemJson["entries"] = std::move(entries);
            }
            items.push_back(std::move(itemJson));
        }
        paletteJson = {{"visible", dialog->visible},
                       {"bounds", rectJson(dialog->bounds)},
                       {"group", dialog->groupName},
                       {"dockCode", dialog->dockCode},
                       {"items", std::move(items)}};
    }
    state["palette"] = std::move(paletteJson);
    state["menus"] = menusJson(host.menus());

    json modal = nullptr;
    if (!modals_.empty()) {
        const OpenModal& open = modals_.back();
        json buttons = json::array();
        for (const auto& [item, caption] : open.buttons) {
            buttons.push_back({{"item", item}, {"text", caption}});
        }
        modal = {{"number", open.number},
                 {"kind", open.isAlert ? "alert" : "dialog"},
                 {"name", open.name},
                 {"texts", open.texts},
                 {"buttons", std::move(buttons)}};
    }
    state["modal"] = std::move(modal);
    // Invalid bytes in a text from the artwork or the plug-in become U+FFFD
    // instead of failing the whole state.
    std::string text = state.dump(-1, ' ', false, json::error_handler_t::replace);
    if (freshDelta_) {
        // The changes that made this artwork version, for the page to patch
        // its copy with; later states leave them out (a page that missed
        // them asks for them).
        text.pop_back();
        text += ",\"artworkDelta\":" + *deltas_.back().second + "}";
    }
    return text;
}

void ServeSession::publish() {
    unsaved_ = !sameState(savedState_, host_->document());
    refreshArtwork();
    if (host_->document().selection() != publishedSelection_ || selectionVersion_ == 0) {
        publishedSelection_ = host_->document().selection();
        ++selectionVersion_;
    }
    published_.publish(std::make_shared<const std::string>(stateJson()),
                       modals_.empty() ? 0 : modals_.back().number);
    freshDelta_ = false;
}

}  // namespace shunthost::serve
