// message_box.cpp: the modal message box, the system's own. Owns nothing: the box lives
// within one call, on the calling thread, and its caller waits for the answer while the main
// thread goes on presenting and reading input.
#include "platform/platform.h"
#include "platform/shared/box_without_display.h"

#include <SDL.h>

#include <windows.h>

#include <cstdio>

#include "platform/windows/program_window.h"
#include "platform/windows/wide.h"

// A program without a window system (SDL's dummy video driver, as the tests run it) or on a
// desktop nobody sees (a service) has nobody to answer a box.
static bool boxCanBeSeen() {
  char driver[32];
  const char* named = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_VideoDriverName(driver, sizeof driver) : std::getenv("SDL_VIDEODRIVER");
  if (named != nullptr && std::string(named) == "dummy") return false;
  USEROBJECTFLAGS flags{};
  HWINSTA station = GetProcessWindowStation();
  if (station != nullptr && GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr))
    return (flags.dwFlags & WSF_VISIBLE) != 0;
  return true;
}

// A box raised while the program's window is still being made would lose the keyboard to it
// as soon as it shows: let the window come first.
static void awaitProgramWindow() {
  if (Sys_IsMainThread() || !SDL_WasInit(SDL_INIT_VIDEO)) return;
  for (int look = 0; look < 500 && Sys_WindowHandleState() == SYS_WINDOW_NOT_YET; look++) Sys_Sleep(10);
}

// Always on top of every window, the full-screen one included, and given the keyboard, which
// the game thread's box would not get by itself while the main thread's window has it.
SysBoxAnswer Sys_MessageBox(const std::string& text, const std::string& caption, SysBoxStyle style) {
  if (!boxCanBeSeen()) return SysShared_AnswerWithoutDisplay(text, caption, style);
  awaitProgramWindow();
  UINT buttons = style == SYS_BOX_OK ? MB_OK : MB_YESNO;
  int answer = MessageBoxW(nullptr, Win_Wide(text).c_str(), Win_Wide(caption).c_str(),
                           buttons | MB_SYSTEMMODAL | MB_SETFOREGROUND);
  if (answer == 0) return SysShared_AnswerWithoutDisplay(text, caption, style);
  // A full-screen window that lost the keyboard to the box may have gone to the task bar. The
  // request is posted: the main thread, which owns the window, may be ending and not listening.
  if (HWND window = Win_ProgramWindow(); window != nullptr && IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
  if (style == SYS_BOX_OK) return SYS_ANSWER_OK;
  return answer == IDYES ? SYS_ANSWER_YES : SYS_ANSWER_NO;
}
