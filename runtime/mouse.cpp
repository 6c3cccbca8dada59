// mouse.cpp: the mouse queue. The main thread appends records and moves the newest index; the
// game thread moves the current index. Placeholder until the full queue lands.
#include "runtime/mouse.h"

#include <atomic>

#include "runtime/error.h"
#include "runtime/input_events.h"

static std::atomic<int32_t> motionSkip{1};
static std::atomic<int32_t> cursorVisibilitySet{0};

int32_t Mouse_Input() { return 0; }
float Mouse_X() { return 0; }
float Mouse_Y() { return 0; }
int32_t Mouse_Button(int32_t n) {
  if (Error_Pending()) return 0;
  if (n < 1) Runtime_Error(5);
  return 0;
}
void Mouse_Hide() {}
void Mouse_Show() {}
void Mouse_SetMotionSkip(int32_t count) { motionSkip = count; }
void Mouse_RestartQueue() {}
bool Mouse_CursorVisibilitySet() { return cursorVisibilitySet.load() != 0; }
void Mouse_InitQueue() {}
void Mouse_OnEvent(const SDL_Event&) {}
