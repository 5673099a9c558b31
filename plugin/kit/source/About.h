// The about dialog, and the plug-in's entry in the about group its maker's
// plug-ins share.
#ifndef ABOUT_H
#define ABOUT_H

#include "hostapi/HostInterface.h"

// Adds "Shunt Palette..." under the shared "About Korvane Plug-ins" entry;
// its handle goes to *menuItem.
ASErr addAboutPluginsEntry(SPInterfaceMessage* message, AIMenuItemHandle* menuItem);

// Runs the about dialog; the host's answer when it closed (the number of
// the item that ended it).
ASErr goAbout(SPInterfaceMessage* message);
ADMErr AboutPluginInitProc(ADMDialogRef dialog) noexcept;
void AboutDlgOKButtonProc(ADMItemRef item, ADMNotifierRef notifier) noexcept;

#endif
