// wake.cpp: the game thread's news count and the two threads' asleep flags.
//
// news is moved by any thread and slept on by the game thread alone, which also owns the count
// it saw at its last empty read. gameAsleep and mainAsleep are set by the sleeper before it looks
// for work a last time, and read by whoever brings work after publishing it; both sides use
// sequentially consistent order, so either the sleeper sees the work or the waker sees the flag.
// A waker thus makes a system call only when the other thread really sleeps.
#include "runtime/wake.h"

#include <atomic>

#include "platform/platform.h"

static std::atomic<uint32_t> news{0};
static uint32_t newsAtLastEmptyRead;  // game thread
static std::atomic<bool> gameAsleep{false};
static std::atomic<bool> mainAsleep{false};
static std::atomic<bool> gameSleepsOnNews{false};  // set once by start-up
// The game drew or asked the clock since its last empty read: its loop runs on time, not on news.
static std::atomic<bool> gameActed{false};

void Wake_Game() {
  news.fetch_add(1);
  if (gameAsleep.load()) Sys_WakeWord(&news);
}

uint32_t Wake_GameNews() { return news.load(); }

void Wake_GameWaitFor(uint32_t newsBefore, int32_t timeoutMs) {
  gameAsleep.store(true);
  Sys_WaitWord(&news, newsBefore, timeoutMs);
  gameAsleep.store(false);
}

void Wake_GameWait(uint32_t newsBefore) {
  while (news.load() == newsBefore) Wake_GameWaitFor(newsBefore, -1);
}

void Wake_GameSleepsOnNews(bool sleeps) { gameSleepsOnNews = sleeps; }

void Wake_GameActed() { gameActed.store(true, std::memory_order_relaxed); }

void Wake_GameRestAfterEmptyRead(uint32_t newsBefore) {
  bool acted = gameActed.exchange(false, std::memory_order_relaxed);
  // A loop that draws or waits on the clock between its reads (an animation) goes on as it
  // did: a millisecond's rest per empty read keeps it from spinning.
  if (!gameSleepsOnNews.load(std::memory_order_relaxed) || acted) {
    newsAtLastEmptyRead = newsBefore - 1;
    return Sys_Sleep(1);
  }
  if (newsBefore == newsAtLastEmptyRead) Wake_GameWait(newsBefore);
  newsAtLastEmptyRead = newsBefore;
}

void Wake_GameUntil(bool (*done)(), int32_t firstLookMs) {
  for (int32_t look = firstLookMs;; look = look < 500 ? 2 * look : 1000) {
    uint32_t before = news.load();
    if (done()) return;
    Wake_GameWaitFor(before, look);
  }
}

void Wake_Main() {
  if (mainAsleep.load() && mainAsleep.exchange(false)) Sys_WakeMainThread();
}

void Wake_MainWillSleep() { mainAsleep.store(true); }

void Wake_MainAwake() { mainAsleep.store(false); }
