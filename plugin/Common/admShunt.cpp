#include "admHandler.h"

void GetShuntArrowProc(ADMItemRef, ADMNotifierRef) noexcept {}

ASErr shuntDashes(float) { return kNoErr; }
