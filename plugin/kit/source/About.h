// The about dialog.
#ifndef ABOUT_H
#define ABOUT_H

#include "hostapi/HostInterface.h"

ASErr goAbout(SPInterfaceMessage* message);

#endif
