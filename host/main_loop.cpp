// main_loop.cpp: start-up, the main loop with its event pass, and shutdown.
//
// Main thread only. It owns the window, the default pointer and the key-repeat setting; the
// shared flags and the other threads' handles live in the runtime's program module.
#include "host/host.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "graphics/present.h"
#include "graphics/screen.h"
#include "graphics/window.h"
#include "host/error_dialog.h"
#include "host/input_events.h"
#include "host/window_looks.h"
#include "platform/platform.h"
#include "runtime/clock.h"
#include "runtime/error.h"
#include "runtime/event.h"
#include "runtime/wake.h"
#include "text/text_file.h"

static SDL_Cursor* arrowCursor;
static void (*shutdownHook)();  // set before the threads start
static bool keyRepeatOn;

std::string Host_FolderOf(const std::string& path) {
  for (size_t i = path.size(); i-- > 0;) {
    char c = path[i];
    if (c == '\\' || c == '/') return path.substr(0, i);
    if (c == ':') return path.substr(0, i + 1);
  }
  return path;
}

void Host_OnShutdown(void (*hook)()) { shutdownHook = hook; }

// The hook runs once: at the orderly shutdown, or when a lost display ends the program at once
// (what the game keeps at its end, a game in progress among the best scores, is kept first).
static void runShutdownHook() {
  static std::atomic<bool> ran{false};
  if (shutdownHook != nullptr && !ran.exchange(true)) shutdownHook();
}

[[noreturn]] static void shutdown() {
  Program_RequestExit();
  Program_JoinThreads();
  runShutdownHook();
  TextFile_CloseAll();
  SDL_ShowCursor(SDL_DISABLE);
  SDL_FreeCursor(arrowCursor);
  std::exit(0);
}

// Key repeat only while the window has input focus and is active.
static void keyRepeatFollowsFocus() {
  uint8_t state = SDL_GetAppState();
  bool want = (state & SDL_APPINPUTFOCUS) && (state & SDL_APPACTIVE);
  if (want == keyRepeatOn) return;
  SDL_EnableKeyRepeat(want ? 500 : 0, want ? 30 : 0);
  keyRepeatOn = want;
}

// The classic library finishes a full-screen switch 0.2 s to 1.5 s after a focus change, but
// only while its events are read: after a change in full screen the loop reads them this often
// for a while. SDL ticks until then.
static const int32_t afterFocusLookMs = 100;
static const uint32_t afterFocusSpanMs = 2000;
static uint32_t afterFocusLooksUntil;

// Uncovered, restored or made active, the window is drawn again: the library over SDL 2 keeps
// no copy of it to put back, as the classic one does.
static void onWindowActive(const SDL_ActiveEvent& active) {
  if (active.gain) Screen_Redraw();
  if ((active.state & SDL_APPINPUTFOCUS) && Present_IsFullScreen())
    afterFocusLooksUntil = SDL_GetTicks() + afterFocusSpanMs;
}

// Returns false when the window was closed: the events behind the close stay unread.
static bool eventPass() {
  keyRepeatFollowsFocus();
  Key_SyncLocks();
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_KEYDOWN: Key_OnKeyDown(event.key); break;
      case SDL_KEYUP: Key_OnKeyUp(event.key); break;
      case SDL_MOUSEMOTION:
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: Mouse_OnEvent(event); break;
      case SDL_VIDEOEXPOSE: Screen_Redraw(); break;
      case SDL_ACTIVEEVENT: onWindowActive(event.active); break;
      case SDL_QUIT: return false;
      default: break;
    }
  }
  return true;
}

// Whether the library may have a key repeat to send: it times repeats itself and sends them
// only while its events are read, so a held key (not a modifier or lock) keeps the loop looking.
static bool keyRepeatMayCome() {
  if (!keyRepeatOn) return false;
  int count = 0;
  const uint8_t* down = SDL_GetKeyState(&count);
  for (int sym = 0; sym < count; sym++)
    if (down[sym] && (sym < SDLK_NUMLOCK || sym > SDLK_COMPOSE)) return true;
  return false;
}

static bool libraryQueueHoldsEvents() {
  SDL_Event event;
  return SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) > 0;
}

// Both libraries hold off the screensaver only while their events are read (the classic one
// every 5 s, the one over SDL 2 every 30 s), which a waiting game no longer does: the loop holds
// it off itself, this often. Returns the ms until the next look the library needs.
static const uint32_t screenSaverHoldMs = 4000;
static uint32_t screenSaverHeld;

