#include "simhost/DialogManager.h"

#include <cstdint>

#include "simhost/Host.h"

namespace simhost {

namespace {

// A modal dialog whose buttons never end it would hang a real host; this one
// gives up after so many answers and reports it.
constexpr int kModalAnswerLimit = 16;

bool endsModalDialog(const std::string& kind) {
    return kind == "button" || kind == "default-button" || kind == "cancel-button";
}

}  // namespace

DialogManager::DialogManager(Host& host) : host_(host) {}

DialogManager::~DialogManager() = default;

void DialogManager::loadResources(SPPluginRef plugin, const std::string& folder) {
    resources_[plugin] = readResources(folder);
}

const PluginResources* DialogManager::resources(SPPluginRef plugin) const {
    auto found = resources_.find(plugin);
    return found == resources_.end() ? nullptr : &found->second;
}

bool DialogManager::pluginLoaded(SPPluginRef plugin) const {
    const LoadedPlugin* loaded = host_.findPlugin(plugin);
    return loaded != nullptr && loaded->library != nullptr;
}

ADMDialogRef DialogManager::create(SPPluginRef plugin, const char* name, ADMInt32 dialogID, ADMInt32 style,
                                   ADMDialogInitProc initProc, ADMUserData userData, bool modal) {
    const PluginResources* res = resources(plugin);
    if (res == nullptr) {
        return nullptr;
    }
    auto found = res->dialogs.find(dialogID);
    if (found == res->dialogs.end()) {
        return nullptr;
    }
    const DialogResource& resource = found->second;
    Dialog dialog;
    dialog.plugin = plugin;
    dialog.name = name != nullptr ? name : resource.name;
    dialog.resourceID = dialogID;
    dialog.style = style;
    dialog.modal = modal;
    dialog.userData = userData;
    dialog.bounds = resource.bounds;
    const ADMDialogRef ref = dialogs_.add(std::move(dialog));
    for (const ItemResource& itemResource : resource.items) {
        DialogItem item;
        item.dialog = ref;
        item.id = itemResource.id;
        item.kind = itemResource.kind;
        item.bounds = itemResource.bounds;
        item.text = itemResource.text;
        const ADMItemRef itemRef = items_.add(std::move(item));
        if (itemResource.kind == "popup" || itemResource.kind == "list") {
            const ADMListRef listRef = lists_.add(DialogList{itemRef, 0, {}, -1});
            items_.find(itemRef)->list = listRef;
        }
        dialogs_.find(ref)->items.push_back(itemRef);
    }
    if (initProc != nullptr && pluginLoaded(plugin)) {
        if (initProc(ref) != kNoErr) {
            destroy(ref);
            return nullptr;
        }
    }
    return ref;
}

ADMInt32 DialogManager::runModal(SPPluginRef plugin, const char* name, ADMInt32 dialogID, ADMInt32 style,
                                 ADMDialogInitProc initProc, ADMUserData userData) {
    const ADMDialogRef ref = create(plugin, name, dialogID, style, initProc, userData, true);
    if (ref == nullptr) {
        return -1;
    }
    DialogShown shown;
    shown.name = dialogs_.find(ref)->name;
    for (ADMItemRef itemRef : dialogs_.find(ref)->items) {
        const DialogItem* item = items_.find(itemRef);
        if (item->textSetByPlugin) {
            shown.itemTexts.emplace_back(item->id, item->text);
        }
    }
    host_.addEvent(shown);
    for (int attempt = 0; attempt < kModalAnswerLimit && !dialogs_.find(ref)->endedBy; ++attempt) {
        ADMInt32 answer = 1;
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        } else if (modalAnswerer_) {
            answer = modalAnswerer_(ref);
        }
        const ADMItemRef itemRef = findItem(ref, answer);
        if (itemRef == nullptr) {
            dialogs_.find(ref)->endedBy = answer;  // the user closed it some other way
            break;
        }
        notify(itemRef, kADMUserChangedNotifier);
    }
    Dialog* dialog = dialogs_.find(ref);
    if (!dialog->endedBy) {
        host_.violation("modal dialog \"" + dialog->name + "\" was never ended by its items");
        dialog->endedBy = 1;
    }
    const ADMInt32 endedBy = *dialog->endedBy;
    destroy(ref);
    return endedBy;
}

void DialogManager::destroy(ADMDialogRef ref) {
    Dialog* dialog = dialogs_.find(ref);
    if (dialog == nullptr) {
        return;
    }
    if (dialog->destroyProc != nullptr && pluginLoaded(dialog->plugin)) {
        const ADMDialogDestroyProc destroyProc = dialog->destroyProc;
        dialog->destroyProc = nullptr;  // a destroy procedure runs once
        destroyProc(ref);
    }
    removeDialog(ref);
}

void DialogManager::removeDialog(ADMDialogRef ref) {
    Dialog* dialog = dialogs_.find(ref);
    if (dialog == nullptr) {
        return;
    }
    for (ADMItemRef itemRef : dialog->items) {
        if (DialogItem* item = items_.find(itemRef); item != nullptr && item->list != nullptr) {
            if (DialogList* list = lists_.find(item->list)) {
                for (ADMEntryRef entry : list->entries) {
                    entries_.remove(entry);
                }
            }
            lists_.remove(item->list);
        }
        items_.remove(itemRef);
    }
    dialogs_.remove(ref);
}

