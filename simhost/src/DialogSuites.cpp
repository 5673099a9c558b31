// The dialog manager's suites over DialogManager.
#include <cstring>

#include "simhost/DialogManager.h"
#include "simhost/Host.h"

namespace simhost {

namespace {

SuiteKey kBasicKey{kADMBasicSuite, kADMBasicSuiteVersion, 0, {3, 24}};
SuiteKey kBasic10Key{kADMBasicSuite, kADMBasicSuiteVersion10, 0, {3, 24}};
SuiteKey kDialogKey{kADMDialogSuite, kADMDialogSuiteVersion, 0, {4, 19, 24, 27, 31, 32, 40, 41, 78}};
SuiteKey kItemKey{kADMItemSuite, kADMItemSuiteVersion, 0, {5, 7, 10, 12, 23, 25, 28, 31, 57, 75}};
SuiteKey kIconKey{kADMIconSuite, kADMIconSuiteVersion};
SuiteKey kListKey{kADMListSuite, kADMListSuiteVersion, 0, {0, 27}};
SuiteKey kDialogGroupKey{kADMDialogGroupSuite, kADMDialogGroupSuiteVersion};
SuiteKey kNotifierKey{kADMNotifierSuite, kADMNotifierSuiteVersion, 0, {2, 3}};
SuiteKey kEntryKey{kADMEntrySuite, kADMEntrySuiteVersion, 0, {6}};
SuiteKey kTrackerKey{kADMTrackerSuite, kADMTrackerSuiteVersion, 0, {1, 11}};

DialogManager& manager() {
    return Host::current().dialogs();
}

std::string text(const char* s) {
    return s == nullptr ? "null" : std::string("\"") + s + "\"";
}
std::string none() {
    return std::string();
}

// --- ADM Basic Suite, versions 2 and 10

ADMErr getIndexStringAt(const SuiteKey& key, SPPluginRef plugin, ADMInt32 listID, ADMInt32 index,
                        char* buffer, ADMInt32 bufferSize) {
    Host& host = Host::current();
    if (auto fault = host.enter(key, 0, [&] {
            return std::to_string(listID) + " " + std::to_string(index) + " " + std::to_string(bufferSize);
        })) {
        return *fault;
    }
    if (buffer == nullptr || bufferSize < 1) {
        host.violation("getIndexString: null buffer or a size below 1");
        return kBadParameterErr;
    }
    const PluginResources* res = host.dialogs().resources(plugin);
    if (res == nullptr) {
        host.violation("getIndexString: bad plug-in handle");
        buffer[0] = '\0';
        return kBadHandleErr;
    }
    auto list = res->stringLists.find(listID);
    if (list == res->stringLists.end()) {
        buffer[0] = '\0';
        return kNotFoundErr;
    }
    std::string value;
    if (index >= 1 && static_cast<std::size_t>(index) <= list->second.size()) {
        value = list->second[static_cast<std::size_t>(index) - 1];
    }
    const std::size_t n = std::min(value.size(), static_cast<std::size_t>(bufferSize) - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return kNoErr;
}

ADMErr basicGetIndexString(SPPluginRef plugin, ADMInt32 listID, ADMInt32 index, char* buffer,
                           ADMInt32 bufferSize) noexcept {
    return getIndexStringAt(kBasicKey, plugin, listID, index, buffer, bufferSize);
}
ADMErr basic10GetIndexString(SPPluginRef plugin, ADMInt32 listID, ADMInt32 index, char* buffer,
                             ADMInt32 bufferSize) noexcept {
    return getIndexStringAt(kBasic10Key, plugin, listID, index, buffer, bufferSize);
}

void messageAlertAt(const SuiteKey& key, const char* message) {
    Host& host = Host::current();
    host.enter(
        key, 3, [&] { return text(message); }, false);
    if (message == nullptr) {
        host.violation("messageAlert with a null text");
        return;
    }
    host.dialogs().alert(message);
}
void basicMessageAlert(const char* message) noexcept {
    messageAlertAt(kBasicKey, message);
}
void basic10MessageAlert(const char* message) noexcept {
    messageAlertAt(kBasic10Key, message);
}

void paletteLayoutBoundsAt(const SuiteKey& key, ADMRect* bounds) {
    Host& host = Host::current();
    host.enter(key, 24, none, false);
    if (bounds == nullptr) {
        host.violation("getPaletteLayoutBounds with a null rectangle");
        return;
    }
    *bounds = host.options().paletteArea;
}
void basicPaletteLayoutBounds(ADMRect* bounds) noexcept {
    paletteLayoutBoundsAt(kBasicKey, bounds);
}
void basic10PaletteLayoutBounds(ADMRect* bounds) noexcept {
    paletteLayoutBoundsAt(kBasic10Key, bounds);
}

ADMErr basic10AboutBox(const char* title, const char* description) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kBasic10Key, 47, [&] { return text(title) + " " + text(description); })) {
        return *fault;
    }
    host.addEvent(DialogShown{"About Box", {{1, title ? title : ""}, {2, description ? description : ""}}});
    return kNoErr;
}

