// key_translate.h: SDL key presses -> IBM PC BIOS key pairs (character, scan code).
//
// Pure tables and one function; the key buffer (keyboard.cpp) feeds it the event's key symbol,
// its Unicode character and the modifiers of the held-key set.
#pragma once

#include <SDL.h>

#include <cstdint>

struct KeyModifiers {
  bool shift, ctrl, alt;  // either key of the pair is held
  bool capsLock;          // Caps Lock is toggled on
};

struct KeyPair {
  uint8_t character;  // 0 for an extended key
  uint8_t scan;       // scan code, or the extended code when character is 0
};

// The pair a press of sym with Unicode character unicode stores in the given modifier state:
// the normal, Shift, Ctrl or Alt variant of the BIOS table (Alt wins over Ctrl, Ctrl over
// Shift). False when the press stores nothing (modifier keys, keys without a code in that
// state, characters outside the character table). Break, Pause, Alt+Enter and Alt with the
// keypad digits are the key buffer's business and are not looked at here.
bool Key_Translate(SDLKey sym, uint16_t unicode, KeyModifiers mods, KeyPair* pair);
