// The application-started notifier, which creates the palette.
#ifndef NOTIFIERHANDLER_H
#define NOTIFIERHANDLER_H

#include "hostapi/HostInterface.h"

ASErr addNotifiers(SPInterfaceMessage* message);
ASErr goNotifier(AINotifierMessage* message);

#endif
