#include "SDKAboutPluginsHelper.h"
