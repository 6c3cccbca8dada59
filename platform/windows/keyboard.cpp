// keyboard.cpp: lock and modifier key state as the calling thread's input queue last saw
// it (GetKeyState: the main thread, which reads the window's messages, sees the keys as its
// events left them). No state.
#include "platform/platform.h"

#include <windows.h>

static bool toggled(int key) { return (GetKeyState(key) & 1) != 0; }
static bool down(int key) { return (GetKeyState(key) & 0x8000) != 0; }

uint32_t Sys_KeyState() {
  uint32_t state = SYS_KEY_KNOWN;
  if (toggled(VK_SCROLL)) state |= SYS_KEY_SCROLL_LOCK;
  if (toggled(VK_CAPITAL)) state |= SYS_KEY_CAPS_LOCK;
  if (toggled(VK_NUMLOCK)) state |= SYS_KEY_NUM_LOCK;
  if (down(VK_LSHIFT)) state |= SYS_KEY_LSHIFT;
  if (down(VK_RSHIFT)) state |= SYS_KEY_RSHIFT;
  if (down(VK_LCONTROL)) state |= SYS_KEY_LCTRL;
  if (down(VK_RCONTROL)) state |= SYS_KEY_RCTRL;
  if (down(VK_LMENU)) state |= SYS_KEY_LALT;
  if (down(VK_RMENU)) state |= SYS_KEY_RALT;
  return state;
}
