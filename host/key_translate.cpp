// key_translate.cpp: the BIOS key table and the translation of one SDL key press.
//
// The table is the IBM PC keyboard BIOS's: US layout scan codes, the character of each key in
// its normal and Shift state, and its Ctrl and Alt codes, with the enhanced (101-key) keyboard's
// additions (F11, F12, Ctrl and Alt of the cursor keys, Tab and the grey keypad keys). The grey
// cursor keys read like their keypad twins, a zero byte and the code; the grey '/' and Enter
// report the scan codes of the main '/' and Enter keys. Constant data, any thread.
#include "host/key_translate.h"

#include "text/charset.h"

static constexpr uint16_t P(uint8_t character, uint8_t scan) { return uint16_t(character | scan << 8); }
static KeyPair pairOf(uint16_t p) { return KeyPair{uint8_t(p), uint8_t(p >> 8)}; }

// A key of the main block. The pair in the normal and Shift state is the typed character with
// the key's scan code (so the layout and Caps Lock decide the character), except where
// shiftPair says otherwise. ctrl and alt are the Ctrl and Alt pairs; 0 stores nothing.
struct CharKey {
  uint8_t scan;
  uint8_t normal, shifted;  // the US characters of the key, for finding it by character
  uint16_t shiftPair, ctrl, alt;
};

#define LETTER(c, scan) {scan, c, c - 32, 0, P(c - 96, scan), P(0, scan)}

static const CharKey charKeys[] = {
    {0x01, 27, 27, 0, P(27, 0x01), P(0, 0x01)},  // Escape
    {0x02, '1', '!', 0, 0, P(0, 0x78)},
    {0x03, '2', '@', 0, P(0, 0x03), P(0, 0x79)},
    {0x04, '3', '#', 0, 0, P(0, 0x7A)},
    {0x05, '4', '$', 0, 0, P(0, 0x7B)},
    {0x06, '5', '%', 0, 0, P(0, 0x7C)},
    {0x07, '6', '^', 0, P(30, 0x07), P(0, 0x7D)},
    {0x08, '7', '&', 0, 0, P(0, 0x7E)},
    {0x09, '8', '*', 0, 0, P(0, 0x7F)},
    {0x0A, '9', '(', 0, 0, P(0, 0x80)},
    {0x0B, '0', ')', 0, 0, P(0, 0x81)},
    {0x0C, '-', '_', 0, P(31, 0x0C), P(0, 0x82)},
    {0x0D, '=', '+', 0, 0, P(0, 0x83)},
    {0x0E, 8, 8, 0, P(127, 0x0E), P(0, 0x0E)},            // Backspace
    {0x0F, 9, 9, P(0, 0x0F), P(0, 0x94), P(0, 0xA5)},     // Tab; Shift+Tab is the back tab
    LETTER('q', 0x10), LETTER('w', 0x11), LETTER('e', 0x12), LETTER('r', 0x13), LETTER('t', 0x14),
    LETTER('y', 0x15), LETTER('u', 0x16), LETTER('i', 0x17), LETTER('o', 0x18), LETTER('p', 0x19),
    {0x1A, '[', '{', 0, P(27, 0x1A), P(0, 0x1A)},
    {0x1B, ']', '}', 0, P(29, 0x1B), P(0, 0x1B)},
    {0x1C, 13, 13, 0, P(10, 0x1C), P(0, 0x1C)},  // Enter
    LETTER('a', 0x1E), LETTER('s', 0x1F), LETTER('d', 0x20), LETTER('f', 0x21), LETTER('g', 0x22),
    LETTER('h', 0x23), LETTER('j', 0x24), LETTER('k', 0x25), LETTER('l', 0x26),
    {0x27, ';', ':', 0, 0, P(0, 0x27)},
    {0x28, '\'', '"', 0, 0, P(0, 0x28)},
    {0x29, '`', '~', 0, 0, P(0, 0x29)},
    {0x2B, '\\', '|', 0, P(28, 0x2B), P(0, 0x2B)},
    LETTER('z', 0x2C), LETTER('x', 0x2D), LETTER('c', 0x2E), LETTER('v', 0x2F), LETTER('b', 0x30),
    LETTER('n', 0x31), LETTER('m', 0x32),
    {0x33, ',', '<', 0, 0, P(0, 0x33)},
    {0x34, '.', '>', 0, 0, P(0, 0x34)},
    {0x35, '/', '?', 0, 0, P(0, 0x35)},
    {0x39, ' ', ' ', 0, P(32, 0x39), P(32, 0x39)},  // Space
};
#undef LETTER

