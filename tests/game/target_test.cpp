// The hidden target: where a level places it, how the timer tick moves and turns it, and the
// radio voices the tick plays.
#include <cmath>

#include "runtime/clock.h"
#include "runtime/event.h"
#include "tests/game/game_harness.h"

namespace {

class TargetMotion : public GameTest {};

// The next n numbers of the random generator from state, the state left as it was.
std::vector<float> drawsFrom(uint32_t state, int n) {
  randomState = state;
  std::vector<float> draws;
  for (int i = 0; i < n; i++) draws.push_back(Random_Next(1, true));
  randomState = state;
  return draws;
}

}  // namespace

TEST_F(TargetMotion, StartsWherePlacementRadiusAndHeadingPutIt) {
  // State 1234 draws radius INT(0.5836 x 220) = 128 and heading INT(0.5661 x 628) / 100 =
  // 3.55: sin and cos are both negative there, so INT's floor and a truncation differ.
  randomState = 1234;
  GameState placed;
  float after29 = 0, after31 = 0;
  ASSERT_EQ(onGameThread([&] {
              startLevel();
              placed = game;
              // The timer is on and ticks every 3 seconds: not yet 2.9 s after its start.
              TimerEvent_Poll(100);
              TimerEvent_Poll(102.9);
              Event_Check(0);
              after29 = game.targetX;
              TimerEvent_Poll(103.1);
              Event_Check(0);
              after31 = game.targetX;
            }),
            GameEnd::RETURNED);
  EXPECT_EQ(placed.targetRadius, 128.0f);
  EXPECT_EQ(placed.heading, 3.55f);
  EXPECT_EQ(placed.targetX, 349.0f);  // INT(-50.83) + 400
  EXPECT_EQ(placed.targetY, 182.0f);  // INT(-117.47) + 300
  EXPECT_EQ(after29, 349.0f);
  EXPECT_NE(after31, 349.0f);
}

TEST_F(TargetMotion, RadiusZeroStartsOnTheCentre) {
  randomState = 165;  // its first draw is below 1 / 220
  ASSERT_EQ(onGameThread(startLevel), GameEnd::RETURNED);
  EXPECT_EQ(game.targetRadius, 0.0f);
  EXPECT_EQ(game.targetX, 400.0f);
  EXPECT_EQ(game.targetY, 300.0f);
}

// Ten ticks from just inside the edge, worked out here from the same draws: the step of
// 5 + 2 x level, the turn by 3.14 beyond 230, the new heading above 0.95, and the voice above
// 0.8 with its pick. State 318 holds two new headings, all three voices, and draws just
// below both limits (0.93 to 0.95 and 0.78 to 0.8).
TEST_F(TargetMotion, TenTicksDriftTurnAndSpeakAsWorkedOut) {
  for (float level : {0.0f, 3.0f}) {
    SCOPED_TRACE(level);
    resetToLevelStart();
    game.level = level;
    game.targetX = 400;
    game.targetY = 526;  // 4 pixels inside the edge, heading straight down
    game.heading = 0;
    std::vector<float> draws = drawsFrom(318, 40);
    randomState = 318;

    float heading = 0, x = 400, y = 526;
    size_t next = 0;
    int newHeadings = 0, turns = 0, voicesHeard = 0;
    for (int tick = 1; tick <= 10; tick++) {
      SCOPED_TRACE(tick);
      if (draws[next++] > 0.95) {
        heading = float(std::floor(draws[next++] * 628.0) / 100.0);
        newHeadings++;
      }
      double step = level * 2.0 + 5.0;
      x = float(x + std::sin(double(heading)) * step);
      y = float(y + std::cos(double(heading)) * step);
      float offsetX = float(std::fabs(400.0 - x)), offsetY = float(std::fabs(300.0 - y));
      float distance = float(std::sqrt(double(offsetX) * offsetX + double(offsetY) * offsetY));
      if (distance > 230) {
        heading = float(heading + 3.14);
        turns++;
      }
      int voice = 0;
      if (draws[next++] > 0.8) voice = int(std::floor(draws[next++] * 3.0)) + 1;
      voicesHeard |= voice == 0 ? 0 : 1 << voice;

      stopAllSounds();
      ASSERT_EQ(onGameThread(onTimerTick), GameEnd::RETURNED);
      EXPECT_EQ(game.targetX, x);
      EXPECT_EQ(game.targetY, y);
      EXPECT_EQ(game.heading, heading);
      EXPECT_EQ(voicePlaying(), voice);
      if (voice != 0) {
        EXPECT_EQ(game.voicePick, float(voice));
        int32_t sounds[] = {0, game.breakingUpSound, game.shutUpSound, game.sobSound};
        EXPECT_EQ(slotOf(sounds[voice])->volume, game.voiceVolume * game.masterVolume);
      }
    }
    // The ticks took exactly the draws worked out, and the case covers what it is meant to.
    EXPECT_EQ(Random_Next(1, true), draws[next]);
    EXPECT_GE(newHeadings, 1);
    EXPECT_GE(turns, 1);
    EXPECT_EQ(voicesHeard, 0b1110);
    EXPECT_FALSE(playing(game.helicopterSound));  // a tick plays nothing but voices
  }
}

TEST_F(TargetMotion, TurnsAgainWhileStillBeyondTheEdgeAndNeverWrapsTheHeading) {
  // Beyond the edge heading down: the first tick turns the course by 3.14, which carries the
  // target back by 5 pixels only; still beyond 230, it turns again, to 6.28, not to 0.
  game.targetX = 400;
  game.targetY = 536;
  game.heading = 0;
  randomState = 1;  // four draws of at most 0.8: no new heading, no voice
  ASSERT_EQ(onGameThread(onTimerTick), GameEnd::RETURNED);
  EXPECT_EQ(game.targetY, 541.0f);
  EXPECT_EQ(game.heading, 3.14f);
  ASSERT_EQ(onGameThread(onTimerTick), GameEnd::RETURNED);
  EXPECT_GT(game.targetY, 530.0f);
  EXPECT_EQ(game.heading, float(3.14f + 3.14));  // not wrapped to about 0
}
