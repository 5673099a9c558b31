#include "keypress.h"

bool isPressed(int) { return false; }
