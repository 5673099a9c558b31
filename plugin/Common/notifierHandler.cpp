#include "notifierHandler.h"

ASErr addNotifiers(SPInterfaceMessage*) { return kNoErr; }

ASErr goNotifier(AINotifierMessage*) { return kNoErr; }
