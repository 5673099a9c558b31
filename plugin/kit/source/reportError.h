// The error dialog, and conversions between result codes and decimal text.
#ifndef REPORTERROR_H
#define REPORTERROR_H

#include "hostapi/HostInterface.h"

void report_error(SPInterfaceMessage* message, ASInt32 error);

#endif
