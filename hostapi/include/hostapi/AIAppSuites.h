// Application suites: user utilities, context, preferences, menus, notifiers
// and the runtime.
#ifndef HOSTAPI_AIAPPSUITES_H
#define HOSTAPI_AIAPPSUITES_H

#include "hostapi/IAIUnicodeString.h"
#include "hostapi/SPBasic.h"

inline constexpr const char* kAIUserSuite = "AI User Suite";
inline constexpr ASInt32 kAIUserSuiteVersion = 1006;
struct AIUserSuite {
    HostUnusedEntry unused0_3[4];
    // value, decimal places, out: length-prefixed text. Writes at most 15
    // characters after the length byte (16 bytes in all), rounding to the
    // given places and dropping trailing zeros.
    AIErr (*realToString)(AIReal value, ASInt16 precision, unsigned char* pstr) noexcept;
    // length-prefixed decimal text, out: value. kBadParameterErr, value untouched,
    // when the text is not a number.
    AIErr (*stringToReal)(const unsigned char* pstr, AIReal* value) noexcept;
};
HOSTAPI_ENTRY_AT(AIUserSuite, realToString, 4);
HOSTAPI_ENTRY_AT(AIUserSuite, stringToReal, 5);

inline constexpr const char* kAIAppContextSuite = "AI Context Suite";
inline constexpr ASInt32 kAIAppContextSuiteVersion = 1004;
struct AIAppContextSuite {
    HostUnusedEntry unused0;
    // plug-in, out: context to leave. Enters the plug-in's application context.
    AIErr (*pushAppContext)(SPPluginRef plugin, AIAppContextHandle* appContext) noexcept;
    // a context from pushAppContext. Leaves it; contexts nest.
    AIErr (*popAppContext)(AIAppContextHandle appContext) noexcept;
};
HOSTAPI_ENTRY_AT(AIAppContextSuite, pushAppContext, 1);
HOSTAPI_ENTRY_AT(AIAppContextSuite, popAppContext, 2);

// String preferences hold at most this many bytes with their terminator; the
// host refuses longer values, so a read never writes more than this.
inline constexpr int kMaxPreferenceStringSize = 256;

inline constexpr const char* kAIPreferenceSuite = "AI Preference Suite";
inline constexpr ASInt32 kAIPreferenceSuiteVersion = 1004;
struct AIPreferenceSuite {
    HostUnusedEntry unused0;
    // section, key, value. Stores a boolean.
    AIErr (*putBooleanPreference)(const char* prefix, const char* suffix, AIBoolean value) noexcept;
    // section, key, out: value. Leaves *value when nothing (or another kind) is stored.
    AIErr (*getIntegerPreference)(const char* prefix, const char* suffix, ASInt32* value) noexcept;
    // section, key, value. Stores a 32-bit integer.
    AIErr (*putIntegerPreference)(const char* prefix, const char* suffix, ASInt32 value) noexcept;
    HostUnusedEntry unused4_5[2];
    // section, key, out: buffer of kMaxPreferenceStringSize bytes. Copies the
    // stored string with its terminator; leaves the buffer when nothing is stored.
    AIErr (*getStringPreference)(const char* prefix, const char* suffix, char* value) noexcept;
    // section, key, C string. Stores it; kBadParameterErr for a string that
    // does not fit kMaxPreferenceStringSize.
    AIErr (*putStringPreference)(const char* prefix, const char* suffix, const char* value) noexcept;
    HostUnusedEntry unused8_19[12];
    // section, key, out: point. Leaves *value when nothing is stored.
    AIErr (*getPointPreference)(const char* prefix, const char* suffix, ADMPoint* value) noexcept;
    // section, key, point (borrowed). Stores it.
    AIErr (*putPointPreference)(const char* prefix, const char* suffix, const ADMPoint* value) noexcept;
};
HOSTAPI_ENTRY_AT(AIPreferenceSuite, putBooleanPreference, 1);
HOSTAPI_ENTRY_AT(AIPreferenceSuite, getIntegerPreference, 2);
HOSTAPI_ENTRY_AT(AIPreferenceSuite, putIntegerPreference, 3);
HOSTAPI_ENTRY_AT(AIPreferenceSuite, getStringPreference, 6);
HOSTAPI_ENTRY_AT(AIPreferenceSuite, putStringPreference, 7);
HOSTAPI_ENTRY_AT(AIPreferenceSuite, getPointPreference, 20);
HOSTAPI_ENTRY_AT(AIPreferenceSuite, putPointPreference, 21);

