#include "keypress.h"

#include "shellMain.h"

bool isPressed(int key) {
    if (key < 0 || key >= kADMKeyMapSize) {
        return false;
    }
    if (sADMTracker == nullptr) {
        return false;
    }
    unsigned char keyMap[kADMKeyMapSize];
    if (!sADMTracker->getKeyMap(keyMap)) {
        return false;
    }
    return keyMap[key] != 0;
}
