// The key buffer as the game reads it, driven by the same SDL key events the event pass hands
// over: the BIOS pairs of each modifier state, the keys that press nothing, the special
// presses and the buffer's fifteen-key limit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/error.h"
#include "host/input_events.h"
#include "host/key_translate.h"
#include "host/keyboard.h"
#include "runtime/program.h"

namespace {

SDL_KeyboardEvent keyEvent(bool down, SDLKey sym, uint16_t unicode) {
  SDL_KeyboardEvent e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.keysym.sym = sym;
  e.keysym.unicode = unicode;
  return e;
}

void down(SDLKey sym, uint16_t unicode = 0) { Key_OnKeyDown(keyEvent(true, sym, unicode)); }
void up(SDLKey sym) { Key_OnKeyUp(keyEvent(false, sym, 0)); }
// A key typed while the given modifier keys are held, as the window system delivers it.
void type(std::vector<SDLKey> modifiers, SDLKey sym, uint16_t unicode) {
  for (SDLKey m : modifiers) down(m);
  down(sym, unicode);
  up(sym);
  for (SDLKey m : modifiers) up(m);
}

std::string bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s += char(c);
  return s;
}

std::vector<std::string> readAll() {
  std::vector<std::string> keys;
  for (std::string k; !(k = Key_Read()).empty();) keys.push_back(k);
  return keys;
}

struct KeyboardTest : ::testing::Test {
  void SetUp() override {
    pendingError = 0;
    pauseFlags = 0;
    endRequested = 0;
    eventCheckPending = 0;
    Key_CaptureHeldState();  // no window system here: nothing held, the buffer empty
  }
  void TearDown() override {
    pendingError = 0;
    pauseFlags = 0;
    endRequested = 0;
    eventCheckPending = 0;
  }
};

KeyPair translate(SDLKey sym, uint16_t unicode, KeyModifiers m, bool* stored) {
  KeyPair p{0xEE, 0xEE};
  *stored = Key_Translate(sym, unicode, m, &p);
  return p;
}

const KeyModifiers plain{}, shift{true, false, false, false}, ctrl{false, true, false, false},
    alt{false, false, true, false}, caps{false, false, false, true};

struct Case {
  const char* what;
  SDLKey sym;
  uint16_t unicode;
  KeyModifiers mods;
  int character, scan;  // -1: nothing stored
};

void expectTable(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    bool stored;
    KeyPair p = translate(c.sym, c.unicode, c.mods, &stored);
    if (c.character < 0) {
      EXPECT_FALSE(stored) << c.what;
      continue;
    }
    ASSERT_TRUE(stored) << c.what;
    EXPECT_EQ(p.character, c.character) << c.what;
    EXPECT_EQ(p.scan, c.scan) << c.what;
  }
}

}  // namespace

// ---- the BIOS table -----------------------------------------------------------------------

TEST(KeyTranslate, CharacterKeysInEachModifierState) {
  expectTable({
      {"q", SDLK_q, 'q', plain, 113, 16},
      {"Shift+q", SDLK_q, 'Q', shift, 'Q', 16},
      {"Caps Lock q", SDLK_q, 'Q', caps, 'Q', 16},
      {"Ctrl+q", SDLK_q, 17, ctrl, 17, 16},
      {"Alt+q", SDLK_q, 'q', alt, 0, 16},
      {"Ctrl+Alt+q: Alt wins", SDLK_q, 17, {false, true, true, false}, 0, 16},
      {"Ctrl+Shift+q: Ctrl wins", SDLK_q, 17, {true, true, false, false}, 17, 16},
      {"a", SDLK_a, 'a', plain, 'a', 0x1E},
      {"m", SDLK_m, 'm', plain, 'm', 0x32},
      {"Ctrl+m is not Enter", SDLK_m, 13, ctrl, 13, 0x32},
      {"1", SDLK_1, '1', plain, '1', 2},
      {"Shift+1", SDLK_1, '!', shift, '!', 2},
      {"Ctrl+1: none", SDLK_1, '1', ctrl, -1, 0},
      {"Alt+1", SDLK_1, '1', alt, 0, 0x78},
      {"Alt+Shift+1", SDLK_1, '!', {true, false, true, false}, 0, 0x78},
      {"Alt+0", SDLK_0, '0', alt, 0, 0x81},
      {"Alt+=", SDLK_EQUALS, '=', alt, 0, 0x83},
      {"space", SDLK_SPACE, ' ', plain, 32, 0x39},
      {"Alt+space", SDLK_SPACE, ' ', alt, 32, 0x39},
      {"/", SDLK_SLASH, '/', plain, '/', 0x35},
      {"Shift+'", SDLK_QUOTE, '"', shift, '"', 0x28},
  });
}

