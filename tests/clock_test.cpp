// The clock's rounding and midnight, the delay's range, and the random sequence bit for bit.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>

#include "runtime/clock.h"
#include "runtime/error.h"
#include "runtime/program.h"

namespace {

struct ClockTest : ::testing::Test {
  void SetUp() override { pendingError = 0; }
  void TearDown() override {
    pendingError = 0;
    eventCheckPending = 0;
  }
};

// The generator computed here the long way, in 64 bits, independently of the runtime.
struct ReferenceGenerator {
  uint64_t state;
  float next() {
    state = (state * 0xFD43FDull + 0xC39EC3ull) % (1ull << 24);
    return float(double(state) / 16777216.0);
  }
};

uint32_t floatBits(float f) {
  uint32_t b;
  std::memcpy(&b, &f, 4);
  return b;
}

constexpr uint32_t hms(uint32_t h, uint32_t m, uint32_t s, uint32_t ms) { return ((h * 60 + m) * 60 + s) * 1000 + ms; }

}  // namespace

// ---- the random generator ---------------------------------------------------------------------

TEST_F(ClockTest, RandomFromTheStartValue) {
  randomState = 0x50000;
  EXPECT_EQ(Random_Next(0, false), 11837123.0f / 16777216.0f);
  EXPECT_EQ(Random_Next(1, true), 8949370.0f / 16777216.0f);
  EXPECT_EQ(Random_Next(0, false), 9722709.0f / 16777216.0f);
  EXPECT_EQ(randomState, 9722709u);
}

TEST_F(ClockTest, RandomSeededAtNoon) {
  randomState = 0x50000;
  Random_Seed(43200.0);
  EXPECT_EQ(randomState, 0x58E500u);
  EXPECT_EQ(Random_Next(1, true), 9236419.0f / 16777216.0f);
}

TEST_F(ClockTest, RandomAgreesWithAReferenceForThousandsOfValues) {
  randomState = 0x50000;
  ReferenceGenerator ref{0x50000};
  for (int i = 0; i < 5000; i++) {
    float got = Random_Next(1, true), want = ref.next();
    ASSERT_EQ(floatBits(got), floatBits(want)) << "value " << i;
    ASSERT_LT(got, 1.0f);
  }
  // A seed taken from the clock, then the same again.
  Random_Seed(61234.56);
  ref.state = randomState;
  for (int i = 0; i < 3000; i++) ASSERT_EQ(floatBits(Random_Next(0, false)), floatBits(ref.next())) << "value " << i;
}

TEST_F(ClockTest, RandomZeroRepeatsTheLastValue) {
  randomState = 0x50000;
  float first = Random_Next(1, true);
  EXPECT_EQ(Random_Next(0, true), first);
  EXPECT_EQ(Random_Next(-0.0f, true), first);
  EXPECT_EQ(randomState, 11837123u);
  EXPECT_EQ(Random_Next(1, true), 8949370.0f / 16777216.0f);
}

TEST_F(ClockTest, RandomNegativeRestartsFromTheFloatsBits) {
  // -1.0f is 0xBF800000: state 0x800000 + 0xBF, then one step.
  randomState = 0x123456;
  EXPECT_EQ(Random_Next(-1.0f, true), 3758214.0f / 16777216.0f);
  randomState = 0x654321;
  EXPECT_EQ(Random_Next(-1.0f, true), 3758214.0f / 16777216.0f);
  // -0.5f is 0xBF000000: state 0xBF.
  EXPECT_EQ(Random_Next(-0.5f, true), 12146822.0f / 16777216.0f);
}

TEST_F(ClockTest, SeedKeepsTheLowByteOfTheOldState) {
  randomState = 0x50000;
  Random_Next(1, true);  // state 0xB49EC3
  Random_Seed(43200.0);
  EXPECT_EQ(randomState, 0x58E5C3u);
  float fromAdvanced = Random_Next(1, true);
  randomState = 0x50000;
  Random_Seed(43200.0);
  EXPECT_NE(Random_Next(1, true), fromAdvanced);
}

TEST_F(ClockTest, RandomAndSeedDoNothingWhileAnErrorIsPending) {
  randomState = 0x50000;
  pendingError = 5;
  EXPECT_EQ(Random_Next(1, true), 0.0f);
  Random_Seed(43200.0);
  EXPECT_EQ(randomState, 0x50000u);
}

// ---- the clock ----------------------------------------------------------------------------

TEST_F(ClockTest, PlainClockInTicksOfTheDay) {
  EXPECT_EQ(Clock_SecondsAt(hms(12, 0, 0, 0), 0, false), 43200.0);
  // The last tick of the day rounds up to the next midnight.
  EXPECT_EQ(Clock_SecondsAt(hms(23, 59, 59, 990), 0, false), 86400.0);
  EXPECT_EQ(Clock_SecondsAt(0, 0, false), 0.0);
  // One second holds 18.2 ticks: 18 of them are 0.989... s, kept in single precision.
  double s = Clock_SecondsAt(1000, 0, false);
  EXPECT_EQ(s, double(float(s)));
  EXPECT_NEAR(s, 18 / 18.2, 1e-7);
  EXPECT_NE(s, 18 / 18.2);
}

