// program.cpp: the shared flags of the three threads, their handles, and how they end.
//
// The main thread starts the game and timer threads and, at the end, waits for both; the game
// thread ends itself through Program_End; any thread may ask for the fatal exit, which only the
// main thread takes. The flags are written without locks: each says in program.h who writes it.
#include "runtime/program.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "runtime/error.h"
#include "runtime/event.h"
#include "runtime/wake.h"

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

// Thrown by Program_End and caught only at the root of the game thread: the game's frames
// unwind, and no game step runs after it.
struct GameThreadEnd {};

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

bool Program_StartThreads(GameEntry entry) {
  gameEntry = entry;
  mainLoopRunning = true;
  gameThread = SDL_CreateThread(gameThreadRoot, nullptr);
  if (gameThread == nullptr) {
    std::fprintf(stderr, "Unable to create thread: %s\n", SDL_GetError());
    return false;
  }
  timerThread = SDL_CreateThread(TimerEvent_ThreadMain, nullptr);
  timerThreadStarted = timerThread != nullptr;
  if (timerThread == nullptr) {
    std::fprintf(stderr, "Unable to create thread: %s\n", SDL_GetError());
    return false;
  }
  return true;
}

bool Program_MainLoopRuns() { return mainLoopRunning.load(); }

void Program_End() {
  endRequested = 1;
  threadsStopped.fetch_or(1);
  Wake_Main();
  Wake_GameUntil([] { return exitRequested.load() != 0; }, 16);
  throw GameThreadEnd{};
}

void Program_RequestExit() {
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

bool Program_FatalExitAsked() { return fatalExitCode.load() >= 0; }

void Program_TakeFatalExit() {
  int32_t code = fatalExitCode.load();
  if (code >= 0) exitProcess(code);
}

void Program_JoinThreads() {
  while (!gameThreadEnded.load()) {
    Program_TakeFatalExit();
    Sys_Sleep(16);
  }
  SDL_WaitThread(gameThread, nullptr);
  while (threadsStopped.load() != 3) {
    Program_TakeFatalExit();
    Sys_Sleep(16);
  }
  SDL_WaitThread(timerThread, nullptr);  // it has left its loop; only its return is left
}