TEST(KeyTranslate, CtrlWithControlKeysAndPunctuation) {
  // The characters are what the window system delivers with Ctrl held.
  expectTable({
      {"Ctrl+Enter", SDLK_RETURN, 13, ctrl, 10, 0x1C},
      {"Ctrl+Escape", SDLK_ESCAPE, 27, ctrl, 27, 0x01},
      {"Ctrl+space", SDLK_SPACE, 0, ctrl, 32, 0x39},
      {"Ctrl+6", SDLK_6, 30, ctrl, 30, 0x07},
      {"Ctrl+[", SDLK_LEFTBRACKET, 27, ctrl, 27, 0x1A},
      {"Ctrl+\\", SDLK_BACKSLASH, 28, ctrl, 28, 0x2B},
      {"Ctrl+]", SDLK_RIGHTBRACKET, 29, ctrl, 29, 0x1B},
      {"Ctrl+-", SDLK_MINUS, 31, ctrl, 31, 0x0C},
      {"Ctrl+2", SDLK_2, 0, ctrl, 0, 0x03},
      {"Ctrl+3: Escape's character but no code", SDLK_3, 27, ctrl, -1, 0},
      {"Ctrl+8: none", SDLK_8, 127, ctrl, -1, 0},
      {"Ctrl+Backspace", SDLK_BACKSPACE, 8, ctrl, 127, 0x0E},
      {"Ctrl+Tab", SDLK_TAB, 9, ctrl, 0, 0x94},
      {"Ctrl+Shift+a", SDLK_a, 1, {true, true, false, false}, 1, 0x1E},
      {"Ctrl+a without a character", SDLK_a, 0, ctrl, 1, 0x1E},
  });
}

TEST(KeyTranslate, EditingKeys) {
  expectTable({
      {"Backspace", SDLK_BACKSPACE, 8, plain, 8, 0x0E},
      {"Backspace as 127", SDLK_BACKSPACE, 127, plain, 8, 0x0E},
      {"Tab", SDLK_TAB, 9, plain, 9, 0x0F},
      {"Shift+Tab without a character", SDLK_TAB, 0, shift, 0, 0x0F},
      {"Enter", SDLK_RETURN, 13, plain, 13, 0x1C},
      {"Shift+Enter", SDLK_RETURN, 13, shift, 13, 0x1C},
      {"Escape", SDLK_ESCAPE, 27, plain, 27, 0x01},
      {"Delete as 127", SDLK_DELETE, 127, plain, 0, 0x53},
      {"Alt+Backspace", SDLK_BACKSPACE, 8, alt, 0, 0x0E},
  });
}

