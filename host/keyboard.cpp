// keyboard.cpp: the key buffer, the held-key set and the special presses.
//
// The key buffer is a ring of 16 BIOS key pairs that holds at most 15 keys: empty when head
// equals tail, full when the slot after the tail is the head. The main thread's event pass
// writes a slot and then publishes it by moving the tail (release); the game thread reads the
// slot at the head after loading the tail (acquire) and frees it by moving the head (release).
// A press that finds the buffer full is dropped, so no slot is ever written while it is read.
//
// The held-key set (every SDL key now down, with the lock keys present while their lock is on)
// and the Alt+keypad number being typed belong to the main thread alone.
#include "host/keyboard.h"

#include <atomic>
#include <bitset>

#include "graphics/present.h"
#include "platform/platform.h"
#include "runtime/error.h"
#include "host/input_events.h"
#include "host/key_translate.h"
#include "runtime/program.h"
#include "runtime/wake.h"

static constexpr int32_t keySlots = 16;

static struct {
  KeyPair slots[keySlots];
  std::atomic<int32_t> head{0};  // next slot to read; game thread
  std::atomic<int32_t> tail{0};  // next slot to write; main thread
  std::bitset<SDLK_LAST> held;   // keys down and locks on; main thread
  uint32_t altNumber;            // Alt+keypad number so far, modulo 256; main thread
  bool altDigits;                // at least one keypad digit typed with Alt held
} keys;

// ---- main thread ---------------------------------------------------------------------------

bool Key_Store(uint8_t character, uint8_t scan) {
  int32_t t = keys.tail.load(std::memory_order_relaxed);
  int32_t next = (t + 1) % keySlots;
  if (next == keys.head.load(std::memory_order_acquire)) return false;
  keys.slots[t] = KeyPair{character, scan};
  keys.tail.store(next, std::memory_order_release);
  Wake_Game();
  return true;
}

static KeyModifiers heldModifiers() {
  const auto& h = keys.held;
  return KeyModifiers{h[SDLK_LSHIFT] || h[SDLK_RSHIFT], h[SDLK_LCTRL] || h[SDLK_RCTRL], h[SDLK_LALT] || h[SDLK_RALT],
                      h[SDLK_CAPSLOCK]};
}

static void setLocks(uint32_t state) {
  keys.held[SDLK_SCROLLOCK] = (state & SYS_KEY_SCROLL_LOCK) != 0;
  keys.held[SDLK_CAPSLOCK] = (state & SYS_KEY_CAPS_LOCK) != 0;
  keys.held[SDLK_NUMLOCK] = (state & SYS_KEY_NUM_LOCK) != 0;
}

void Key_CaptureHeldState() {
  keys.head = 0;
  keys.tail = 0;
  keys.held.reset();
  keys.altNumber = 0;
  keys.altDigits = false;
  uint32_t state = Sys_KeyState();
  setLocks(state);
  keys.held[SDLK_LSHIFT] = (state & SYS_KEY_LSHIFT) != 0;
  keys.held[SDLK_RSHIFT] = (state & SYS_KEY_RSHIFT) != 0;
  keys.held[SDLK_LCTRL] = (state & SYS_KEY_LCTRL) != 0;
  keys.held[SDLK_RCTRL] = (state & SYS_KEY_RCTRL) != 0;
  keys.held[SDLK_LALT] = (state & SYS_KEY_LALT) != 0;
  keys.held[SDLK_RALT] = (state & SYS_KEY_RALT) != 0;
}

// A lock toggled while the window had no focus, or a lock press the window system did not
// report, is put right here; a system that cannot tell leaves the set as the events made it.
void Key_SyncLocks() {
  uint32_t state = Sys_KeyState();
  if (state & SYS_KEY_KNOWN) setLocks(state);
}

static bool isModifierOrLock(SDLKey sym) { return sym >= SDLK_NUMLOCK && sym <= SDLK_COMPOSE; }

void Key_OnKeyDown(const SDL_KeyboardEvent& event) {
  SDLKey sym = event.keysym.sym;
  // A key without a symbol is released again at once, so it never joins the set.
  if (sym > SDLK_UNKNOWN && sym < SDLK_LAST) keys.held.set(sym);
  KeyModifiers mods = heldModifiers();

  // Break is Ctrl+Pause on a PC keyboard, and the window system reports it so.
  if (sym == SDLK_BREAK || (mods.ctrl && (sym == SDLK_PAUSE || sym == SDLK_SCROLLOCK || sym == SDLK_F15))) {
    endRequested = 1;
    return;  // read by the main thread itself at the end of this event pass
  }
  if (sym == SDLK_PAUSE || (mods.ctrl && sym == SDLK_NUMLOCK)) {
    pauseFlags.fetch_or(1);
    eventCheckPending = 1;
    Wake_Game();
    return;
  }
  if (isModifierOrLock(sym)) return;
  if (pauseFlags.load() & 1) {
    pauseFlags.fetch_and(uint8_t(~1u));
    Wake_Game();
    return;
  }
  if (mods.alt && (sym == SDLK_RETURN || sym == SDLK_KP_ENTER)) {
    Present_RequestFullScreenToggle();
    return;
  }
  if (mods.alt && sym >= SDLK_KP0 && sym <= SDLK_KP9) {
    keys.altNumber = (keys.altNumber * 10 + uint32_t(sym - SDLK_KP0)) % 256;
    keys.altDigits = true;
    return;
  }
  keys.altNumber = 0;
  keys.altDigits = false;
  KeyPair pair;
  if (Key_Translate(sym, event.keysym.unicode, mods, &pair)) Key_Store(pair.character, pair.scan);
}

void Key_OnKeyUp(const SDL_KeyboardEvent& event) {
  SDLKey sym = event.keysym.sym;
  if (sym > SDLK_UNKNOWN && sym < SDLK_LAST) keys.held.reset(sym);
  if ((sym == SDLK_LALT || sym == SDLK_RALT) && !heldModifiers().alt && keys.altDigits) {
    // The typed number is a character of its own, without a scan code, as on the PC.
    Key_Store(uint8_t(keys.altNumber), 0);
    keys.altNumber = 0;
    keys.altDigits = false;
  }
}

// ---- game thread ---------------------------------------------------------------------------

std::string Key_Read() {
  if (Error_Pending()) return "";
  uint32_t news = Wake_GameNews();
  int32_t h = keys.head.load(std::memory_order_relaxed);
  if (h == keys.tail.load(std::memory_order_acquire)) {
    // The game's key waits call this in every pass: an empty read that follows another with
    // nothing new between them sleeps until a key, a click or a step-end request comes.
    Wake_GameRestAfterEmptyRead(news);
    return "";
  }
  KeyPair pair = keys.slots[h];
  keys.head.store((h + 1) % keySlots, std::memory_order_release);
  if (pair.character != 0 || pair.scan == 0) return std::string(1, char(pair.character));
  return std::string{'\0', char(pair.scan)};
}
