// The plug-in globals record and the handlers of the host's messages.
#ifndef PLUGINHANDLER_H
#define PLUGINHANDLER_H

#include "hostapi/HostInterface.h"

// The one block of state that outlives a call. The host allocates it at
// start-up and frees it at shut-down; it survives unload and reload.
struct PluginGlobals {
    AIMenuItemHandle paletteMenuItem;
    AIMenuItemHandle aboutMenuItem;
    ADMDialogRef paletteDialog;  // 0 while there is no palette
    SPAccessRef pluginAccess;    // held while the palette exists
    SPBasicSuite* basicSuite;    // for the palette's callbacks, which run outside PluginMain
    AINotifierHandle appStartedNotifier;
    AIRealMatrix capturedMatrix;
    ASInt32 dashesHandled;  // whether the current palette click was on a dash button
};

extern PluginGlobals* g;

ASErr handlePluginCaller(char* caller, char* selector, void* message);
ASErr pluginStartup(SPInterfaceMessage* message);
ASErr pluginShutdown(SPInterfaceMessage* message);
ASErr reloadPluginSuiteFunctions(SPAccessMessage* message);
void unloadPluginSuiteFunctions(SPAccessMessage* message);

#endif
