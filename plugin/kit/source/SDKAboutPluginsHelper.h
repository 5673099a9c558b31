// Adds the plug-in's entry to the about group its maker's plug-ins share.
#ifndef SDKABOUTPLUGINSHELPER_H
#define SDKABOUTPLUGINSHELPER_H

#include "hostapi/HostInterface.h"

#endif
