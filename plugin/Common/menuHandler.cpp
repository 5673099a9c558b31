#include "menuHandler.h"

ASErr addMenu(SPInterfaceMessage*) { return kNoErr; }

ASErr goMenuItem(AIMenuMessage*) { return kNoErr; }

ASErr updateMenuItem(AIMenuMessage*) { return kNoErr; }
