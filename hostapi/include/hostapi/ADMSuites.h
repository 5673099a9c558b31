// The dialog manager: dialogs built from the plug-in's resources, their items,
// lists, notifiers and trackers, dock groups and alerts.
#ifndef HOSTAPI_ADMSUITES_H
#define HOSTAPI_ADMSUITES_H

#include "hostapi/SPBasic.h"

// Callbacks the plug-in installs. The host calls them on its thread, inside
// or outside PluginMain; they must not throw.
using ADMDialogInitProc = ADMErr (*)(ADMDialogRef dialog) noexcept;  // returns 0
using ADMDialogDestroyProc = void (*)(ADMDialogRef dialog) noexcept;
using ADMItemNotifyProc = void (*)(ADMItemRef item, ADMNotifierRef notifier) noexcept;
using ADMItemTrackProc = ADMBoolean (*)(ADMItemRef item, ADMTrackerRef tracker) noexcept;

inline constexpr const char* kADMUserChangedNotifier = "ADM User Changed Notifier";

// The key map holds one byte per key code 0 to 256.
inline constexpr int kADMKeyMapSize = 257;

inline constexpr const char* kADMBasicSuite = "ADM Basic Suite";
inline constexpr ASInt32 kADMBasicSuiteVersion = 2;
inline constexpr ASInt32 kADMBasicSuiteVersion10 = 10;

struct ADMBasicSuite {
    // plug-in, string list resource, string number from 1, out: buffer, its size.
    // Copies at most size - 1 bytes and a zero byte; an empty string past the
    // list's end; kNotFoundErr (buffer emptied) for an unknown list.
    ADMErr (*getIndexString)(SPPluginRef plugin, ADMInt32 listID, ADMInt32 index, char* buffer,
                             ADMInt32 bufferSize) noexcept;
    HostUnusedEntry unused1_2[2];
    // C string (borrowed). Shows it in a modal alert; returns when dismissed.
    void (*messageAlert)(const char* message) noexcept;
    HostUnusedEntry unused4_23[20];
    // out: rectangle. The area in which palettes are placed.
    void (*getPaletteLayoutBounds)(ADMRect* bounds) noexcept;
};
HOSTAPI_ENTRY_AT(ADMBasicSuite, getIndexString, 0);
HOSTAPI_ENTRY_AT(ADMBasicSuite, messageAlert, 3);
HOSTAPI_ENTRY_AT(ADMBasicSuite, getPaletteLayoutBounds, 24);

struct ADMBasicSuite10 {
    ADMErr (*getIndexString)(SPPluginRef plugin, ADMInt32 listID, ADMInt32 index, char* buffer,
                             ADMInt32 bufferSize) noexcept;
    HostUnusedEntry unused1_2[2];
    void (*messageAlert)(const char* message) noexcept;
    HostUnusedEntry unused4_23[20];
    void (*getPaletteLayoutBounds)(ADMRect* bounds) noexcept;
    HostUnusedEntry unused25_46[22];
    // title, description (borrowed). Shows the host's about box; returns when dismissed.
    ADMErr (*aboutBox)(const char* title, const char* description) noexcept;
};
HOSTAPI_ENTRY_AT(ADMBasicSuite10, getIndexString, 0);
HOSTAPI_ENTRY_AT(ADMBasicSuite10, messageAlert, 3);
HOSTAPI_ENTRY_AT(ADMBasicSuite10, getPaletteLayoutBounds, 24);
HOSTAPI_ENTRY_AT(ADMBasicSuite10, aboutBox, 47);

inline constexpr const char* kADMDialogSuite = "ADM Dialog Suite";
inline constexpr ASInt32 kADMDialogSuiteVersion = 10;

