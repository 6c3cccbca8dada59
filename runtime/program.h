// program.h: the three threads' shared flags, and how the threads start and end.
//
// The main thread (driven by the host's main loop) starts the game and timer threads and ends
// the process; the game thread runs the game's entry routine step by step; the timer thread
// marks the periodic timer due. The threads talk only through the polled atomics below; no lock
// is taken anywhere.
#pragma once

#include <atomic>
#include <cstdint>

// 1: the game thread must run the slow path of Event_Check after its current step. Any thread
// sets it; Event_Check clears it.
extern std::atomic<int32_t> eventCheckPending;
// 1: the program is to end (Program_End, the Break key); the main loop starts shutdown.
extern std::atomic<uint8_t> endRequested;
// 1: shutdown has begun; every other thread must stop now. Main thread only.
extern std::atomic<uint8_t> exitRequested;
// Bit 0: the user paused the program; the game thread waits in Event_Check. Key handling.
extern std::atomic<uint8_t> pauseFlags;
// Bit 0 set by Program_End, bit 1 by the timer thread as it leaves; shutdown waits for 3.
extern std::atomic<int32_t> threadsStopped;

using GameEntry = void (*)();

// ---- main thread -----------------------------------------------------------------------------

// Start the game thread on entry and the timer thread; from here on the main loop runs (the
// window is its to change). False, having said why on standard error, when one cannot start.
bool Program_StartThreads(GameEntry entry);
// Shutdown has begun: every other thread is to see it now, wherever it sleeps.
void Program_RequestExit();
// Wait until the game thread has ended and the timer thread has left its loop, taking a fatal
// exit asked meanwhile.
void Program_JoinThreads();
// Another thread asked for the fatal exit; Program_TakeFatalExit ends the process then.
bool Program_FatalExitAsked();
void Program_TakeFatalExit();

// ---- any thread ------------------------------------------------------------------------------

// The main loop runs (from just before the game thread starts): the window is its to change.
bool Program_MainLoopRuns();

// End the program from the game thread: ask for shutdown, wait for it to begin, and end the
// game thread on the spot. Never returns; no game step runs after it.
[[noreturn]] void Program_End();

// End the process with exitCode (0 after a fatal error box). On the main thread (or before the
// main loop runs) the process exits at once; on another thread the main loop is asked to exit,
// so SDL is never shut down under the feet of a presentation pass.
[[noreturn]] void Program_ExitAfterFatalError(int32_t exitCode = 0);