inline constexpr const char* kAIRuntimeSuite = "AI Runtime Suite";
inline constexpr ASInt32 kAIRuntimeSuiteVersion = 1009;
struct AIRuntimeSuite {
    HostUnusedEntry unused0;
};

inline constexpr const char* kAIMenuSuite = "AI Menu Suite";
inline constexpr ASInt32 kAIMenuSuiteVersion = 1007;
inline constexpr ASInt32 kAIMenuSuiteVersion8 = 1008;

inline constexpr const char* kToolPalettesMenuGroup = "Tool Palettes";
inline constexpr const char* kAboutMenuGroup = "About";

// The item to add, version 1007: group name and length-prefixed text, borrowed.
struct AIPlatformAddMenuItemData {
    const char* groupName;
    const unsigned char* itemText;
};

// The item to add, version 1008: group name (borrowed) and Unicode text.
struct AIPlatformAddMenuItemDataUS {
    const char* groupName;
    ai::UnicodeString itemText;
};

struct AIMenuSuite {
    // plug-in, item name (may be null), item data, options, out: item. Adds the
    // item at the end of the named group; kNotFoundErr for an unknown group.
    AIErr (*addMenuItem)(SPPluginRef plugin, const char* name, const AIPlatformAddMenuItemData* data,
                         ASInt32 options, AIMenuItemHandle* menuItem) noexcept;
    HostUnusedEntry unused1_13[13];
    // item, checked. Sets (1) or clears (0) the item's check mark.
    AIErr (*checkItem)(AIMenuItemHandle menuItem, AIBoolean checked) noexcept;
};
HOSTAPI_ENTRY_AT(AIMenuSuite, addMenuItem, 0);
HOSTAPI_ENTRY_AT(AIMenuSuite, checkItem, 14);

struct AIMenuSuite8 {
    // as AIMenuSuite::addMenuItem, with Unicode item text.
    AIErr (*addMenuItem)(SPPluginRef plugin, const char* name, const AIPlatformAddMenuItemDataUS* data,
                         ASInt32 options, AIMenuItemHandle* menuItem) noexcept;
    HostUnusedEntry unused1_13[13];
    // as AIMenuSuite::checkItem.
    AIErr (*checkItem)(AIMenuItemHandle menuItem, AIBoolean checked) noexcept;
    HostUnusedEntry unused15_18[4];
    // group name, options, parent item, out: group. Creates the group as the
    // submenu of the item; kBadParameterErr when a group of that name exists.
    AIErr (*addMenuGroupAsSubMenu)(const char* name, ASInt32 options, AIMenuItemHandle menuItem,
                                   AIMenuGroup* group) noexcept;
    // group, out: name. The name is the host's, valid while the group exists.
    AIErr (*getMenuGroupName)(AIMenuGroup group, const char** name) noexcept;
    HostUnusedEntry unused21_23[3];
    // out: count of menu groups, the host's own among them.
    AIErr (*countMenuGroups)(ASInt32* count) noexcept;
    // index from 0, out: group. kBadParameterErr outside 0 to count - 1.
    AIErr (*getNthMenuGroup)(ASInt32 index, AIMenuGroup* group) noexcept;
};
HOSTAPI_ENTRY_AT(AIMenuSuite8, addMenuItem, 0);
HOSTAPI_ENTRY_AT(AIMenuSuite8, checkItem, 14);
HOSTAPI_ENTRY_AT(AIMenuSuite8, addMenuGroupAsSubMenu, 19);
HOSTAPI_ENTRY_AT(AIMenuSuite8, getMenuGroupName, 20);
HOSTAPI_ENTRY_AT(AIMenuSuite8, countMenuGroups, 24);
HOSTAPI_ENTRY_AT(AIMenuSuite8, getNthMenuGroup, 25);

inline constexpr const char* kAINotifierSuite = "AI Notifier Suite";
inline constexpr ASInt32 kAINotifierSuiteVersion = 1002;
inline constexpr const char* kAIApplicationStartedNotifier = "AI Application Started Notifier";
struct AINotifierSuite {
    // plug-in, notifier name, notification type, out: notifier. From now on
    // the host sends "AI Notifier"/"AI Notify" for that type.
    AIErr (*addNotifier)(SPPluginRef plugin, const char* name, const char* type,
                         AINotifierHandle* notifier) noexcept;
};
HOSTAPI_ENTRY_AT(AINotifierSuite, addNotifier, 0);

#endif
