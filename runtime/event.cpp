// event.cpp: Event_Check and the timer table.
//
// Only timer 0 exists; it is in use from start-up, off, without a handler. Each field has one
// writer per transition: the timer thread moves pending 0 -> 1 and advances lastTick; the game
// thread moves pending 1 -> 2 -> 0 and sets state, interval, handler and resets lastTick.
#include "runtime/event.h"

#include <SDL.h>

#include <atomic>
#include <cmath>

#include "platform/platform.h"
#include "runtime/error.h"

struct TimerEvent {
  std::atomic<uint8_t> inUse;
  std::atomic<TimerHandler> handler;  // nullptr: none
  std::atomic<uint8_t> state;         // 0 off, 1 on
  std::atomic<uint8_t> pending;       // 0 idle, 1 due, 2 running
  std::atomic<double> interval;       // seconds between ticks
  std::atomic<double> lastTick;       // timer-thread seconds of the last tick; 0: not started
};

static TimerEvent timerTable[1] = {{1, nullptr, 0, 0, 0.0, 0.0}};
static const int32_t timerCount = 1;

static void runDueTimers() {
  for (int32_t i = 0; i < timerCount; i++) {
    TimerEvent& t = timerTable[i];
    TimerHandler handler = t.handler.load();
    if (!t.inUse || handler == nullptr || t.state != 1 || t.pending != 1) continue;
    t.pending = 2;
    handler();
    t.pending = 0;
  }
}

void Event_CheckSlow(int32_t stepNumber) {
  eventCheckPending.store(0);
  while (pauseFlags.load() != 0 || exitRequested.load()) {
    if (exitRequested.load()) Program_End();
    Sys_Sleep(10);
  }
  if (Error_Pending()) {
    errorLine = stepNumber;
    Error_RunDialog();
    return;
  }
  runDueTimers();
}

static TimerEvent* checkedTimer(int32_t timer) {
  if (timer < 0 || timer >= timerCount || !timerTable[timer].inUse) {
    Runtime_Error(5);
    return nullptr;
  }
  return &timerTable[timer];
}

void TimerEvent_Define(int32_t timer, double intervalSeconds, TimerHandler handler) {
  if (Error_Pending()) return;
  TimerEvent* t = checkedTimer(timer);
  if (t == nullptr) return;
  uint8_t due = 1;
  t->pending.compare_exchange_strong(due, 0);  // a due tick is dropped; a running one is left
  t->interval = intervalSeconds;
  t->lastTick = 0.0;
  t->handler = handler;
}

void TimerEvent_Control(int32_t timer, int32_t action, bool timerGiven) {
  if (Error_Pending()) return;
  TimerEvent* t = checkedTimer(timerGiven ? timer : 0);
  if (t == nullptr) return;
  if (action == TIMER_ON) {
    // A tick marked just as the timer went off outlived the off: dropped, so the first tick
    // comes a full interval after "on", and no tick stays marked without a step end to run it.
    uint8_t due = 1;
    t->pending.compare_exchange_strong(due, 0);
    t->lastTick = 0.0;
    t->state = 1;
  } else if (action == TIMER_OFF) {
    t->state = 0;
    uint8_t due = 1;
    t->pending.compare_exchange_strong(due, 0);
    t->lastTick = 0.0;
  }
}

void TimerEvent_Poll(double now) {
  for (int32_t i = 0; i < timerCount; i++) {
    TimerEvent& t = timerTable[i];
    if (!t.inUse || t.handler.load() == nullptr || t.state != 1 || t.pending != 0) continue;
    double interval = t.interval, last = t.lastTick;
    if (!(now - last > interval)) continue;
    if (last == 0.0) {
      t.lastTick = now;  // timing starts now; the first tick comes one interval later
      continue;
    }
    last += interval;
    if (std::fabs(now - last) >= interval) last = now;  // fallen behind: missed ticks are dropped
    t.lastTick = last;
    t.pending = 1;
    eventCheckPending.store(1);
  }
}

int TimerEvent_ThreadMain(void*) {
  for (uint32_t pass = 1; !exitRequested.load(); pass++) {
    TimerEvent_Poll(SDL_GetTicks() * 0.001);
    Sys_Sleep(pass % 4 == 0 ? 1 : 0);
  }
  threadsStopped.fetch_or(2);
  return 0;
}
