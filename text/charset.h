// charset.h: the character table between text bytes and UTF-16, code page 437 with the
// display symbols in place of the control codes. A constant table; any thread may read it.
#pragma once

#include <cstdint>

// The character a byte stands for when text is drawn in a TrueType font: code page 437, the
// display symbols for 1 to 31, U+2302 for 127, and a blank for 0 and 255.
uint16_t Charset_ToUnicode(uint8_t byte);
// The byte whose character is codepoint, -1 when there is none. A blank gives 32.
int Charset_FromUnicode(uint32_t codepoint);