TEST(KeyTranslate, ExtendedKeysAndTheirVariants) {
  expectTable({
      {"Up", SDLK_UP, 0, plain, 0, 72},
      {"Shift+Up", SDLK_UP, 0, shift, 0, 72},
      {"Ctrl+Up", SDLK_UP, 0, ctrl, 0, 0x8D},
      {"Alt+Up", SDLK_UP, 0, alt, 0, 0x98},
      {"Home", SDLK_HOME, 0, plain, 0, 71},
      {"Page Up", SDLK_PAGEUP, 0, plain, 0, 73},
      {"Left", SDLK_LEFT, 0, plain, 0, 75},
      {"Right", SDLK_RIGHT, 0, plain, 0, 77},
      {"End", SDLK_END, 0, plain, 0, 79},
      {"Down", SDLK_DOWN, 0, plain, 0, 80},
      {"Page Down", SDLK_PAGEDOWN, 0, plain, 0, 81},
      {"Insert", SDLK_INSERT, 0, plain, 0, 82},
      {"Delete", SDLK_DELETE, 0, plain, 0, 83},
      {"Ctrl+Home", SDLK_HOME, 0, ctrl, 0, 0x77},
      {"Ctrl+End", SDLK_END, 0, ctrl, 0, 0x75},
      {"Alt+Delete", SDLK_DELETE, 0, alt, 0, 0xA3},
      {"F1", SDLK_F1, 0, plain, 0, 59},
      {"F10", SDLK_F10, 0, plain, 0, 68},
      {"F11", SDLK_F11, 0, plain, 0, 133},
      {"F12", SDLK_F12, 0, plain, 0, 134},
      {"Shift+F1", SDLK_F1, 0, shift, 0, 0x54},
      {"Ctrl+F10", SDLK_F10, 0, ctrl, 0, 0x67},
      {"Alt+F12", SDLK_F12, 0, alt, 0, 0x8C},
      {"F13: no code", SDLK_F13, 0, plain, -1, 0},
      {"Print Screen: no code", SDLK_PRINT, 0, plain, -1, 0},
  });
}

TEST(KeyTranslate, KeypadWithAndWithoutNumLock) {
  expectTable({
      {"keypad 7, Num Lock on", SDLK_KP7, '7', plain, '7', 0x47},
      {"keypad 7, Num Lock off", SDLK_KP7, 0, plain, 0, 0x47},
      {"keypad 8 off", SDLK_KP8, 0, plain, 0, 72},
      {"keypad 5 on", SDLK_KP5, '5', plain, '5', 0x4C},
      {"keypad 5 off: nothing", SDLK_KP5, 0, plain, -1, 0},
      {"keypad 0 off", SDLK_KP0, 0, plain, 0, 82},
      {"keypad . on", SDLK_KP_PERIOD, '.', plain, '.', 0x53},
      {"keypad . off", SDLK_KP_PERIOD, 0, plain, 0, 83},
      {"Shift with Num Lock on gives the cursor key", SDLK_KP2, 0, shift, 0, 80},
      {"Ctrl+keypad 7 (character 31)", SDLK_KP7, 31, ctrl, 0, 0x77},
      {"Ctrl+keypad 7 off", SDLK_KP7, 0, ctrl, 0, 0x77},
      {"keypad -", SDLK_KP_MINUS, '-', plain, '-', 0x4A},
      {"keypad +", SDLK_KP_PLUS, '+', plain, '+', 0x4E},
      {"keypad *", SDLK_KP_MULTIPLY, '*', plain, '*', 0x37},
      {"keypad /", SDLK_KP_DIVIDE, '/', plain, '/', 0x35},
      {"keypad Enter", SDLK_KP_ENTER, 13, plain, 13, 0x1C},
      {"Ctrl+keypad Enter", SDLK_KP_ENTER, 13, ctrl, 10, 0x1C},
      {"Alt+keypad +", SDLK_KP_PLUS, '+', alt, 0, 0x4E},
      {"Ctrl+keypad /", SDLK_KP_DIVIDE, '/', ctrl, 0, 0x95},
  });
}

