// Everything of the host interface in one include.
#ifndef HOSTAPI_HOSTINTERFACE_H
#define HOSTAPI_HOSTINTERFACE_H

#include "hostapi/ADMSuites.h"
#include "hostapi/AIAppSuites.h"
#include "hostapi/AIArtSuites.h"
#include "hostapi/ASTypes.h"
#include "hostapi/CoreFoundationStandIn.h"
#include "hostapi/IAIAutoBuffer.h"
#include "hostapi/IAIUnicodeString.h"
#include "hostapi/SPBasic.h"
#include "hostapi/SPMessages.h"
#include "hostapi/SPSuites.h"

#endif
