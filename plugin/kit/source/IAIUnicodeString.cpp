#include "hostapi/IAIUnicodeString.h"