ADMBasicSuite gBasicSuite{
    .getIndexString = basicGetIndexString,
    .messageAlert = basicMessageAlert,
    .getPaletteLayoutBounds = basicPaletteLayoutBounds,
};

ADMBasicSuite10 gBasic10Suite{
    .getIndexString = basic10GetIndexString,
    .messageAlert = basic10MessageAlert,
    .getPaletteLayoutBounds = basic10PaletteLayoutBounds,
    .aboutBox = basic10AboutBox,
};

// --- ADM Dialog Suite

ADMDialogRef dialogCreate(SPPluginRef plugin, const char* name, ADMInt32 dialogID, ADMInt32 style,
                          ADMDialogInitProc initProc, ADMUserData userData, ADMInt32 options) noexcept {
    Host& host = Host::current();
    if (host.enter(kDialogKey, 0, [&] {
            return text(name) + " " + std::to_string(dialogID) + " " + std::to_string(style) + " " +
                   std::to_string(options);
        })) {
        return nullptr;
    }
    if (host.findPlugin(plugin) == nullptr) {
        host.violation("create: bad plug-in handle");
        return nullptr;
    }
    return host.dialogs().create(plugin, name, dialogID, style, initProc, userData, false);
}

ADMInt32 dialogModal(SPPluginRef plugin, const char* name, ADMInt32 dialogID, ADMInt32 style,
                     ADMDialogInitProc initProc, ADMUserData userData, ADMInt32 options) noexcept {
    Host& host = Host::current();
    if (host.enter(kDialogKey, 1, [&] {
            return text(name) + " " + std::to_string(dialogID) + " " + std::to_string(style) + " " +
                   std::to_string(options);
        })) {
        return -1;
    }
    if (host.findPlugin(plugin) == nullptr) {
        host.violation("modal: bad plug-in handle");
        return -1;
    }
    return host.dialogs().runModal(plugin, name, dialogID, style, initProc, userData);
}

Dialog* checkedDialog(ADMDialogRef ref, const char* entry) {
    return Host::current().checked(manager().dialogs(), ref, entry);
}
DialogItem* checkedItem(ADMItemRef ref, const char* entry) {
    return Host::current().checked(manager().items(), ref, entry);
}

void dialogDestroy(ADMDialogRef dialog) noexcept {
    Host::current().enter(kDialogKey, 4, none, false);
    if (checkedDialog(dialog, "destroy") != nullptr) {
        manager().destroy(dialog);
    }
}

void dialogSetDestroyProc(ADMDialogRef dialog, ADMDialogDestroyProc destroyProc) noexcept {
    Host::current().enter(kDialogKey, 19, none, false);
    if (Dialog* d = checkedDialog(dialog, "setDestroyProc")) {
        d->destroyProc = destroyProc;
    }
}

ADMUserData dialogGetUserData(ADMDialogRef dialog) noexcept {
    Host::current().enter(kDialogKey, 24, none, false);
    Dialog* d = checkedDialog(dialog, "getUserData");
    return d != nullptr ? d->userData : nullptr;
}