struct ADMDialogSuite {
    // plug-in, name, dialog resource, style, init procedure, user data, options.
    // Builds a non-modal dialog, runs the init procedure and returns the
    // dialog; null when the resource cannot be built.
    ADMDialogRef (*create)(SPPluginRef plugin, const char* name, ADMInt32 dialogID, ADMInt32 style,
                           ADMDialogInitProc initProc, ADMUserData userData, ADMInt32 options) noexcept;
    // as create, but modal: returns, after the dialog closed, the number of the
    // item that ended it; -1 when the resource cannot be built.
    ADMInt32 (*modal)(SPPluginRef plugin, const char* name, ADMInt32 dialogID, ADMInt32 style,
                      ADMDialogInitProc initProc, ADMUserData userData, ADMInt32 options) noexcept;
    HostUnusedEntry unused2_3[2];
    // dialog. Runs its destroy procedure, then destroys it and its items.
    void (*destroy)(ADMDialogRef dialog) noexcept;
    HostUnusedEntry unused5_18[14];
    // dialog, procedure. Installs the destroy procedure.
    void (*setDestroyProc)(ADMDialogRef dialog, ADMDialogDestroyProc destroyProc) noexcept;
    HostUnusedEntry unused20_23[4];
    // dialog. The user data it was built with.
    ADMUserData (*getUserData)(ADMDialogRef dialog) noexcept;
    HostUnusedEntry unused25_26[2];
    // dialog. The plug-in that built it.
    SPPluginRef (*getPluginRef)(ADMDialogRef dialog) noexcept;
    HostUnusedEntry unused28_30[3];
    // dialog, show. Shows (1) or hides (0) it.
    void (*show)(ADMDialogRef dialog, ADMBoolean show) noexcept;
    // dialog. Non-zero while visible.
    ADMBoolean (*isVisible)(ADMDialogRef dialog) noexcept;
    HostUnusedEntry unused33_39[7];
    // dialog, rectangle (borrowed). Moves and sizes it.
    void (*setBoundsRect)(ADMDialogRef dialog, const ADMRect* bounds) noexcept;
    // dialog, out: rectangle. Its bounds.
    void (*getBoundsRect)(ADMDialogRef dialog, ADMRect* bounds) noexcept;
    HostUnusedEntry unused42_77[36];
    // dialog, item number. The item, or null when the dialog has none of that number.
    ADMItemRef (*getItem)(ADMDialogRef dialog, ADMInt32 itemID) noexcept;
};
HOSTAPI_ENTRY_AT(ADMDialogSuite, create, 0);
HOSTAPI_ENTRY_AT(ADMDialogSuite, modal, 1);
HOSTAPI_ENTRY_AT(ADMDialogSuite, destroy, 4);
HOSTAPI_ENTRY_AT(ADMDialogSuite, setDestroyProc, 19);
HOSTAPI_ENTRY_AT(ADMDialogSuite, getUserData, 24);
HOSTAPI_ENTRY_AT(ADMDialogSuite, getPluginRef, 27);
HOSTAPI_ENTRY_AT(ADMDialogSuite, show, 31);
HOSTAPI_ENTRY_AT(ADMDialogSuite, isVisible, 32);
HOSTAPI_ENTRY_AT(ADMDialogSuite, setBoundsRect, 40);
HOSTAPI_ENTRY_AT(ADMDialogSuite, getBoundsRect, 41);
HOSTAPI_ENTRY_AT(ADMDialogSuite, getItem, 78);

inline constexpr const char* kADMItemSuite = "ADM Item Suite";
inline constexpr ASInt32 kADMItemSuiteVersion = 7;

struct ADMItemSuite {
    HostUnusedEntry unused0_4[5];
    // item, procedure. Installs the tracker procedure.
    void (*setTrackProc)(ADMItemRef item, ADMItemTrackProc trackProc) noexcept;
    HostUnusedEntry unused6;
    // item, tracker. The item's own tracking of the event; its verdict.
    ADMBoolean (*defaultTrack)(ADMItemRef item, ADMTrackerRef tracker) noexcept;
    HostUnusedEntry unused8_9[2];
    // item, procedure. Installs the notification procedure.
    void (*setNotifyProc)(ADMItemRef item, ADMItemNotifyProc notifyProc) noexcept;
    HostUnusedEntry unused11;
    // item, notifier. The item's own handling; for a modal dialog's OK or
    // Cancel button it ends the dialog through that item.
    void (*defaultNotify)(ADMItemRef item, ADMNotifierRef notifier) noexcept;
    HostUnusedEntry unused13_22[10];
    // item. Its dialog.
    ADMDialogRef (*getDialog)(ADMItemRef item) noexcept;
    HostUnusedEntry unused24;
    // item. Its list, or null when it has none.
    ADMListRef (*getList)(ADMItemRef item) noexcept;
    HostUnusedEntry unused26_27[2];
    // item. Marks the item to be drawn again.
    void (*invalidate)(ADMItemRef item) noexcept;
    HostUnusedEntry unused29_30[2];
    // item, flag. Whether the button shows itself pressed while clicked.
    void (*setHighlightOnPress)(ADMItemRef item, ADMBoolean highlight) noexcept;
    HostUnusedEntry unused32_56[25];
    // item, picture resource, picture name (borrowed). Sets its picture.
    void (*setPictureID)(ADMItemRef item, ADMInt32 pictureResID, const char* pictureName) noexcept;
    HostUnusedEntry unused58_74[17];
    // item, C string (borrowed). Sets its text.
    void (*setText)(ADMItemRef item, const char* text) noexcept;
};
HOSTAPI_ENTRY_AT(ADMItemSuite, setTrackProc, 5);
HOSTAPI_ENTRY_AT(ADMItemSuite, defaultTrack, 7);
HOSTAPI_ENTRY_AT(ADMItemSuite, setNotifyProc, 10);
HOSTAPI_ENTRY_AT(ADMItemSuite, defaultNotify, 12);
HOSTAPI_ENTRY_AT(ADMItemSuite, getDialog, 23);
HOSTAPI_ENTRY_AT(ADMItemSuite, getList, 25);
HOSTAPI_ENTRY_AT(ADMItemSuite, invalidate, 28);
HOSTAPI_ENTRY_AT(ADMItemSuite, setHighlightOnPress, 31);
HOSTAPI_ENTRY_AT(ADMItemSuite, setPictureID, 57);
HOSTAPI_ENTRY_AT(ADMItemSuite, setText, 75);