static constexpr int charKeyCount = sizeof charKeys / sizeof *charKeys;

// Character (0 to 127) -> index into charKeys + 1; 0 for a character no US key types.
struct CharIndex {
  uint8_t keyOf[128] = {};
  CharIndex() {
    for (int i = 0; i < charKeyCount; i++) {
      keyOf[charKeys[i].normal] = uint8_t(i + 1);
      keyOf[charKeys[i].shifted] = uint8_t(i + 1);
    }
  }
};
static const CharIndex charIndex;

// Grey function and cursor keys: codes of the normal, Shift, Ctrl and Alt states.
struct ExtendedKey {
  SDLKey sym;
  uint8_t normal, shift, ctrl, alt;
};

static const ExtendedKey extendedKeys[] = {
    {SDLK_F1, 0x3B, 0x54, 0x5E, 0x68},     {SDLK_F2, 0x3C, 0x55, 0x5F, 0x69},
    {SDLK_F3, 0x3D, 0x56, 0x60, 0x6A},     {SDLK_F4, 0x3E, 0x57, 0x61, 0x6B},
    {SDLK_F5, 0x3F, 0x58, 0x62, 0x6C},     {SDLK_F6, 0x40, 0x59, 0x63, 0x6D},
    {SDLK_F7, 0x41, 0x5A, 0x64, 0x6E},     {SDLK_F8, 0x42, 0x5B, 0x65, 0x6F},
    {SDLK_F9, 0x43, 0x5C, 0x66, 0x70},     {SDLK_F10, 0x44, 0x5D, 0x67, 0x71},
    {SDLK_F11, 0x85, 0x87, 0x89, 0x8B},    {SDLK_F12, 0x86, 0x88, 0x8A, 0x8C},
    {SDLK_HOME, 0x47, 0x47, 0x77, 0x97},   {SDLK_UP, 0x48, 0x48, 0x8D, 0x98},
    {SDLK_PAGEUP, 0x49, 0x49, 0x84, 0x99}, {SDLK_LEFT, 0x4B, 0x4B, 0x73, 0x9B},
    {SDLK_RIGHT, 0x4D, 0x4D, 0x74, 0x9D},  {SDLK_END, 0x4F, 0x4F, 0x75, 0x9F},
    {SDLK_DOWN, 0x50, 0x50, 0x91, 0xA0},   {SDLK_PAGEDOWN, 0x51, 0x51, 0x76, 0xA1},
    {SDLK_INSERT, 0x52, 0x52, 0x92, 0xA2}, {SDLK_DELETE, 0x53, 0x53, 0x93, 0xA3},
};

// Keypad keys: the character and scan code the key gives with Num Lock, its cursor-key code
// without (0: none), and its Ctrl and Alt pairs. The grey keys type their character in every
// Num Lock state. Alt with a digit enters a character number (keyboard.cpp), so those have no
// Alt pair here.
struct KeypadKey {
  SDLKey sym;
  uint8_t character, scan, cursor;
  bool grey;
  uint16_t ctrl, alt;
};

static const KeypadKey keypadKeys[] = {
    {SDLK_KP7, '7', 0x47, 0x47, false, P(0, 0x77), 0},
    {SDLK_KP8, '8', 0x48, 0x48, false, P(0, 0x8D), 0},
    {SDLK_KP9, '9', 0x49, 0x49, false, P(0, 0x84), 0},
    {SDLK_KP4, '4', 0x4B, 0x4B, false, P(0, 0x73), 0},
    {SDLK_KP5, '5', 0x4C, 0, false, P(0, 0x8F), 0},
    {SDLK_KP6, '6', 0x4D, 0x4D, false, P(0, 0x74), 0},
    {SDLK_KP1, '1', 0x4F, 0x4F, false, P(0, 0x75), 0},
    {SDLK_KP2, '2', 0x50, 0x50, false, P(0, 0x91), 0},
    {SDLK_KP3, '3', 0x51, 0x51, false, P(0, 0x76), 0},
    {SDLK_KP0, '0', 0x52, 0x52, false, P(0, 0x92), 0},
    {SDLK_KP_PERIOD, '.', 0x53, 0x53, false, P(0, 0x93), 0},
    {SDLK_KP_MINUS, '-', 0x4A, 0, true, P(0, 0x8E), P(0, 0x4A)},
    {SDLK_KP_PLUS, '+', 0x4E, 0, true, P(0, 0x90), P(0, 0x4E)},
    {SDLK_KP_MULTIPLY, '*', 0x37, 0, true, P(0, 0x96), P(0, 0x37)},
    {SDLK_KP_DIVIDE, '/', 0x35, 0, true, P(0, 0x95), P(0, 0xA4)},
    {SDLK_KP_ENTER, 13, 0x1C, 0, true, P(10, 0x1C), P(0, 0xA6)},
    {SDLK_KP_EQUALS, '=', 0x0D, 0, true, 0, 0},  // not on the PC keypad: read as the main '='
};

