#include "admHandler.h"

void GetUnxformProc(ADMItemRef, ADMNotifierRef) noexcept {}