TEST(KeyTranslate, CharactersBeyondAscii) {
  expectTable({
      {"e acute: code page 437 130", SDLK_WORLD_73, 0xE9, plain, 130, 0},
      {"pound sign", SDLK_UNKNOWN, 0xA3, plain, 156, 0},
      {"full block", SDLK_UNKNOWN, 0x2588, plain, 219, 0},
      {"full-width !", SDLK_UNKNOWN, 0xFF01, plain, '!', 2},
      {"full-width a", SDLK_UNKNOWN, 0xFF41, plain, 'a', 0x1E},
      {"full-width ~", SDLK_UNKNOWN, 0xFF5E, plain, '~', 0x29},
      {"ideographic space", SDLK_UNKNOWN, 0x3000, plain, ' ', 0x39},
      {"a character outside the table", SDLK_UNKNOWN, 0x0416, plain, -1, 0},
      {"no-break space is not in the table", SDLK_UNKNOWN, 0xA0, plain, -1, 0},
  });
}

TEST(KeyTranslate, ModifierAndLockKeysPressNothing) {
  for (SDLKey sym : {SDLK_LSHIFT, SDLK_RSHIFT, SDLK_LCTRL, SDLK_RCTRL, SDLK_LALT, SDLK_RALT, SDLK_CAPSLOCK,
                     SDLK_NUMLOCK, SDLK_SCROLLOCK, SDLK_LSUPER, SDLK_MODE}) {
    bool stored;
    translate(sym, 0, plain, &stored);
    EXPECT_FALSE(stored) << sym;
  }
}

// ---- the key buffer -----------------------------------------------------------------------

TEST_F(KeyboardTest, ReadsQAndUp) {
  type({}, SDLK_q, 'q');
  type({}, SDLK_UP, 0);
  EXPECT_EQ(Key_Read(), "q");
  EXPECT_EQ(Key_Read(), bytes({0, 72}));
  EXPECT_EQ(Key_Read(), "");
}

TEST_F(KeyboardTest, ModifiersComeFromTheHeldKeys) {
  type({SDLK_LCTRL}, SDLK_q, 17);
  type({SDLK_RALT}, SDLK_q, 'q');
  type({SDLK_RSHIFT}, SDLK_q, 'Q');
  type({SDLK_LSHIFT}, SDLK_F1, 0);
  type({}, SDLK_F1, 0);
  EXPECT_EQ(readAll(), (std::vector<std::string>{bytes({17}), bytes({0, 16}), "Q", bytes({0, 0x54}), bytes({0, 59})}));
}

TEST_F(KeyboardTest, ModifiersAndLocksAloneAddNothing) {
  type({}, SDLK_LSHIFT, 0);
  type({}, SDLK_RCTRL, 0);
  type({}, SDLK_LALT, 0);
  down(SDLK_CAPSLOCK);  // the lock turns on: a press without a release
  down(SDLK_NUMLOCK);
  type({}, SDLK_SCROLLOCK, 0);
  EXPECT_EQ(Key_Read(), "");
}

TEST_F(KeyboardTest, CapsLockDecidesTheCaseOfLettersWithoutACharacter) {
  type({}, SDLK_x, 0);
  down(SDLK_CAPSLOCK);
  type({}, SDLK_x, 0);
  type({SDLK_LSHIFT}, SDLK_x, 0);
  up(SDLK_CAPSLOCK);  // the lock turns off
  type({}, SDLK_x, 0);
  EXPECT_EQ(readAll(), (std::vector<std::string>{"x", "X", "x", "x"}));
}

TEST_F(KeyboardTest, SixteenPressesKeepTheFirstFifteen) {
  const char* letters = "abcdefghijklmnop";
  for (int i = 0; i < 16; i++) type({}, SDLKey(letters[i]), uint16_t(letters[i]));
  std::string got;
  for (const std::string& k : readAll()) got += k;
  EXPECT_EQ(got, "abcdefghijklmno");
  // Room again after reading, round the ring.
  for (int round = 0; round < 3; round++) {
    for (int i = 0; i < 10; i++) type({}, SDLKey(letters[i]), uint16_t(letters[i]));
    got.clear();
    for (const std::string& k : readAll()) got += k;
    EXPECT_EQ(got, "abcdefghij");
  }
}

