// The host's dialog manager: dialogs built from the plug-ins' resources,
// their items, lists and entries, the notifiers and trackers the host hands
// to item callbacks, the key map, alerts and the modal runner.
#ifndef SIMHOST_DIALOGMANAGER_H
#define SIMHOST_DIALOGMANAGER_H

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "hostapi/ADMSuites.h"
#include "simhost/Handles.h"
#include "simhost/Resources.h"

namespace simhost {

class Host;

struct DialogItem {
    ADMDialogRef dialog = nullptr;
    ADMInt32 id = 0;
    std::string kind;
    ADMRect bounds{};
    std::string text;
    bool textSetByPlugin = false;
    ADMItemNotifyProc notifyProc = nullptr;
    ADMItemTrackProc trackProc = nullptr;
    ADMListRef list = nullptr;
    bool highlightOnPress = false;
    ADMInt32 pictureID = 0;
    std::string pictureName;
    int invalidations = 0;
};

struct DialogList {
    ADMItemRef item = nullptr;
    ADMInt32 menuID = 0;
    std::vector<ADMEntryRef> entries;
    int active = -1;
};

struct DialogEntry {
    ADMListRef list = nullptr;
    ADMInt32 index = 0;
    std::string text;
};

struct Dialog {
    SPPluginRef plugin = nullptr;
    std::string name;
    ADMInt32 resourceID = 0;
    ADMInt32 style = 0;
    bool modal = false;
    ADMUserData userData = nullptr;
    ADMDialogDestroyProc destroyProc = nullptr;
    ADMRect bounds{};
    bool visible = true;
    std::string groupName;
    ADMInt32 dockCode = 0;
    std::vector<ADMItemRef> items;
    std::optional<ADMInt32> endedBy;  // a modal dialog ends through an item
};

struct NotifierState {
    ADMItemRef item = nullptr;
    std::string type;
};

struct TrackerState {
    ADMItemRef item = nullptr;
    ADMInt32 action = 0;
};

// Action codes of the host's trackers.
inline constexpr ADMInt32 kADMMouseMovedAction = 1;
inline constexpr ADMInt32 kADMButtonDownAction = 2;
inline constexpr ADMInt32 kADMButtonUpAction = 3;
inline constexpr ADMInt32 kADMKeyDownAction = 4;

class DialogManager {
public:
    explicit DialogManager(Host& host);
    ~DialogManager();

    // --- resources
    void loadResources(SPPluginRef plugin, const std::string& folder);
    void setResources(SPPluginRef plugin, PluginResources resources) {
        resources_[plugin] = std::move(resources);
    }
    const PluginResources* resources(SPPluginRef plugin) const;

    // --- what the suites do
    ADMDialogRef create(SPPluginRef plugin, const char* name, ADMInt32 dialogID, ADMInt32 style,
                        ADMDialogInitProc initProc, ADMUserData userData, bool modal);
    ADMInt32 runModal(SPPluginRef plugin, const char* name, ADMInt32 dialogID, ADMInt32 style,
                      ADMDialogInitProc initProc, ADMUserData userData);
    void destroy(ADMDialogRef dialog);
    void defaultNotify(ADMItemRef item, ADMNotifierRef notifier);
    ADMBoolean defaultTrack(ADMItemRef item, ADMTrackerRef tracker);
    void alert(const char* text);

    // --- what a user does (tests, scenarios, front ends)
    ADMDialogRef findDialog(const std::string& name) const;
    ADMItemRef findItem(ADMDialogRef dialog, ADMInt32 itemID) const;
    // The item gets a notification of that type, as a click would give it.
    void notify(ADMItemRef item, const std::string& type);
    // The user chooses entry `index` of the item's list, then the item is told.
    void choose(ADMItemRef item, int index);
    // The item's tracker procedure (or the default tracking) sees the action.
    ADMBoolean track(ADMItemRef item, ADMInt32 action);
    // Moves the dialog's top left corner there, keeping its size. Refused
    // (false, nothing moves) when any of its bounds would leave the host's
    // 16-bit coordinates.
    bool drag(ADMDialogRef dialog, int v, int h);
    void dock(ADMDialogRef dialog, const std::string& group, ADMInt32 code);
    // The next modal dialog ends through this item (default: its item 1).
    void answerNext(ADMInt32 itemID) { answers_.push_back(itemID); }
    // An interactive front end answers modal dialogs and alerts itself: the
    // answerer returns the item the user pressed (asked only when no
    // answerNext is queued); the alert waiter returns when the user
    // dismissed the alert. Both run on the host's thread and may block.
    void setModalAnswerer(std::function<ADMInt32(ADMDialogRef dialog)> answerer) {
        modalAnswerer_ = std::move(answerer);
    }
    void setAlertWaiter(std::function<void(const std::string& text)> waiter) {
        alertWaiter_ = std::move(waiter);
    }
    void setKeysDown(const std::vector<int>& keyCodes);
    void setKeyMapAvailable(bool available) { keyMapAvailable_ = available; }
    bool keyMapAvailable() const { return keyMapAvailable_; }
    const std::array<unsigned char, kADMKeyMapSize>& keyMap() const { return keyMap_; }

    Dialog* dialog(ADMDialogRef ref) { return dialogs_.find(ref); }
    DialogItem* item(ADMItemRef ref) { return items_.find(ref); }

    HandleTable<Dialog, HandleKind::Dialog, ADMDialogRef>& dialogs() { return dialogs_; }
    HandleTable<DialogItem, HandleKind::Item, ADMItemRef>& items() { return items_; }
    HandleTable<DialogList, HandleKind::List, ADMListRef>& lists() { return lists_; }
    HandleTable<DialogEntry, HandleKind::Entry, ADMEntryRef>& entries() { return entries_; }
    HandleTable<NotifierState, HandleKind::ADMNotifier, ADMNotifierRef>& notifiers() { return notifiers_; }
    HandleTable<TrackerState, HandleKind::Tracker, ADMTrackerRef>& trackers() { return trackers_; }

    void setMenu(ADMListRef list, ADMInt32 menuID);

private:
    bool pluginLoaded(SPPluginRef plugin) const;
    void removeDialog(ADMDialogRef dialog);

    Host& host_;
    std::map<SPPluginRef, PluginResources> resources_;
    HandleTable<Dialog, HandleKind::Dialog, ADMDialogRef> dialogs_;
    HandleTable<DialogItem, HandleKind::Item, ADMItemRef> items_;
    HandleTable<DialogList, HandleKind::List, ADMListRef> lists_;
    HandleTable<DialogEntry, HandleKind::Entry, ADMEntryRef> entries_;
    HandleTable<NotifierState, HandleKind::ADMNotifier, ADMNotifierRef> notifiers_;
    HandleTable<TrackerState, HandleKind::Tracker, ADMTrackerRef> trackers_;
    std::deque<ADMInt32> answers_;
    std::function<ADMInt32(ADMDialogRef)> modalAnswerer_;
    std::function<void(const std::string&)> alertWaiter_;
    std::array<unsigned char, kADMKeyMapSize> keyMap_{};
    bool keyMapAvailable_ = true;
};

}  // namespace simhost

#endif
