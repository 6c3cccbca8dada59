// The tick rules of the periodic timer, driven with explicit times.
#include <gtest/gtest.h>

#include "runtime/error.h"
#include "runtime/event.h"

namespace {

int ticks;
void countTick() { ticks++; }

// Poll at the given time, then run the step end as the game would.
void pollAndCheck(double now) {
  TimerEvent_Poll(now);
  Event_Check(1);
}

struct Timer : ::testing::Test {
  void SetUp() override {
    ticks = 0;
    pendingError = 0;
    TimerEvent_Control(0, TIMER_OFF, false);
    TimerEvent_Define(0, 3.0, nullptr);
    eventCheckPending = 0;
  }
};

TEST_F(Timer, OffOrWithoutHandlerNeverTicks) {
  TimerEvent_Define(0, 3.0, countTick);
  for (double t = 1; t < 30; t += 1) pollAndCheck(t);
  EXPECT_EQ(ticks, 0);
  TimerEvent_Define(0, 3.0, nullptr);
  TimerEvent_Control(0, TIMER_ON, false);
  for (double t = 30; t < 60; t += 1) pollAndCheck(t);
  EXPECT_EQ(ticks, 0);
}

TEST_F(Timer, FirstTickOneIntervalAfterTimingStarts) {
  TimerEvent_Define(0, 3.0, countTick);
  TimerEvent_Control(0, TIMER_ON, false);
  pollAndCheck(2.0);  // not more than an interval since "0": timing has not started
  pollAndCheck(3.5);  // timing starts here
  pollAndCheck(6.5);  // exactly one interval: not strictly greater
  EXPECT_EQ(ticks, 0);
  pollAndCheck(6.51);
  EXPECT_EQ(ticks, 1);
  pollAndCheck(9.4);
  EXPECT_EQ(ticks, 1);
  pollAndCheck(9.6);  // the schedule runs from 6.5, not from 6.51
  EXPECT_EQ(ticks, 2);
}

TEST_F(Timer, AtMostOneTickOutstandingAndCatchUp) {
  TimerEvent_Define(0, 3.0, countTick);
  TimerEvent_Control(0, TIMER_ON, false);
  TimerEvent_Poll(10.0);
  TimerEvent_Poll(13.5);
  TimerEvent_Poll(20.0);  // already due: not counted up
  TimerEvent_Poll(40.0);
  Event_Check(1);
  EXPECT_EQ(ticks, 1);
  // Fallen far behind (next would be 16.0): timing restarts from now, one interval on.
  pollAndCheck(40.0);
  EXPECT_EQ(ticks, 2);
  pollAndCheck(42.9);
  EXPECT_EQ(ticks, 2);
  pollAndCheck(43.1);
  EXPECT_EQ(ticks, 3);
}

TEST_F(Timer, OffAndDefineDropADueTick) {
  TimerEvent_Define(0, 3.0, countTick);
  TimerEvent_Control(0, TIMER_ON, false);
  TimerEvent_Poll(10.0);
  TimerEvent_Poll(13.5);
  TimerEvent_Control(0, TIMER_OFF, false);
  TimerEvent_Control(0, TIMER_ON, false);
  Event_Check(1);
  EXPECT_EQ(ticks, 0);
  TimerEvent_Poll(14.0);  // off reset the timing: it starts again here
  TimerEvent_Poll(17.5);
  TimerEvent_Define(0, 3.0, countTick);
  Event_Check(1);
  EXPECT_EQ(ticks, 0);
  // Marked as the timer went off, a tick is dropped when it is on again; the first comes a
  // full interval after "on".
  TimerEvent_Poll(18.0);
  TimerEvent_Poll(21.5);
  TimerEvent_Control(0, TIMER_ON, false);
  pollAndCheck(22.0);
  pollAndCheck(24.9);
  EXPECT_EQ(ticks, 0);
  pollAndCheck(25.1);
  EXPECT_EQ(ticks, 1);
}

TEST_F(Timer, BadTimerNumbersRaiseError5) {
  TimerEvent_Control(1, TIMER_ON, true);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  TimerEvent_Define(-1, 3.0, countTick);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
}

TEST_F(Timer, PendingErrorMakesTimerOperationsInert) {
  TimerEvent_Define(0, 3.0, countTick);
  pendingError = 5;
  TimerEvent_Control(0, TIMER_ON, false);
  pendingError = 0;
  for (double t = 10; t < 30; t += 1) pollAndCheck(t);
  EXPECT_EQ(ticks, 0);
}

}  // namespace
