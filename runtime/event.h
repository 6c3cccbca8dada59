// event.h: the check between two steps of the game, and the periodic timers.
//
// The game calls Event_Check after every step. Its fast path is one load and one branch; the
// slow path runs when another thread (or the step itself) set eventCheckPending: it holds the
// game while the user paused it, ends the game thread when shutdown has begun, shows a pending
// runtime error, or runs due timer routines. The timer table lives here; the timer thread marks
// timers due (pending 0 -> 1), the game thread runs and clears them (1 -> 2 -> 0).
#pragma once

#include <cstdint>

#include "runtime/program.h"

void Event_CheckSlow(int32_t stepNumber);

// End of a game step; stepNumber names the step in an error box.
inline void Event_Check(int32_t stepNumber) {
  if (eventCheckPending.load(std::memory_order_acquire)) [[unlikely]]
    Event_CheckSlow(stepNumber);
}

using TimerHandler = void (*)();

enum { TIMER_ON = 1, TIMER_OFF = 2 };

// Attach handler and interval (seconds) to timer; a due tick not yet run is dropped. Error 5.
void TimerEvent_Define(int32_t timer, double intervalSeconds, TimerHandler handler);
// Switch a timer on (1) or off (2); timer 0 when timerGiven is false. Error 5.
void TimerEvent_Control(int32_t timer, int32_t action, bool timerGiven);

// The timer thread's loop, until shutdown begins; then it sets bit 1 of threadsStopped. It
// sleeps until the next tick can fall due, or until the game thread changes a timer.
int TimerEvent_ThreadMain(void*);
// One pass of that loop at time now (seconds): mark the timers that have fallen due.
void TimerEvent_Poll(double now);
// Milliseconds from now (seconds) until a pass can find a timer due: the first millisecond at
// which now - last tick exceeds the interval; 0 for at once, -1 when no timer runs (on, with a
// handler, not already due or running).
int32_t TimerEvent_MsToNextLook(double now);
// Any thread: make the timer thread look again now (shutdown has begun).
void TimerEvent_WakeThread();