SPPluginRef dialogGetPluginRef(ADMDialogRef dialog) noexcept {
    Host::current().enter(kDialogKey, 27, none, false);
    Dialog* d = checkedDialog(dialog, "getPluginRef");
    return d != nullptr ? d->plugin : nullptr;
}

void dialogShow(ADMDialogRef dialog, ADMBoolean show) noexcept {
    Host::current().enter(
        kDialogKey, 31, [&] { return std::to_string(show); }, false);
    if (Dialog* d = checkedDialog(dialog, "show")) {
        d->visible = show != 0;
    }
}

ADMBoolean dialogIsVisible(ADMDialogRef dialog) noexcept {
    Host::current().enter(kDialogKey, 32, none, false);
    Dialog* d = checkedDialog(dialog, "isVisible");
    return d != nullptr && d->visible ? 1 : 0;
}

void dialogSetBoundsRect(ADMDialogRef dialog, const ADMRect* bounds) noexcept {
    Host& host = Host::current();
    host.enter(
        kDialogKey, 40,
        [&] {
            return bounds == nullptr
                       ? std::string("null")
                       : std::to_string(bounds->top) + "," + std::to_string(bounds->left) + "," +
                             std::to_string(bounds->bottom) + "," + std::to_string(bounds->right);
        },
        false);
    Dialog* d = checkedDialog(dialog, "setBoundsRect");
    if (d == nullptr || bounds == nullptr) {
        return;
    }
    d->bounds = *bounds;
}

void dialogGetBoundsRect(ADMDialogRef dialog, ADMRect* bounds) noexcept {
    Host& host = Host::current();
    host.enter(kDialogKey, 41, none, false);
    Dialog* d = checkedDialog(dialog, "getBoundsRect");
    if (bounds == nullptr) {
        host.violation("getBoundsRect with a null rectangle");
        return;
    }
    if (d != nullptr) {
        *bounds = d->bounds;
    }
}

ADMItemRef dialogGetItem(ADMDialogRef dialog, ADMInt32 itemID) noexcept {
    Host::current().enter(
        kDialogKey, 78, [&] { return std::to_string(itemID); }, false);
    if (checkedDialog(dialog, "getItem") == nullptr) {
        return nullptr;
    }
    return manager().findItem(dialog, itemID);
}

ADMDialogSuite gDialogSuite{
    .create = dialogCreate,
    .modal = dialogModal,
    .destroy = dialogDestroy,
    .setDestroyProc = dialogSetDestroyProc,
    .getUserData = dialogGetUserData,
    .getPluginRef = dialogGetPluginRef,
    .show = dialogShow,
    .isVisible = dialogIsVisible,
    .setBoundsRect = dialogSetBoundsRect,
    .getBoundsRect = dialogGetBoundsRect,
    .getItem = dialogGetItem,
};

// --- ADM Item Suite

void itemSetTrackProc(ADMItemRef item, ADMItemTrackProc trackProc) noexcept {
    Host::current().enter(kItemKey, 5, none, false);
    if (DialogItem* i = checkedItem(item, "setTrackProc")) {
        i->trackProc = trackProc;
    }
}

ADMBoolean itemDefaultTrack(ADMItemRef item, ADMTrackerRef tracker) noexcept {
    Host& host = Host::current();
    host.enter(kItemKey, 7, none, false);
    if (checkedItem(item, "defaultTrack") == nullptr ||
        host.checked(manager().trackers(), tracker, "defaultTrack") == nullptr) {
        return 0;
    }
    return manager().defaultTrack(item, tracker);
}

void itemSetNotifyProc(ADMItemRef item, ADMItemNotifyProc notifyProc) noexcept {
    Host::current().enter(kItemKey, 10, none, false);
    if (DialogItem* i = checkedItem(item, "setNotifyProc")) {
        i->notifyProc = notifyProc;
    }
}

void itemDefaultNotify(ADMItemRef item, ADMNotifierRef notifier) noexcept {
    Host& host = Host::current();
    host.enter(kItemKey, 12, none, false);
    if (checkedItem(item, "defaultNotify") == nullptr ||
        host.checked(manager().notifiers(), notifier, "defaultNotify") == nullptr) {
        return;
    }
    manager().defaultNotify(item, notifier);
}