void DialogManager::defaultNotify(ADMItemRef itemRef, ADMNotifierRef notifierRef) {
    DialogItem* item = items_.find(itemRef);
    const NotifierState* notifier = notifiers_.find(notifierRef);
    if (item == nullptr || notifier == nullptr) {
        return;
    }
    Dialog* dialog = dialogs_.find(item->dialog);
    if (dialog != nullptr && dialog->modal && notifier->type == kADMUserChangedNotifier &&
        endsModalDialog(item->kind)) {
        dialog->endedBy = item->id;
    }
}

ADMBoolean DialogManager::defaultTrack(ADMItemRef, ADMTrackerRef trackerRef) {
    const TrackerState* tracker = trackers_.find(trackerRef);
    if (tracker == nullptr) {
        return 0;
    }
    // The item takes button presses and releases; other events go on to the dialog.
    return tracker->action == kADMButtonDownAction || tracker->action == kADMButtonUpAction ? 1 : 0;
}

void DialogManager::alert(const char* text) {
    host_.addEvent(AlertShown{text});
    if (alertWaiter_) {
        alertWaiter_(text);
    }
}

ADMDialogRef DialogManager::findDialog(const std::string& name) const {
    for (std::size_t i = 0; i < dialogs_.size(); ++i) {
        if (dialogs_.aliveAt(i) && dialogs_.at(i).name == name) {
            return dialogs_.handleAt(static_cast<std::uint32_t>(i));
        }
    }
    return nullptr;
}

ADMItemRef DialogManager::findItem(ADMDialogRef ref, ADMInt32 itemID) const {
    const Dialog* dialog = dialogs_.find(ref);
    if (dialog == nullptr) {
        return nullptr;
    }
    for (ADMItemRef itemRef : dialog->items) {
        if (items_.find(itemRef)->id == itemID) {
            return itemRef;
        }
    }
    return nullptr;
}

void DialogManager::notify(ADMItemRef itemRef, const std::string& type) {
    DialogItem* item = items_.find(itemRef);
    if (item == nullptr) {
        return;
    }
    const ADMNotifierRef notifierRef = notifiers_.add(NotifierState{itemRef, type});
    const ADMItemNotifyProc notifyProc = item->notifyProc;
    const SPPluginRef plugin = dialogs_.find(item->dialog)->plugin;
    if (notifyProc != nullptr && pluginLoaded(plugin)) {
        notifyProc(itemRef, notifierRef);
    } else {
        defaultNotify(itemRef, notifierRef);
    }
    notifiers_.remove(notifierRef);
}

void DialogManager::choose(ADMItemRef itemRef, int index) {
    DialogItem* item = items_.find(itemRef);
    if (item == nullptr || item->list == nullptr) {
        return;
    }
    DialogList* list = lists_.find(item->list);
    list->active = index >= 0 && static_cast<std::size_t>(index) < list->entries.size() ? index : -1;
    notify(itemRef, kADMUserChangedNotifier);
}

ADMBoolean DialogManager::track(ADMItemRef itemRef, ADMInt32 action) {
    DialogItem* item = items_.find(itemRef);
    if (item == nullptr) {
        return 0;
    }
    const ADMTrackerRef trackerRef = trackers_.add(TrackerState{itemRef, action});
    const ADMItemTrackProc trackProc = item->trackProc;
    const SPPluginRef plugin = dialogs_.find(item->dialog)->plugin;
    const ADMBoolean result = trackProc != nullptr && pluginLoaded(plugin)
                                  ? trackProc(itemRef, trackerRef)
                                  : defaultTrack(itemRef, trackerRef);
    trackers_.remove(trackerRef);
    return result;
}

bool DialogManager::drag(ADMDialogRef ref, int v, int h) {
    Dialog* dialog = dialogs_.find(ref);
    if (dialog == nullptr) {
        return false;
    }
    const int height = dialog->bounds.bottom - dialog->bounds.top;
    const int width = dialog->bounds.right - dialog->bounds.left;
    if (v < INT16_MIN || h < INT16_MIN || v + height > INT16_MAX || h + width > INT16_MAX) {
        return false;
    }
    dialog->bounds = {static_cast<ASInt16>(v), static_cast<ASInt16>(h), static_cast<ASInt16>(v + height),
                      static_cast<ASInt16>(h + width)};
    return true;
}

void DialogManager::dock(ADMDialogRef ref, const std::string& group, ADMInt32 code) {
    if (Dialog* dialog = dialogs_.find(ref)) {
        dialog->groupName = group;
        dialog->dockCode = code;
    }
}

void DialogManager::setKeysDown(const std::vector<int>& keyCodes) {
    keyMap_.fill(0);
    for (int code : keyCodes) {
        if (code >= 0 && code < kADMKeyMapSize) {
            keyMap_[static_cast<std::size_t>(code)] = 1;
        }
    }
}

void DialogManager::setMenu(ADMListRef listRef, ADMInt32 menuID) {
    DialogList* list = lists_.find(listRef);
    if (list == nullptr) {
        return;
    }
    for (ADMEntryRef entry : list->entries) {
        entries_.remove(entry);
    }
    list->entries.clear();
    list->active = -1;
    list->menuID = menuID;
    const DialogItem* item = items_.find(list->item);
    const Dialog* dialog = item != nullptr ? dialogs_.find(item->dialog) : nullptr;
    const PluginResources* res = dialog != nullptr ? resources(dialog->plugin) : nullptr;
    if (res == nullptr) {
        return;
    }
    auto menu = res->menus.find(menuID);
    if (menu == res->menus.end()) {
        return;
    }
    for (std::size_t i = 0; i < menu->second.size(); ++i) {
        const ADMEntryRef entry =
            entries_.add(DialogEntry{listRef, static_cast<ADMInt32>(i), menu->second[i]});
        lists_.find(listRef)->entries.push_back(entry);
    }
}

}  // namespace simhost