TEST_F(ClockTest, AccurateClockRoundsToItsStepTiesToEven) {
  EXPECT_EQ(Clock_SecondsAt(hms(12, 0, 0, 123), 0.01, true), 43200.12);
  EXPECT_EQ(Clock_SecondsAt(2500, 1, true), 2.0);
  EXPECT_EQ(Clock_SecondsAt(3500, 1, true), 4.0);
  EXPECT_EQ(Clock_SecondsAt(hms(23, 59, 59, 990), 0.001, true), 86399.99);
  EXPECT_EQ(Clock_SecondsAt(1234, 1e-310, true), 1.234);
}

TEST_F(ClockTest, TimeOfDayFromTheBaseWrapsAtMidnightAndAtTheTickCounter) {
  tickBase = 5000;
  msAtTickBase = hms(23, 59, 59, 0);
  EXPECT_EQ(Clock_MsOfDay(5990), hms(23, 59, 59, 990));
  EXPECT_EQ(Clock_MsOfDay(6500), 500u);
  EXPECT_NEAR(Clock_SecondsAt(Clock_MsOfDay(6500), 0, false), 0.5, 0.03);
  EXPECT_EQ(Clock_SecondsAt(Clock_MsOfDay(6500), 0.5, true), 0.5);
  // SDL's counter wraps after 49 days; the difference stays right in unsigned arithmetic.
  tickBase = 0xFFFFFF00u;
  msAtTickBase = hms(12, 0, 0, 0);
  EXPECT_EQ(Clock_MsOfDay(0x100), hms(12, 0, 0, 512));
}

TEST_F(ClockTest, BaseTakenWithinASecondReadsAsIfTakenAtItsStart) {
  Clock_SetBase(5000, hms(23, 59, 59, 250));
  EXPECT_EQ(tickBase, 4750u);
  EXPECT_EQ(msAtTickBase, hms(23, 59, 59, 0));
  EXPECT_EQ(Clock_MsOfDay(5740), hms(23, 59, 59, 990));
  EXPECT_EQ(Clock_MsOfDay(5750), 0u);
  Clock_SetBase(3, hms(12, 0, 0, 999));  // in the process's first ticks: the base lies before 0
  EXPECT_EQ(Clock_MsOfDay(4), hms(12, 0, 1, 0));
  // From the system's clock: on a whole second, and reading the local time of day now.
  Clock_TakeBase();
  uint32_t ms = Clock_MsOfDay(SDL_GetTicks());
  auto now = std::chrono::system_clock::now();
  time_t seconds = std::chrono::system_clock::to_time_t(now);
  const std::tm* local = std::localtime(&seconds);
  auto fraction = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  int64_t want = (local->tm_hour * 3600 + local->tm_min * 60 + local->tm_sec) * 1000 + fraction;
  EXPECT_EQ(msAtTickBase % 1000, 0u);
  int64_t apart = std::abs(int64_t(ms) - want);
  EXPECT_LT(std::min(apart, 86400000 - apart), 100) << ms << " against " << want;  // midnight between
}

TEST_F(ClockTest, AccuracyOfZeroOrLessIsError5) {
  EXPECT_EQ(Clock_Seconds(0, true), 0.0);
  EXPECT_EQ(pendingError.load(), 5);
  pendingError = 0;
  EXPECT_EQ(Clock_Seconds(-0.5, true), 0.0);
  EXPECT_EQ(pendingError.load(), 5);
}

// ---- the delay ----------------------------------------------------------------------------

TEST_F(ClockTest, DelayTruncatesToWholeMilliseconds) {
  EXPECT_EQ(Clock_DelayMs(0.2), 200);
  EXPECT_EQ(Clock_DelayMs(1.5), 1500);
  EXPECT_EQ(Clock_DelayMs(2.5), 2500);
  EXPECT_EQ(Clock_DelayMs(0.0019), 1);
  EXPECT_EQ(Clock_DelayMs(0), 0);
  EXPECT_EQ(Clock_DelayMs(2147483.647), 2147483647);
}

TEST_F(ClockTest, DelayOutOfRangeIsError5) {
  for (double bad : {-1.0, -0.001, 2147483.648, 1e300, std::nan("")}) {
    pendingError = 0;
    Clock_Delay(bad);
    EXPECT_EQ(pendingError.load(), 5) << bad;
  }
  pendingError = 0;
  Clock_Delay(0);
  EXPECT_EQ(pendingError.load(), 0);
}

namespace {
uint32_t hookedMs[4];
int hookedCount;
void recordWait(uint32_t ms) { hookedMs[hookedCount++ % 4] = ms; }
}  // namespace

TEST_F(ClockTest, DelayHookTakesTheWaitAndErrorsStillComeFirst) {
  hookedCount = 0;
  Clock_SetDelayHook(recordWait);
  Clock_Delay(2147483.647);  // returns at once: the hook does not sleep
  Clock_Delay(0.2);
  Clock_Delay(-1);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  Clock_SetDelayHook(nullptr);
  Clock_Delay(0.001);
  ASSERT_EQ(hookedCount, 2);
  EXPECT_EQ(hookedMs[0], 2147483647u);
  EXPECT_EQ(hookedMs[1], 200u);
}
