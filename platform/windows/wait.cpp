// wait.cpp: how the threads sleep until they have work, on Windows.
//
// Owns the main thread's wake event (auto-reset, made once at start-up before the other threads
// exist, never closed). Any thread, and the runtime library's signal thread, may set it; only
// the main thread waits on it, together with the messages of its window, so a waiting game
// costs nothing. Words are slept on with WaitOnAddress, the system's own futex.
#include "platform/platform.h"

#include <windows.h>

#include <csignal>

static HANDLE wakeEvent;

void Sys_WakeMainThread() {
  if (wakeEvent != nullptr) SetEvent(wakeEvent);
}

// Ctrl+C or Ctrl+Break in the console the program was started from reaches the library's own
// handler, which only queues a window close for the main thread's next event pass: the main
// thread is woken too. The runtime library sets a handler back to the default before it calls
// it, and the library's handler then puts back its own, so ours is put back after it.
using SignalHandler = void (*)(int);
static SignalHandler libraryHandler[2];
static const int endSignals[2] = {SIGTERM, SIGINT};

static void onEndSignal(int signal) {
  int i = signal == SIGINT ? 1 : 0;
  SignalHandler chained = libraryHandler[i];
  if (chained != SIG_DFL && chained != SIG_IGN && chained != nullptr) chained(signal);
  std::signal(signal, onEndSignal);
  Sys_WakeMainThread();
}

void Sys_InitWakes() {
  if (wakeEvent == nullptr) wakeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  for (int i = 0; i < 2; i++) {
    SignalHandler current = std::signal(endSignals[i], SIG_DFL);
    std::signal(endSignals[i], current);
    // A signal the library leaves to the system ends the process by itself.
    if (current == SIG_DFL || current == SIG_IGN || current == SIG_ERR || current == onEndSignal) continue;
    libraryHandler[i] = current;
    std::signal(endSignals[i], onEndSignal);
  }
}

// The window's messages wake the wait as the event does; input already in the queue, looked at
// but not yet taken, ends it at once.
void Sys_WaitForWindowEvents(int32_t timeoutMs) {
  DWORD wait = timeoutMs < 0 ? INFINITE : DWORD(timeoutMs);
  MsgWaitForMultipleObjectsEx(wakeEvent != nullptr ? 1 : 0, &wakeEvent, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Sys_WaitWord(std::atomic<uint32_t>* word, uint32_t expected, int32_t timeoutMs) {
  static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t));
  WaitOnAddress(reinterpret_cast<volatile VOID*>(word), &expected, sizeof expected,
                timeoutMs < 0 ? INFINITE : DWORD(timeoutMs));
}

void Sys_WakeWord(std::atomic<uint32_t>* word) { WakeByAddressSingle(reinterpret_cast<PVOID>(word)); }
