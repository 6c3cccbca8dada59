// display.cpp: the program and the X display: Xlib made thread-safe, the end when the display
// is lost, the X11 video driver asked for, and the main thread's sleep on the connection.
//
// Owns the display connection the main thread watches, learnt once by the main thread when
// SDL has a window, and the keep-before-end hook, set once before the window system starts.
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "platform/posix/wake_descriptor.h"

static Display* watchedDisplay;  // main thread
static bool displayLooked;       // main thread: SDL was asked for its display once it had one

void Sys_InitThreads() { XInitThreads(); }

static void (*keepBeforeEnd)();      // set once, before the window system starts
static std::atomic<bool> displayGone;  // the first thread to meet the lost display ends the process

static int displayLost(Display*) {
  if (displayGone.exchange(true)) {
    for (;;) Sys_Sleep(1000);  // another thread already keeps the game and ends the process
  }
  static const char line[] = "Lost the connection to the display\n";
  [[maybe_unused]] ssize_t written = write(2, line, sizeof line - 1);
  if (keepBeforeEnd != nullptr) keepBeforeEnd();
  _exit(1);
}

void Sys_EndWhenDisplayLost(void (*keep)()) {
  keepBeforeEnd = keep;
  XSetIOErrorHandler(displayLost);
}

void Sys_PreferWindowSystemVideo() {
  const char* named = std::getenv("SDL_VIDEODRIVER");
  if (named == nullptr || *named == '\0') setenv("SDL_VIDEODRIVER", "x11", 1);
}

static Display* displayToWatch() {
  if (displayLooked) return watchedDisplay;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetVideoSurface() == nullptr) return nullptr;  // no window yet: look again later
  displayLooked = true;
  if (SDL_GetWMInfo(&info) > 0 && info.subsystem == SDL_SYSWM_X11) watchedDisplay = info.info.x11.display;
  return watchedDisplay;
}

void Sys_WaitForWindowEvents(int32_t timeoutMs) {
  pollfd watched[2] = {{SysPosix_WakeDescriptor(), POLLIN, 0}, {-1, POLLIN, 0}};
  if (Display* display = displayToWatch()) {
    // Events another call already read off the connection wait in the library's queue, where
    // the descriptor no longer shows them.
    if (XPending(display) > 0) return;
    watched[1].fd = ConnectionNumber(display);
  }
  if (poll(watched, 2, timeoutMs) > 0 && (watched[0].revents & POLLIN)) SysPosix_DrainWakes();
}
