// The error dialog, and conversions between result codes and decimal text.
#ifndef REPORTERROR_H
#define REPORTERROR_H

#include "hostapi/HostInterface.h"

// Shows the error dialog for a failing call: the message the error string
// list gives the code, and the code as text. Nothing for 0 and 'STOP'.
void report_error(SPInterfaceMessage* message, ASInt32 error);

// The code as decimal text into `buffer` (16 bytes hold any code); returns it.
const char* AIErrToCString(ASInt32 error, char* buffer);
// Reads decimal text as a code: the value truncated toward zero, its low 16
// bits as a signed number. `text` (at most 255 characters) is left
// length-prefixed; *error is left alone when the text is not a number.
void CStringToAIErr(char* text, ASInt32* error);

ADMErr ErrorDialogInitProc(ADMDialogRef dialog) noexcept;
void ErrorDialogOKButtonProc(ADMItemRef item, ADMNotifierRef notifier) noexcept;

#endif
