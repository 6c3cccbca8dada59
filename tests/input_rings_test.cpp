// Both input rings with a real writer and reader thread, as the main and game threads use them.
// Built for ThreadSanitizer as much as for the checks: every record and key must arrive whole
// and in order, and the race detector must find nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "runtime/error.h"
#include "runtime/event.h"
#include "host/input_events.h"
#include "host/keyboard.h"
#include "host/mouse.h"
#include "runtime/wake.h"

namespace {

// Every field derives from the sequence number, so a record mixed from two writes shows.
MouseRecord sequenced(int32_t i) {
  return MouseRecord{int16_t(i & 0x7FFF), int16_t(~i & 0x7FFF), i, int16_t((i >> 15) & 0x7FFF), int16_t(i % 9973)};
}

bool whole(const MouseRecord& r) {
  int32_t i = r.buttons;
  return r.x == int16_t(i & 0x7FFF) && r.y == int16_t(~i & 0x7FFF) && r.moveX == int16_t((i >> 15) & 0x7FFF) &&
         r.moveY == int16_t(i % 9973);
}

}  // namespace

// The writer runs far ahead of the reader, so the ring overflows over and over while it is read:
// records are lost (oldest first), but none arrives torn or out of order, and the last one
// written is always the last one read.
TEST(InputRings, MouseQueueUnderTwoThreads) {
  pendingError = 0;
  Mouse_InitQueueAt(0, 0);
  Mouse_Append(sequenced(1));
  const int32_t total = 2000000;
  std::atomic<bool> done{false};
  int32_t seen = 0, last = 0, torn = 0, backwards = 0;
  std::thread reader([&] {
    for (;;) {
      bool finished = done.load();
      while (Mouse_Input()) {
        MouseRecord r = Mouse_Current();
        if (!whole(r)) torn++;
        if (r.buttons <= last) backwards++;
        last = r.buttons;
        seen++;
      }
      if (finished) return;
    }
  });
  for (int32_t i = 2; i <= total; i++) Mouse_Append(sequenced(i));
  done = true;
  reader.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(backwards, 0);
  EXPECT_EQ(last, total);
  EXPECT_GT(seen, 0);
}

// The key buffer drops the newest press when full; a writer that retries until its press is
// taken must see every key arrive exactly once, in order.
TEST(InputRings, KeyBufferUnderTwoThreads) {
  pendingError = 0;
  Key_CaptureHeldState();
  const int32_t total = 200000;
  std::atomic<bool> failed{false};
  std::thread reader([&] {
    for (int32_t i = 0; i < total;) {
      std::string k = Key_Read();
      if (k.empty()) continue;
      uint8_t c = uint8_t(i % 255 + 1);
      if (k.size() != 1 || uint8_t(k[0]) != c) failed = true;
      i++;
    }
  });
  for (int32_t i = 0; i < total; i++) {
    uint8_t c = uint8_t(i % 255 + 1);
    while (!Key_Store(c, uint8_t(~c))) std::this_thread::yield();
  }
  reader.join();
  EXPECT_FALSE(failed.load());
  EXPECT_EQ(Key_Read(), "");
}

// A waiting game sleeps: its wait for a click makes two empty reads and then sleeps until the
// main thread stores a record, which wakes it at once; its wait for a key sleeps between ticks
// of a 0.2 s timer whose thread sleeps to each tick, and every tick still runs, on its interval.
TEST(InputRings, AWaitingGameSleepsUntilAClickOrATick) {
  using Clock = std::chrono::steady_clock;
  pendingError = 0;
  Mouse_InitQueueAt(0, 0);
  Key_CaptureHeldState();
  Wake_GameSleepsOnNews(true);
  std::atomic<int> passes{0};
  std::atomic<bool> woke{false};
  std::thread game([&] {
    while (!(Mouse_Input() && Mouse_Button(1))) passes++;
    woke = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_LE(passes.load(), 2) << "the wait for a click spins";
  Clock::time_point clicked = Clock::now();
  Mouse_Append(MouseRecord{10, 10, 1, 0, 0});
  while (!woke.load() && Clock::now() - clicked < std::chrono::seconds(2)) std::this_thread::yield();
  EXPECT_LT(Clock::now() - clicked, std::chrono::milliseconds(250)) << "the click did not wake the wait";
  woke.load() ? game.join() : game.detach();

  static std::vector<Clock::time_point> ticks;
  ticks.clear();
  TimerEvent_Define(0, 0.2, [] { ticks.push_back(Clock::now()); });
  TimerEvent_Control(0, TIMER_ON, false);
  std::thread timer(TimerEvent_ThreadMain, nullptr);
  // Should the ticks stop, a watchdog ends the wait after 5 s with news of its own.
  std::atomic<bool> finished{false}, overtime{false};
  std::thread watchdog([&] {
    for (int look = 0; look < 500 && !finished.load(); look++) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    overtime = true;
    while (!finished.load()) Wake_Game(), std::this_thread::sleep_for(std::chrono::milliseconds(10));
  });
  int keyReads = 0;
  while (ticks.size() < 5 && !overtime.load()) {
    keyReads++;
    Key_Read();
    Event_Check(1);
  }
  finished = true;
  watchdog.join();
  exitRequested = 1;
  TimerEvent_WakeThread();
  timer.join();
  exitRequested = 0;
  threadsStopped = 0;
  TimerEvent_Control(0, TIMER_OFF, false);
  Wake_GameSleepsOnNews(false);
  ASSERT_EQ(ticks.size(), 5u);
  EXPECT_LE(keyReads, 5 * 3 + 2) << "the wait for a key spins between ticks";
  auto mean = (ticks.back() - ticks.front()) / 4;
  EXPECT_GE(mean, std::chrono::milliseconds(150));
  EXPECT_LE(mean, std::chrono::milliseconds(300));
}
