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
#include "runtime/wake.h"

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
// Moved by the game thread on every change the timer thread must look at (a switch, a define,
// a tick handled); the timer thread sleeps on it until its next tick falls due.
static std::atomic<uint32_t> timerChanges{0};

static void timersChanged() {
  timerChanges.fetch_add(1);
  Sys_WakeWord(&timerChanges);
}

static void runDueTimers() {
  for (int32_t i = 0; i < timerCount; i++) {
    TimerEvent& t = timerTable[i];
    TimerHandler handler = t.handler.load();
    if (!t.inUse || handler == nullptr || t.state != 1 || t.pending != 1) continue;
    t.pending = 2;
    handler();
    t.pending = 0;
    timersChanged();
  }
}

void Event_CheckSlow(int32_t stepNumber) {
  eventCheckPending.store(0);
  // The key that ends a pause, and shutdown, are news; the first look comes after 10 ms.
  Wake_GameUntil([] { return pauseFlags.load() == 0 || exitRequested.load() != 0; }, 10);
  if (exitRequested.load()) Program_End();
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
  timersChanged();
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
  timersChanged();
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
    Wake_Game();
  }
}

int32_t TimerEvent_MsToNextLook(double now) {
  int32_t wait = -1;
  for (int32_t i = 0; i < timerCount; i++) {
    TimerEvent& t = timerTable[i];
    if (!t.inUse || t.handler.load() == nullptr || t.state != 1 || t.pending != 0) continue;
    // The first whole millisecond of the clock at which now - last > interval holds.
    double due = (t.lastTick + t.interval - now) * 1000;
    int32_t ms = due < 0 ? 0 : !(due < 2147483646.0) ? 2147483647 : int32_t(std::floor(due)) + 1;
    if (wait < 0 || ms < wait) wait = ms;
  }
  return wait;
}

void TimerEvent_WakeThread() { timersChanged(); }

int TimerEvent_ThreadMain(void*) {
  Sys_NameThread("brine-timer");
  while (!exitRequested.load()) {
    uint32_t seen = timerChanges.load();
    double now = SDL_GetTicks() * 0.001;
    TimerEvent_Poll(now);
    // Asleep until the next tick is due, or the game switches, defines or handles a timer.
    int32_t wait = TimerEvent_MsToNextLook(now);
    if (wait != 0 && !exitRequested.load()) Sys_WaitWord(&timerChanges, seen, wait);
  }
  threadsStopped.fetch_or(2);
  return 0;
}
