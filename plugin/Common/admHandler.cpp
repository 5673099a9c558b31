#include "admHandler.h"

ASErr createADMDialog(AINotifierMessage*) { return kNoErr; }

ADMErr DlgInit(ADMDialogRef) noexcept { return kNoErr; }

void DlgDestroyProc(ADMDialogRef) noexcept {}
