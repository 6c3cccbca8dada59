// charset.h: the 256-entry character table between text bytes and Unicode.
//
// Text is bytes; built-in fonts draw them as code page 437 glyphs, TrueType output and the
// keyboard need the Unicode character of each byte and back. The table is constant data.
#pragma once

#include <cstdint>

// The character of byte b: code page 437 for 32 to 126 and 128 to 254, the display symbols
// for 1 to 31, U+2302 for 127, and a blank for both 0 and 255.
uint16_t Charset_ToUnicode(uint8_t b);

// The byte whose character is u (the lowest such byte, 0 excluded); false when no byte has it.
bool Charset_FromUnicode(uint16_t u, uint8_t* b);
