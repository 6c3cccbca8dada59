// keyboard.h: the key buffer, as the game reads it.
//
// A ring of 16 slots (at most 15 keys) of BIOS key pairs (character, scan code), filled by the
// main thread's event pass and emptied by the game thread.
#pragma once

#include <string>

// The oldest key as a 1-character string, or a zero byte and the scan code for an extended
// key; "" when none is buffered or an error is pending. A read that finds no key, after an
// earlier empty read with nothing new since, sleeps until there is news for the game (a key, a
// mouse record, a step-end request; see wake.h), so a loop that waits for a key does not spin.
std::string Key_Read();
