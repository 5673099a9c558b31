// The palette's menu item and the about entry.
#ifndef MENUHANDLER_H
#define MENUHANDLER_H

#include "hostapi/HostInterface.h"

ASErr addMenu(SPInterfaceMessage* message);
ASErr goMenuItem(AIMenuMessage* message);
ASErr updateMenuItem(AIMenuMessage* message);

#endif