enum Variant { NORMAL, SHIFT, CTRL, ALT };

static Variant variantOf(KeyModifiers m) { return m.alt ? ALT : m.ctrl ? CTRL : m.shift ? SHIFT : NORMAL; }

template <typename Key, size_t n>
static const Key* findKey(const Key (&table)[n], SDLKey sym) {
  for (const Key& k : table)
    if (k.sym == sym) return &k;
  return nullptr;
}

static bool isLetter(SDLKey sym) { return sym >= SDLK_a && sym <= SDLK_z; }

// A letter in the case that exactly one of Shift and Caps Lock asks for.
static int letterIn(int lower, KeyModifiers m) { return m.shift != m.capsLock ? lower - 32 : lower; }

// The keys that type a character in every modifier state, even when no character came with
// the press (Shift+Tab comes without one).
static bool isTypingKey(SDLKey sym) {
  return sym == SDLK_BACKSPACE || sym == SDLK_TAB || sym == SDLK_RETURN || sym == SDLK_ESCAPE;
}

// With Ctrl held the character is a control code that no longer names its key (Ctrl+3 and
// Ctrl+[ both give 27), so the key itself decides what is pressed.
static int ctrlKeyCharacter(SDLKey sym, uint16_t u, KeyModifiers m) {
  if (isLetter(sym)) return letterIn(sym, m);
  if (isTypingKey(sym) || (sym >= 32 && sym <= 96)) return sym;
  if (u >= 1 && u <= 26) return letterIn('a' + u - 1, m);
  return -1;
}

// The byte a typed character presses: ASCII as it is, full-width forms as their ASCII twins,
// the ideographic space as a space, other characters by the character table; -1 for none.
static int byteOfCharacter(uint16_t u) {
  if (u < 128) return u;
  if (u >= 0xFF01 && u <= 0xFF5E) return u - 0xFEE0;
  if (u == 0x3000) return ' ';
  return Charset_FromUnicode(u);
}

// The stored pair of a pressed character. A character that no US key types (above 127, or a
// layout's own) is stored with scan code 0 in every state.
static bool pairOfCharacter(int c, Variant v, KeyPair* pair) {
  int index = c < 128 ? charIndex.keyOf[c] : 0;
  if (index == 0) {
    *pair = KeyPair{uint8_t(c), 0};
    return true;
  }
  const CharKey& k = charKeys[index - 1];
  uint16_t p = P(uint8_t(c), k.scan);
  if (v == SHIFT && k.shiftPair != 0) p = k.shiftPair;
  if (v == CTRL) p = k.ctrl;
  if (v == ALT) p = k.alt;
  if (p == 0) return false;
  *pair = pairOf(p);
  return true;
}

bool Key_Translate(SDLKey sym, uint16_t unicode, KeyModifiers mods, KeyPair* pair) {
  uint16_t u = unicode;
  if (u == 127 && sym == SDLK_BACKSPACE) u = 8;
  if (u == 127 && sym == SDLK_DELETE) u = 0;
  Variant v = variantOf(mods);

  if (const KeypadKey* k = findKey(keypadKeys, sym)) {
    uint16_t p = v == ALT ? k->alt : v == CTRL ? k->ctrl : (u != 0 || k->grey) ? P(k->character, k->scan) : P(0, k->cursor);
    if (p == 0) return false;
    *pair = pairOf(p);
    return true;
  }

  int c = -1;
  if (u != 0) {
    c = mods.ctrl && (u < 32 || u == 127) ? ctrlKeyCharacter(sym, u, mods) : byteOfCharacter(u);
  } else if (const ExtendedKey* k = findKey(extendedKeys, sym)) {
    uint8_t code = v == ALT ? k->alt : v == CTRL ? k->ctrl : v == SHIFT ? k->shift : k->normal;
    *pair = KeyPair{0, code};
    return true;
  } else if (isLetter(sym)) {
    c = letterIn(sym, mods);
  } else if (isTypingKey(sym) || (mods.ctrl && sym >= 32 && sym <= 96)) {
    c = sym;
  }
  return c >= 0 && pairOfCharacter(c, v, pair);
}
