// The message records that PluginMain receives, and the caller and selector
// names the host sends.
#ifndef HOSTAPI_SPMESSAGES_H
#define HOSTAPI_SPMESSAGES_H

#include "hostapi/ASTypes.h"
#include "hostapi/SPBasic.h"

// The header every message begins with.
struct SPMessageData {
    ASInt32 checkWord;    // 0: the host's own use
    SPPluginRef self;     // 4: the plug-in, handed back when it adds menus, notifiers, dialogs
    void* globals;        // 8: where the plug-in parks its globals across unload and reload
    SPBasicSuite* basic;  // 12: the basic suite for this call
};
HOSTAPI_OFFSET_32(SPMessageData, self, 4);
HOSTAPI_OFFSET_32(SPMessageData, globals, 8);
HOSTAPI_OFFSET_32(SPMessageData, basic, 12);

struct SPInterfaceMessage {
    SPMessageData d;
};
struct SPAccessMessage {
    SPMessageData d;
};
struct AIMenuMessage {
    SPMessageData d;
    AIMenuItemHandle menuItem;  // 16: the item the message concerns
};
struct AINotifierMessage {
    SPMessageData d;
    AINotifierHandle notifier;  // 16: the notifier that fired
    const char* type;           // the notification type, for the plug-in's information
    void* notifyData;
};
HOSTAPI_OFFSET_32(AIMenuMessage, menuItem, 16);
HOSTAPI_OFFSET_32(AINotifierMessage, notifier, 16);

inline constexpr const char* kSPAccessCaller = "SP Access";
inline constexpr const char* kSPAccessUnloadSelector = "Unload";
inline constexpr const char* kSPAccessReloadSelector = "Reload";
inline constexpr const char* kSPInterfaceCaller = "SP Interface";
inline constexpr const char* kSPInterfaceStartupSelector = "Startup";
inline constexpr const char* kSPInterfaceAboutSelector = "About";
inline constexpr const char* kSPInterfaceShutdownSelector = "Shutdown";
inline constexpr const char* kCallerAIMenu = "AI Menu";
inline constexpr const char* kSelectorAIGoMenuItem = "AI Go";
inline constexpr const char* kSelectorAIUpdateMenuItem = "AI Update";
inline constexpr const char* kCallerAINotify = "AI Notifier";
inline constexpr const char* kSelectorAINotify = "AI Notify";

// The one symbol a plug-in exports.
extern "C" {
typedef ASErr (*PluginMainProc)(char* caller, char* selector, void* message);
}
inline constexpr const char* kPluginMainSymbol = "PluginMain";

#endif
