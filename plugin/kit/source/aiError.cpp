// The host error that the kit's classes throw. Its destructor is defined
// here so that its type information lives in this one place.
#include "hostapi/IAIUnicodeString.h"

ai::Error::~Error() = default;