inline constexpr const char* kADMIconSuite = "ADM Icon Suite";
inline constexpr ASInt32 kADMIconSuiteVersion = 1;
struct ADMIconSuite {
    HostUnusedEntry unused0;
};

inline constexpr const char* kADMListSuite = "ADM List Suite";
inline constexpr ASInt32 kADMListSuiteVersion = 1;
struct ADMListSuite {
    // list, menu resource. Fills the list with that menu's entries.
    void (*setMenuID)(ADMListRef list, ADMInt32 menuResID) noexcept;
    HostUnusedEntry unused1_26[26];
    // list. Its active (chosen) entry, or null.
    ADMEntryRef (*getActiveEntry)(ADMListRef list) noexcept;
};
HOSTAPI_ENTRY_AT(ADMListSuite, setMenuID, 0);
HOSTAPI_ENTRY_AT(ADMListSuite, getActiveEntry, 27);

inline constexpr const char* kADMDialogGroupSuite = "ADM Dialog Group Suite";
inline constexpr ASInt32 kADMDialogGroupSuiteVersion = 1;
struct ADMDialogGroupSuite {
    HostUnusedEntry unused0;
    // dialog, out: group name (the host's, valid until the dialog is docked
    // again or destroyed), out: dock code.
    ADMErr (*getDialogGroupInfo)(ADMDialogRef dialog, const char** groupName,
                                 ADMInt32* positionCode) noexcept;
    // dialog, group name (borrowed), dock code. Docks the dialog there.
    ADMErr (*setDialogGroupInfo)(ADMDialogRef dialog, const char* groupName, ADMInt32 positionCode) noexcept;
};
HOSTAPI_ENTRY_AT(ADMDialogGroupSuite, getDialogGroupInfo, 1);
HOSTAPI_ENTRY_AT(ADMDialogGroupSuite, setDialogGroupInfo, 2);

inline constexpr const char* kADMNotifierSuite = "ADM Notifier Suite";
inline constexpr ASInt32 kADMNotifierSuiteVersion = 2;
struct ADMNotifierSuite {
    HostUnusedEntry unused0_1[2];
    // notifier, type name (borrowed). Non-zero when the notification is of that type.
    ADMBoolean (*isNotifierType)(ADMNotifierRef notifier, const char* notifierType) noexcept;
    // notifier, out: buffer, its size. The type name, cut to size - 1 bytes, and a zero byte.
    void (*getNotifierType)(ADMNotifierRef notifier, char* notifierType, ASUInt32 maxLength) noexcept;
};
HOSTAPI_ENTRY_AT(ADMNotifierSuite, isNotifierType, 2);
HOSTAPI_ENTRY_AT(ADMNotifierSuite, getNotifierType, 3);

inline constexpr const char* kADMEntrySuite = "ADM Entry Suite";
inline constexpr ASInt32 kADMEntrySuiteVersion = 2;
struct ADMEntrySuite {
    HostUnusedEntry unused0_5[6];
    // entry. Its zero-based index in its list.
    ADMInt32 (*getIndex)(ADMEntryRef entry) noexcept;
};
HOSTAPI_ENTRY_AT(ADMEntrySuite, getIndex, 6);

inline constexpr const char* kADMTrackerSuite = "ADM Tracker Suite";
inline constexpr ASInt32 kADMTrackerSuiteVersion = 2;
struct ADMTrackerSuite {
    HostUnusedEntry unused0;
    // tracker. The action code of the event being tracked.
    ADMInt32 (*getAction)(ADMTrackerRef tracker) noexcept;
    HostUnusedEntry unused2_10[9];
    // out: kADMKeyMapSize bytes, one per key code, non-zero = down. Non-zero
    // when the host gave a map; zero (buffer untouched) when it has none.
    ADMBoolean (*getKeyMap)(unsigned char* keyMap) noexcept;
};
HOSTAPI_ENTRY_AT(ADMTrackerSuite, getAction, 1);
HOSTAPI_ENTRY_AT(ADMTrackerSuite, getKeyMap, 11);

#endif
