// Both input rings with a real writer and reader thread, as the main and game threads use them.
// Built for ThreadSanitizer as much as for the checks: every record and key must arrive whole
// and in order, and the race detector must find nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "runtime/error.h"
#include "runtime/input_events.h"
#include "runtime/keyboard.h"
#include "runtime/mouse.h"

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