ADMDialogRef itemGetDialog(ADMItemRef item) noexcept {
    Host::current().enter(kItemKey, 23, none, false);
    DialogItem* i = checkedItem(item, "getDialog");
    return i != nullptr ? i->dialog : nullptr;
}

ADMListRef itemGetList(ADMItemRef item) noexcept {
    Host::current().enter(kItemKey, 25, none, false);
    DialogItem* i = checkedItem(item, "getList");
    return i != nullptr ? i->list : nullptr;
}

void itemInvalidate(ADMItemRef item) noexcept {
    Host::current().enter(kItemKey, 28, none, false);
    if (DialogItem* i = checkedItem(item, "invalidate")) {
        ++i->invalidations;
    }
}

void itemSetHighlightOnPress(ADMItemRef item, ADMBoolean highlight) noexcept {
    Host::current().enter(
        kItemKey, 31, [&] { return std::to_string(highlight); }, false);
    if (DialogItem* i = checkedItem(item, "setHighlightOnPress")) {
        i->highlightOnPress = highlight != 0;
    }
}

void itemSetPictureID(ADMItemRef item, ADMInt32 pictureResID, const char* pictureName) noexcept {
    Host& host = Host::current();
    host.enter(
        kItemKey, 57, [&] { return std::to_string(pictureResID) + " " + text(pictureName); }, false);
    if (DialogItem* i = checkedItem(item, "setPictureID")) {
        i->pictureID = pictureResID;
        i->pictureName = pictureName != nullptr ? pictureName : "";
    }
}

void itemSetText(ADMItemRef item, const char* value) noexcept {
    Host& host = Host::current();
    host.enter(
        kItemKey, 75, [&] { return text(value); }, false);
    DialogItem* i = checkedItem(item, "setText");
    if (i == nullptr) {
        return;
    }
    if (value == nullptr) {
        host.violation("setText with a null text");
        return;
    }
    i->text = value;
    i->textSetByPlugin = true;
}

ADMItemSuite gItemSuite{
    .setTrackProc = itemSetTrackProc,
    .defaultTrack = itemDefaultTrack,
    .setNotifyProc = itemSetNotifyProc,
    .defaultNotify = itemDefaultNotify,
    .getDialog = itemGetDialog,
    .getList = itemGetList,
    .invalidate = itemInvalidate,
    .setHighlightOnPress = itemSetHighlightOnPress,
    .setPictureID = itemSetPictureID,
    .setText = itemSetText,
};

ADMIconSuite gIconSuite{};

// --- ADM List, Entry, Notifier, Tracker and Dialog Group Suites

void listSetMenuID(ADMListRef list, ADMInt32 menuResID) noexcept {
    Host& host = Host::current();
    host.enter(
        kListKey, 0, [&] { return std::to_string(menuResID); }, false);
    if (host.checked(manager().lists(), list, "setMenuID") != nullptr) {
        manager().setMenu(list, menuResID);
    }
}

ADMEntryRef listGetActiveEntry(ADMListRef list) noexcept {
    Host& host = Host::current();
    host.enter(kListKey, 27, none, false);
    DialogList* l = host.checked(manager().lists(), list, "getActiveEntry");
    if (l == nullptr || l->active < 0) {
        return nullptr;
    }
    return l->entries[static_cast<std::size_t>(l->active)];
}

ADMListSuite gListSuite{
    .setMenuID = listSetMenuID,
    .getActiveEntry = listGetActiveEntry,
};

ADMInt32 entryGetIndex(ADMEntryRef entry) noexcept {
    Host& host = Host::current();
    host.enter(kEntryKey, 6, none, false);
    DialogEntry* e = host.checked(manager().entries(), entry, "getIndex");
    return e != nullptr ? e->index : -1;
}

ADMEntrySuite gEntrySuite{
    .getIndex = entryGetIndex,
};

ADMBoolean notifierIsNotifierType(ADMNotifierRef notifier, const char* notifierType) noexcept {
    Host& host = Host::current();
    host.enter(
        kNotifierKey, 2, [&] { return text(notifierType); }, false);
    NotifierState* n = host.checked(manager().notifiers(), notifier, "isNotifierType");
    if (n == nullptr || notifierType == nullptr) {
        return 0;
    }
    return n->type == notifierType ? 1 : 0;
}