static int32_t libraryChores() {
  uint32_t now = SDL_GetTicks();
  if (now - screenSaverHeld >= screenSaverHoldMs) {
    Sys_HoldOffScreenSaver();
    screenSaverHeld = now;
  }
  int32_t wait = int32_t(screenSaverHoldMs - (now - screenSaverHeld));
  return int32_t(afterFocusLooksUntil - now) > 0 ? std::min(wait, afterFocusLookMs) : wait;
}

// Frames are at most one per display refresh (60 a second).
static const uint32_t frameSpacingMs = 16;
// A held key is looked at as often as the events were read before: a repeat every 30 ms.
static const int32_t keyRepeatLookMs = 16;

// The main thread sleeps until a window event, a page drawn or another thread's request; then
// it reads every waiting event and presents the page if it changed, so a waiting game costs
// next to nothing (a look every few seconds for the screensaver). A pass of either kind comes
// as soon as it is due instead of on a fixed 32 ms beat.
[[noreturn]] static void mainLoop() {
  uint32_t lastFrame = SDL_GetTicks() - frameSpacingMs;
  for (;;) {
    Program_TakeFatalExit();
    if (endRequested.load()) shutdown();
    if (!eventPass()) shutdown();
    if (endRequested.load()) shutdown();
    Window_SetAskedDressing();
    int32_t wait = libraryChores();
    if (keyRepeatMayCome()) wait = std::min(wait, keyRepeatLookMs);
    Wake_MainWillSleep();
    // The game thread may have left work that the sleep below does not watch (events its calls
    // put in the library's own queue, a caption or icon to set) and woken the loop before it.
    if (libraryQueueHoldsEvents() || Window_DressingAsked()) {
      Wake_MainAwake();
      continue;
    }
    if (Screen_PassWanted()) {
      uint32_t since = SDL_GetTicks() - lastFrame;
      if (since >= frameSpacingMs) {
        Wake_MainAwake();
        // A new window surface moves the pointer in window pixels: the queue starts again there.
        bool onlyGranted;
        if (Screen_Present(&onlyGranted)) Mouse_RestartQueue();
        if (!onlyGranted) lastFrame = SDL_GetTicks();
        continue;
      }
      int32_t untilFrame = int32_t(frameSpacingMs - since);
      wait = std::min(wait, untilFrame);
    }
    if (!endRequested.load() && !Program_FatalExitAsked()) Sys_WaitForWindowEvents(wait);
    Wake_MainAwake();
  }
}

int Host_Run(GameEntry entry) {
  Sys_InitThreads();
  Sys_InitMemory();
  Sys_MarkMainThread();

  Sys_ChangeDirectory(Host_FolderOf(Sys_ExecutablePath()));

  Sys_PreferWindowSystemVideo();
  // SDL's timer subsystem is left off: nothing here sets an SDL timer (the periodic timer has
  // its own thread), SDL's clock runs without it, and the classic library's timer thread wakes
  // every millisecond for the life of the program.
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_CDROM) < 0) {
    std::fprintf(stderr, "Unable to init SDL: %s\n", SDL_GetError());
    std::exit(100);
  }
  std::atexit(SDL_Quit);
  Sys_EndWhenDisplayLost(runShutdownHook);
  Sys_InitWakes();
  // Audio that cannot start is no reason to stop here: the first sound says so and ends the
  // game. The classic library never fails its start-up for audio; the one over SDL 2 would.
  SDL_InitSubSystem(SDL_INIT_AUDIO);

  Clock_TakeBase();

  if (TTF_Init() < 0) std::exit(7000);
  std::atexit(TTF_Quit);

  Error_SetDialog(ErrorDialog_Run);
  Key_CaptureHeldState();
  SDL_EnableKeyRepeat(500, 30);
  keyRepeatOn = true;
  SDL_EnableUNICODE(1);

  WindowLooks_SetDefaultIcon();
  SDL_WM_SetCaption("Untitled", "Untitled");

  Mouse_InitQueue();
  arrowCursor = WindowLooks_MakeArrow();
  if (arrowCursor != nullptr) SDL_SetCursor(arrowCursor);

  Screen_Init();

  // Both hold before the game's first step: its first page swap already waits for a
  // presentation pass, and a fatal error on its thread already leaves the exit to this one.
  Screen_StartPresenting();
  Wake_GameSleepsOnNews(true);
  if (!Program_StartThreads(entry)) return 0;
  try {
    mainLoop();
  } catch (...) {
  }
  // Only an exception leaves the loop: an allocation of the presentation or event pass failed.
  Runtime_Error(257);
  return 0;  // not reached: the fatal error ends the process
}
