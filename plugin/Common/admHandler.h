// The palette: its dialog and the operations its items run.
#ifndef ADMHANDLER_H
#define ADMHANDLER_H

#include "hostapi/HostInterface.h"

// The palette dialog.
ASErr createADMDialog(AINotifierMessage* message);
ADMErr DlgInit(ADMDialogRef dialog) noexcept;
void DlgDestroyProc(ADMDialogRef dialog) noexcept;

// Arrow and dash buttons (items 1 to 10).
void GetShuntArrowProc(ADMItemRef item, ADMNotifierRef notifier) noexcept;
ASErr shuntDashes(float amount);

// The reset button (item 11).
void GetUnxformProc(ADMItemRef item, ADMNotifierRef notifier) noexcept;

// The popup menu (item -5).
void dialogPopupMenuProc(ADMItemRef item, ADMNotifierRef notifier) noexcept;
ADMBoolean dialogPopupMenuTrackProc(ADMItemRef item, ADMTrackerRef tracker) noexcept;

#endif