TEST_F(KeyboardTest, ReadIsEmptyWhileAnErrorIsPending) {
  type({}, SDLK_q, 'q');
  pendingError = 5;
  EXPECT_EQ(Key_Read(), "");
  pendingError = 0;
  EXPECT_EQ(Key_Read(), "q");
}

TEST_F(KeyboardTest, ZeroCharacterWithZeroScanReadsAsOneByte) {
  Key_Store(0, 0);
  EXPECT_EQ(Key_Read(), bytes({0}));
}

// ---- special presses ----------------------------------------------------------------------

TEST_F(KeyboardTest, BreakEndsTheProgram) {
  type({}, SDLK_BREAK, 0);
  EXPECT_EQ(endRequested.load(), 1);
  endRequested = 0;
  type({SDLK_LCTRL}, SDLK_PAUSE, 0);  // how the window system reports Break
  EXPECT_EQ(endRequested.load(), 1);
  endRequested = 0;
  type({SDLK_RCTRL}, SDLK_SCROLLOCK, 0);
  EXPECT_EQ(endRequested.load(), 1);
  endRequested = 0;
  type({SDLK_LCTRL}, SDLK_F15, 0);
  EXPECT_EQ(endRequested.load(), 1);
  EXPECT_EQ(Key_Read(), "");
  EXPECT_EQ(pauseFlags.load(), 0);
}

TEST_F(KeyboardTest, PauseHoldsUntilTheNextKeyWhichIsNotBuffered) {
  type({}, SDLK_PAUSE, 0);
  EXPECT_EQ(pauseFlags.load() & 1, 1);
  EXPECT_EQ(eventCheckPending.load(), 1);
  type({}, SDLK_LSHIFT, 0);  // a modifier does not end the pause
  EXPECT_EQ(pauseFlags.load() & 1, 1);
  type({}, SDLK_a, 'a');
  EXPECT_EQ(pauseFlags.load() & 1, 0);
  type({}, SDLK_b, 'b');
  EXPECT_EQ(readAll(), std::vector<std::string>{"b"});
  // Ctrl+Num Lock pauses too.
  down(SDLK_LCTRL);
  down(SDLK_NUMLOCK);
  up(SDLK_LCTRL);
  EXPECT_EQ(pauseFlags.load() & 1, 1);
  type({}, SDLK_UP, 0);
  EXPECT_EQ(pauseFlags.load() & 1, 0);
  EXPECT_EQ(Key_Read(), "");
}

TEST_F(KeyboardTest, AltEnterGoesToThePresentationNotTheBuffer) {
  type({SDLK_LALT}, SDLK_RETURN, 13);
  type({SDLK_RALT}, SDLK_KP_ENTER, 13);
  EXPECT_EQ(Key_Read(), "");
  type({}, SDLK_RETURN, 13);
  EXPECT_EQ(Key_Read(), "\r");
}

TEST_F(KeyboardTest, AltWithKeypadDigitsPressesTheNumberOnRelease) {
  down(SDLK_LALT);
  down(SDLK_KP6, '6');
  down(SDLK_KP5, '5');
  EXPECT_EQ(Key_Read(), "");
  up(SDLK_LALT);
  EXPECT_EQ(Key_Read(), "A");
  // Modulo 256, and the keypad digits count without Num Lock too.
  type({SDLK_RALT}, SDLK_KP3, 0);
  down(SDLK_RALT);
  for (SDLKey d : {SDLK_KP3, SDLK_KP2, SDLK_KP1}) down(d, 0);
  up(SDLK_RALT);
  EXPECT_EQ(Key_Read(), bytes({3}));
  EXPECT_EQ(Key_Read(), bytes({321 % 256}));
  // Another key typed in between ends the number; Alt alone presses nothing.
  down(SDLK_LALT);
  down(SDLK_KP1, '1');
  down(SDLK_x, 'x');
  up(SDLK_LALT);
  type({}, SDLK_LALT, 0);
  EXPECT_EQ(readAll(), std::vector<std::string>{bytes({0, 0x2D})});
}
