// program.h: the process, its three threads and their shutdown.
//
// The main thread starts everything, then alternates presentation passes and event passes every
// 16 ms until endRequested is set or the window is closed. The game thread runs the game's entry
// routine step by step; the timer thread marks the periodic timer due. The threads talk only
// through the polled atomics below; no lock is taken anywhere.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

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

// The whole life of the process: start-up, the main loop, shutdown. Exits the process with
// code 0 (100 when SDL cannot start, 7000 when the font engine cannot start, 10001 when the
// audio device cannot be opened); returns 0 only when a thread cannot be created.
int Program_Run(GameEntry entry);

// hook runs once at the program's orderly end (a window close, the quit key, Break, "No" in the
// error box, SIGTERM, SIGHUP), on the main thread once the game thread has stopped, before the
// exit; or, should the display be lost, on the thread that met the loss while the others run.
void Program_OnShutdown(void (*hook)());

// The main loop runs (from just before the game thread starts): the window is its to change.
bool Program_MainLoopRuns();

// End the program from the game thread: ask for shutdown, wait for it to begin, and end the
// game thread on the spot. Never returns; no game step runs after it.
[[noreturn]] void Program_End();

// End the process with exitCode (0 after a fatal error box). On the main thread (or before the
// main loop runs) the process exits at once; on another thread the main loop is asked to exit,
// so SDL is never shut down under the feet of a presentation pass.
[[noreturn]] void Program_ExitAfterFatalError(int32_t exitCode = 0);

// The folder of an executable path: cut at the last '\\' or '/', or just after the last ':'.
// A path without any of them is returned whole.
std::string Program_FolderOf(const std::string& path);
