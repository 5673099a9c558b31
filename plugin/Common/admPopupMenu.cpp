#include "admHandler.h"

void dialogPopupMenuProc(ADMItemRef, ADMNotifierRef) noexcept {}

ADMBoolean dialogPopupMenuTrackProc(ADMItemRef, ADMTrackerRef) noexcept { return 0; }