void notifierGetNotifierType(ADMNotifierRef notifier, char* notifierType, ASUInt32 maxLength) noexcept {
    Host& host = Host::current();
    host.enter(
        kNotifierKey, 3, [&] { return std::to_string(maxLength); }, false);
    NotifierState* n = host.checked(manager().notifiers(), notifier, "getNotifierType");
    if (notifierType == nullptr || maxLength == 0) {
        host.violation("getNotifierType with a null buffer or size 0");
        return;
    }
    const std::string type = n != nullptr ? n->type : std::string();
    const std::size_t count = std::min<std::size_t>(type.size(), maxLength - 1);
    std::memcpy(notifierType, type.data(), count);
    notifierType[count] = '\0';
}

ADMNotifierSuite gNotifierSuite{
    .isNotifierType = notifierIsNotifierType,
    .getNotifierType = notifierGetNotifierType,
};

ADMInt32 trackerGetAction(ADMTrackerRef tracker) noexcept {
    Host& host = Host::current();
    host.enter(kTrackerKey, 1, none, false);
    TrackerState* t = host.checked(manager().trackers(), tracker, "getAction");
    return t != nullptr ? t->action : 0;
}

ADMBoolean trackerGetKeyMap(unsigned char* keyMap) noexcept {
    Host& host = Host::current();
    host.enter(kTrackerKey, 11, none, false);
    if (keyMap == nullptr) {
        host.violation("getKeyMap with a null buffer");
        return 0;
    }
    if (!manager().keyMapAvailable()) {
        return 0;
    }
    std::memcpy(keyMap, manager().keyMap().data(), kADMKeyMapSize);
    return 1;
}

ADMTrackerSuite gTrackerSuite{
    .getAction = trackerGetAction,
    .getKeyMap = trackerGetKeyMap,
};

ADMErr groupGetDialogGroupInfo(ADMDialogRef dialog, const char** groupName, ADMInt32* positionCode) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kDialogGroupKey, 1, none)) {
        return *fault;
    }
    Dialog* d = checkedDialog(dialog, "getDialogGroupInfo");
    if (d == nullptr) {
        return kBadHandleErr;
    }
    if (groupName != nullptr) {
        *groupName = d->groupName.c_str();
    }
    if (positionCode != nullptr) {
        *positionCode = d->dockCode;
    }
    return kNoErr;
}

ADMErr groupSetDialogGroupInfo(ADMDialogRef dialog, const char* groupName, ADMInt32 positionCode) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kDialogGroupKey, 2,
                                [&] { return text(groupName) + " " + std::to_string(positionCode); })) {
        return *fault;
    }
    Dialog* d = checkedDialog(dialog, "setDialogGroupInfo");
    if (d == nullptr) {
        return kBadHandleErr;
    }
    if (groupName == nullptr) {
        host.violation("setDialogGroupInfo with a null group name");
        return kBadParameterErr;
    }
    d->groupName = groupName;
    d->dockCode = positionCode;
    return kNoErr;
}

ADMDialogGroupSuite gDialogGroupSuite{
    .getDialogGroupInfo = groupGetDialogGroupInfo,
    .setDialogGroupInfo = groupSetDialogGroupInfo,
};

}  // namespace

void registerDialogSuites(Host& host) {
    registerSuite<kBasicKey>(host, gBasicSuite);
    registerSuite<kBasic10Key>(host, gBasic10Suite);
    registerSuite<kDialogKey>(host, gDialogSuite);
    registerSuite<kItemKey>(host, gItemSuite);
    registerSuite<kIconKey>(host, gIconSuite);
    registerSuite<kListKey>(host, gListSuite);
    registerSuite<kDialogGroupKey>(host, gDialogGroupSuite);
    registerSuite<kNotifierKey>(host, gNotifierSuite);
    registerSuite<kEntryKey>(host, gEntrySuite);
    registerSuite<kTrackerKey>(host, gTrackerSuite);
}

}  // namespace simhost
