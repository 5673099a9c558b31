#include "About.h"

ASErr goAbout(SPInterfaceMessage*) { return kNoErr; }
