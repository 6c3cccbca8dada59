// program.cpp: start-up, the main loop and shutdown; the shared flags of the three threads.
//
// The main thread owns the window and runs the loop; the game thread runs the game's entry;
// the timer thread polls the timers. The flags below are written without locks: each says in
// program.h who writes it.
#include "runtime/program.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "graphics/present.h"
#include "graphics/screen.h"
#include "graphics/window.h"
#include "platform/platform.h"
#include "runtime/clock.h"
#include "runtime/error.h"
#include "runtime/event.h"
#include "runtime/input_events.h"
#include "runtime/wake.h"
#include "text/text_file.h"

std::atomic<int32_t> eventCheckPending{0};
std::atomic<uint8_t> endRequested{0};
std::atomic<uint8_t> exitRequested{0};
std::atomic<uint8_t> pauseFlags{0};
std::atomic<int32_t> threadsStopped{0};

static GameEntry gameEntry;
static SDL_Thread* gameThread;
static SDL_Thread* timerThread;
static std::atomic<bool> gameThreadEnded{false};
static std::atomic<bool> mainLoopRunning{false};  // from just before the game thread starts
static std::atomic<int32_t> fatalExitCode{-1};      // -1: none asked
static std::atomic<bool> timerThreadStarted{false};
static SDL_Cursor* arrowCursor;
static void (*shutdownHook)();  // set before the threads start
static bool keyRepeatOn;

// Thrown by Program_End and caught only at the root of the game thread: the game's frames
// unwind, and no game step runs after it.
struct GameThreadEnd {};

std::string Program_FolderOf(const std::string& path) {
  for (size_t i = path.size(); i-- > 0;) {
    char c = path[i];
    if (c == '\\' || c == '/') return path.substr(0, i);
    if (c == ':') return path.substr(0, i + 1);
  }
  return path;
}

// The pointer: a 32 x 32 arrow with its hot spot at the top-left pixel. 'X' black, '.' white,
// blank transparent; rows not listed are blank.
static const char* const arrowRows[] = {
    "X",          "XX",          "X.X",          "X..X",         "X...X",      "X....X",   "X.....X",
    "X......X",   "X.......X",   "X........X",   "X.........X",  "X......XXXXX", "X...X..X", "X..XX..X",
    "X.X  X..X",  "XX   X..X",   "X     X..X",   "      X..X",   "       X..X",  "       X..X", "        XX",
};

static SDL_Cursor* makeArrowCursor() {
  uint8_t data[32 * 4] = {}, mask[32 * 4] = {};
  for (size_t row = 0; row < sizeof arrowRows / sizeof *arrowRows; row++) {
    for (int col = 0; arrowRows[row][col] != '\0'; col++) {
      char c = arrowRows[row][col];
      uint8_t bit = uint8_t(0x80 >> (col % 8));
      size_t at = row * 4 + size_t(col / 8);
      if (c == 'X') data[at] |= bit, mask[at] |= bit;
      if (c == '.') mask[at] |= bit;
    }
  }
  return SDL_CreateCursor(data, mask, 32, 32, 0, 0);
}

// The window's icon until the game sets its own: a green scope ring with cross hairs.
static void setDefaultIcon() {
  SDL_Surface* icon = SDL_CreateRGBSurface(SDL_SWSURFACE, 32, 32, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
  if (icon == nullptr) return;
  uint32_t pixels[1024];
  for (int y = 0; y < 32; y++) {
    uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(icon->pixels) + y * icon->pitch);
    for (int x = 0; x < 32; x++) {
      int dx = 2 * x - 31, dy = 2 * y - 31, r2 = dx * dx + dy * dy;
      bool ring = r2 >= 22 * 22 && r2 <= 29 * 29, cross = (x == 15 || y == 15) && r2 < 22 * 22;
      row[x] = ring ? 0x0040C8A0 : cross ? 0x0080FFC0 : 0x00081820;
      pixels[y * 32 + x] = row[x] | 0xFF000000;
    }
  }
  SDL_WM_SetIcon(icon, nullptr);
  Sys_WindowCompleteIcon(pixels);
  SDL_FreeSurface(icon);
}

static int gameThreadRoot(void*) {
  Sys_NameThread("brine-game");
  Error_CatchArithmeticFaults();
  try {
    gameEntry();
    // The game never returns from its entry; if it does, the program ends as with Program_End.
    threadsStopped.fetch_or(1);
    endRequested = 1;
    Wake_Main();
  } catch (const GameThreadEnd&) {
  } catch (...) {
    // A container or allocation that failed deep in the game: the one fatal error that names it.
    Runtime_Error(257);
  }
  gameThreadEnded = true;
  return 0;
}

void Program_OnShutdown(void (*hook)()) { shutdownHook = hook; }

bool Program_MainLoopRuns() { return mainLoopRunning.load(); }

