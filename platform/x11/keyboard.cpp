// keyboard.cpp: lock and modifier key state read from the X server, on SDL's own display
// connection. Keeps the indicator atoms, looked up on first use by whichever thread asks first
// (the main thread at start-up, before the game thread exists).
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/keysym.h>

static Display* sdlDisplay() {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11) return nullptr;
  return info.info.x11.display;
}

static bool indicatorOn(Display* display, const char* name) {
  Atom atom = XInternAtom(display, name, True);
  Bool on = False;
  if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return false;
  return on;
}

static bool keyDown(Display* display, const char keys[32], KeySym sym) {
  KeyCode code = XKeysymToKeycode(display, sym);
  return code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0;
}

uint32_t Sys_KeyState() {
  Display* display = sdlDisplay();
  if (display == nullptr) return 0;
  uint32_t state = SYS_KEY_KNOWN;
  if (indicatorOn(display, "Scroll Lock")) state |= SYS_KEY_SCROLL_LOCK;
  if (indicatorOn(display, "Caps Lock")) state |= SYS_KEY_CAPS_LOCK;
  if (indicatorOn(display, "Num Lock")) state |= SYS_KEY_NUM_LOCK;
  char keys[32];
  XQueryKeymap(display, keys);
  if (keyDown(display, keys, XK_Shift_L)) state |= SYS_KEY_LSHIFT;
  if (keyDown(display, keys, XK_Shift_R)) state |= SYS_KEY_RSHIFT;
  if (keyDown(display, keys, XK_Control_L)) state |= SYS_KEY_LCTRL;
  if (keyDown(display, keys, XK_Control_R)) state |= SYS_KEY_RCTRL;
  if (keyDown(display, keys, XK_Alt_L)) state |= SYS_KEY_LALT;
  if (keyDown(display, keys, XK_Alt_R)) state |= SYS_KEY_RALT;
  return state;
}
