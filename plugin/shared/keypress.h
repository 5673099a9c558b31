// Modifier keys, read from the host's key map.
#ifndef KEYPRESS_H
#define KEYPRESS_H

bool isPressed(int key);

#endif
