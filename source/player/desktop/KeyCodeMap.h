// The authoring tool's key codes, keyed by OIS key code. Printable keys give
// their character (letters upper case); special keys give 0x01000000 plus a
// number; every other key gives 0, which the game treats as "no key".
#pragma once

#include <map>

#include <OISKeyboard.h>

// Filled with the tool's 79 pairs during static initialisation. Looking up a
// key with operator[] inserts it with 0, as the event handler expects.
extern std::map<OIS::KeyCode, int> keyCodeMap;

// keyCodeMap[kc], named so call sites read as a translation.
int toolKeyCode(OIS::KeyCode kc);
