// clock.cpp: clock base, Clock_Seconds, Clock_Delay, Random_Seed, Random_Next.
//
// tickBase and msAtTickBase are written once by the main thread at start-up, before the game
// thread exists; randomState and the last random value belong to the game thread.
#include "runtime/clock.h"

#include <SDL.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <ctime>

#include "platform/platform.h"
#include "runtime/error.h"
#include "runtime/wake.h"

uint32_t tickBase;
uint32_t msAtTickBase;
uint32_t randomState = 0x50000;
static float lastRandom;
static std::atomic<ClockDelayHook> delayHook{nullptr};  // set by tests only

void Clock_SetBase(uint32_t ticks, uint32_t msOfDay) {
  // The base goes back to the start of the second begun, so that it falls on a whole second
  // and the clock reads as if it had been taken there.
  tickBase = ticks - msOfDay % 1000;
  msAtTickBase = msOfDay - msOfDay % 1000;
}

void Clock_TakeBase() {
  int64_t seconds = 0;  // calendar time 0 stands in when the system's clock cannot be read
  uint32_t ms = 0;
  Sys_CalendarTime(&seconds, &ms);
  uint32_t ticks = SDL_GetTicks();
  time_t now = time_t(seconds);
  // Nothing else in the program calls localtime, so its shared result is safe here.
  const struct tm* local = std::localtime(&now);
  uint32_t wholeSeconds = local == nullptr ? 0 : uint32_t(local->tm_hour * 3600 + local->tm_min * 60 + local->tm_sec);
  Clock_SetBase(ticks, wholeSeconds * 1000u + ms);
}

uint32_t Clock_MsOfDay(uint32_t ticks) { return (ticks - tickBase + msAtTickBase) % 86400000u; }

double Clock_SecondsAt(uint32_t ms, double accuracy, bool accuracyGiven) {
  double s = ms / 1000.0;
  double factor = accuracyGiven ? 1.0 / accuracy : 18.2;
  // An accuracy too fine for its reciprocal (a subnormal) means no rounding at all.
  if (std::isinf(factor)) return s;
  // nearbyint rounds ties to even in the default rounding mode, which nothing here changes.
  double r = std::nearbyint(s * factor) / factor;
  return accuracyGiven ? r : double(float(r));
}

double Clock_Seconds(double accuracy, bool accuracyGiven) {
  if (Error_Pending()) return 0;
  if (accuracyGiven && !(accuracy > 0)) {
    Runtime_Error(5);
    return 0;
  }
  Wake_GameActed();
  return Clock_SecondsAt(Clock_MsOfDay(SDL_GetTicks()), accuracy, accuracyGiven);
}

int64_t Clock_DelayMs(double seconds) {
  if (!(seconds >= 0 && seconds <= 2147483.647)) return -1;
  return int64_t(seconds * 1000);
}

void Clock_Delay(double seconds) {
  if (Error_Pending()) return;
  int64_t ms = Clock_DelayMs(seconds);
  if (ms < 0) return Runtime_Error(5);
  Wake_GameActed();
  if (ClockDelayHook hook = delayHook.load()) return hook(uint32_t(ms));
  Sys_Sleep(uint32_t(ms));
}

void Clock_SetDelayHook(ClockDelayHook hook) { delayHook = hook; }

void Random_Seed(double seed) {
  if (Error_Pending()) return;
  uint64_t bits;
  std::memcpy(&bits, &seed, 8);
  uint32_t h = uint32_t(bits >> 32);
  uint32_t v = (h ^ (h >> 16)) & 0xFFFF;
  randomState = (v << 8) | (randomState & 0xFF);
}

float Random_Next(float x, bool xGiven) {
  if (Error_Pending()) return 0;
  if (!xGiven) x = 1;
  if (x == 0) return lastRandom;
  if (x < 0) {
    uint32_t b;
    std::memcpy(&b, &x, 4);
    randomState = (b & 0xFFFFFF) + (b >> 24);
  }
  randomState = (randomState * 16598013u + 12820163u) & 0xFFFFFF;
  lastRandom = float(randomState) / 16777216.0f;
  return lastRandom;
}
