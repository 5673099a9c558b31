// Modifier keys, read from the host's key map.
#ifndef KEYPRESS_H
#define KEYPRESS_H

// True when the key with this host key code (0 to 256) is down now. Each call
// reads a fresh key map; a code outside the map, a host without a key map and
// a host without the tracker suite all read as up.
bool isPressed(int key);

#endif