void Program_End() {
  endRequested = 1;
  threadsStopped.fetch_or(1);
  Wake_Main();
  Wake_GameUntil([] { return exitRequested.load() != 0; }, 16);
  throw GameThreadEnd{};
}

// Shutdown has begun: every other thread is to see it now, wherever it sleeps.
static void requestExit() {
  exitRequested = 1;
  eventCheckPending = 1;
  Wake_Game();
  TimerEvent_WakeThread();
}

// The exit handlers take SDL down under any thread still calling it, and the timer thread
// reads SDL's clock on every pass: let it leave its loop first (it does within a pass).
// Only the main thread, which made the timer thread, ends the process here once that has begun.
[[noreturn]] static void exitProcess(int32_t exitCode) {
  exitRequested = 1;
  TimerEvent_WakeThread();
  for (int look = 0; timerThreadStarted.load() && !(threadsStopped.load() & 2) && look < 100; look++) Sys_Sleep(2);
  if (timerThreadStarted.load() && (threadsStopped.load() & 2)) SDL_WaitThread(timerThread, nullptr);
  std::exit(exitCode);
}

void Program_ExitAfterFatalError(int32_t exitCode) {
  if (Sys_IsMainThread() || !mainLoopRunning.load()) exitProcess(exitCode);
  fatalExitCode = exitCode;
  Wake_Main();
  for (;;) Sys_Sleep(16);
}

static void takeFatalExit() {
  int32_t code = fatalExitCode.load();
  if (code >= 0) exitProcess(code);
}

[[noreturn]] static void shutdown() {
  requestExit();
  while (!gameThreadEnded.load()) {
    takeFatalExit();
    Sys_Sleep(16);
  }
  SDL_WaitThread(gameThread, nullptr);
  while (threadsStopped.load() != 3) {
    takeFatalExit();
    Sys_Sleep(16);
  }
  SDL_WaitThread(timerThread, nullptr);  // it has left its loop; only its return is left
  if (shutdownHook != nullptr) shutdownHook();
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
    takeFatalExit();
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
    if (!endRequested.load() && fatalExitCode.load() < 0) Sys_WaitForWindowEvents(wait);
    Wake_MainAwake();
  }
}

int Program_Run(GameEntry entry) {
  Sys_InitThreads();
  Sys_InitMemory();
  Sys_MarkMainThread();
  gameEntry = entry;

  Sys_ChangeDirectory(Program_FolderOf(Sys_ExecutablePath()));

  Sys_PreferWindowSystemVideo();
  // SDL's timer subsystem is left off: nothing here sets an SDL timer (the periodic timer has
  // its own thread), SDL's clock runs without it, and the classic library's timer thread wakes
  // every millisecond for the life of the program.
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_CDROM) < 0) {
    std::fprintf(stderr, "Unable to init SDL: %s\n", SDL_GetError());
    std::exit(100);
  }
  std::atexit(SDL_Quit);
  Sys_EndWhenDisplayLost();
  Sys_InitWakes();
  // Audio that cannot start is no reason to stop here: the first sound says so and ends the
  // game. The classic library never fails its start-up for audio; the one over SDL 2 would.
  SDL_InitSubSystem(SDL_INIT_AUDIO);

  Clock_TakeBase();

  if (TTF_Init() < 0) std::exit(7000);
  std::atexit(TTF_Quit);

  Key_CaptureHeldState();
  SDL_EnableKeyRepeat(500, 30);
  keyRepeatOn = true;
  SDL_EnableUNICODE(1);

  setDefaultIcon();
  SDL_WM_SetCaption("Untitled", "Untitled");

  Mouse_InitQueue();
  arrowCursor = makeArrowCursor();
  if (arrowCursor != nullptr) SDL_SetCursor(arrowCursor);

  Screen_Init();

  // Both hold before the game's first step: its first page swap already waits for a
  // presentation pass, and a fatal error on its thread already leaves the exit to this one.
  Screen_StartPresenting();
  Wake_GameSleepsOnNews(true);
  mainLoopRunning = true;
  gameThread = SDL_CreateThread(gameThreadRoot, nullptr);
  if (gameThread == nullptr) {
    std::fprintf(stderr, "Unable to create thread: %s\n", SDL_GetError());
    return 0;
  }
  timerThread = SDL_CreateThread(TimerEvent_ThreadMain, nullptr);
  timerThreadStarted = timerThread != nullptr;
  if (timerThread == nullptr) {
    std::fprintf(stderr, "Unable to create thread: %s\n", SDL_GetError());
    return 0;
  }
  try {
    mainLoop();
  } catch (...) {
  }
  // Only an exception leaves the loop: an allocation of the presentation or event pass failed.
  Runtime_Error(257);
  return 0;  // not reached: the fatal error ends the process
}
