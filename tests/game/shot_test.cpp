// One shot: fuel, the light it uses, the closeness and the hit threshold, the graded answer
// (sound, mark, range needle, direction lamp), and the last light ending the level.
#include <cmath>
#include <thread>

#include "graphics/color.h"
#include "runtime/event.h"
#include "host/mouse.h"
#include "tests/game/game_harness.h"

namespace {

class Firing : public GameTest {};

// Fire at (x, y) as onLeftButton does; the button is up, so a miss returns at once.
Outcome fireAt(float x, float y) {
  game.mouseX = x;
  game.mouseY = y;
  Outcome outcome = OUTCOME_NONE;
  EXPECT_EQ(GameTest::onGameThread([&] { outcome = fireShot(); }), GameEnd::RETURNED);
  return outcome;
}

void targetAt(float x, float y) {
  game.targetX = x;
  game.targetY = y;
}

}  // namespace

// ---- fuel -----------------------------------------------------------------------------------

TEST_F(Firing, ShotCostsOneFuelAndThreeMorePerRockerNeverBelowOne) {
  struct Case {
    float fuel, finder, meter, left;
  };
  const Case cases[] = {{50, 0, 0, 49}, {50, 1, 0, 46}, {50, 0, 1, 46}, {50, 1, 1, 43},
                        {5, 1, 1, 1},   {1, 0, 0, 1},   {2, 0, 0, 1},   {8, 1, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "fuel " << c.fuel << ", rockers " << c.finder << " " << c.meter);
    resetToLevelStart();
    targetAt(150, 300);
    game.fuel = c.fuel;
    game.directionFinderOn = c.finder;
    game.rangeMeterOn = c.meter;
    EXPECT_EQ(fireAt(400, 300), OUTCOME_NONE);
    EXPECT_EQ(game.fuel, c.left);
  }
}

// ---- closeness and the hit threshold --------------------------------------------------------

TEST_F(Firing, HitThresholdFollowsTheLevel) {
  struct Case {
    float level, distance;
    Outcome outcome;
  };
  const Case cases[] = {
      {0, 49, OUTCOME_WON}, {0, 50, OUTCOME_NONE},  // q 60.2 above 60; q 60 is not
      {1, 46, OUTCOME_WON}, {1, 47, OUTCOME_NONE},  // threshold 60.67: q 60.8 and 60.6
      {14, 1, OUTCOME_WON},                         // q 69.8 above 69.33
      {15, 0, OUTCOME_WON}, {15, 1, OUTCOME_NONE},  // from level 15 only q = 70 hits
      {40, 0, OUTCOME_WON}, {40, 1, OUTCOME_NONE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.level << ", distance " << c.distance);
    resetToLevelStart();
    game.level = c.level;
    targetAt(300, 260);
    EXPECT_EQ(fireAt(300 + c.distance, 260), c.outcome);
    EXPECT_EQ(game.distance, float((350.0 - c.distance) / 5));
    EXPECT_EQ(delays().size(), c.outcome == OUTCOME_WON ? 1u : 2u);  // a hit shows no mark
  }
}

TEST_F(Firing, RangeLimitShrinksWithTheLevel) {
  struct Case {
    float level, distance, closeness;
  };
  // The limit is 300 - 5 x level; farther counts as 300, so closeness 10.
  const Case cases[] = {{0, 301, 10}, {0, 300, 10}, {0, 299, 10.2f}, {2, 291, 10}, {2, 290, 12}, {40, 101, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.level << ", distance " << c.distance);
    resetToLevelStart();
    game.level = c.level;
    targetAt(600 - c.distance, 300);
    EXPECT_EQ(fireAt(600, 300), OUTCOME_NONE);
    EXPECT_EQ(game.distance, c.closeness);
  }
}

TEST_F(Firing, BeyondTheRangeLimitClosenessIsTen) {
  for (float level : {0.0f, 2.0f}) {
    SCOPED_TRACE(level);
    resetToLevelStart();
    game.level = level;
    game.rangeMeterOn = 1;
    game.masterVolume = 0.5f;
    targetAt(level == 0 ? 299 : 309, 300);  // 301 and 291 from the shot
    Pixels before = screen();
    EXPECT_EQ(fireAt(600, 300), OUTCOME_NONE);
    EXPECT_EQ(game.distance, 10.0f);

    // The boom: 10 / 70 of the master volume, to the right of the listener.
    const SoundSlot* depth = slotOf(game.depthSound);
    EXPECT_TRUE(playing(game.depthSound));
    EXPECT_EQ(depth->volume, float(10.0 / 70 * 0.5));
    EXPECT_EQ(depth->x, 0.5f);
    EXPECT_EQ(depth->y, 0.0f);

    // A mark of 10 pixels centred on the shot, and nothing else around it.
    Pixels now = screen();
    EXPECT_TRUE(drawnOver(now, before, game.explosionImage, 595, 295, 605, 305));
    EXPECT_TRUE(sameRect(now, before, 580, 280, 620, 294));
    EXPECT_TRUE(sameRect(now, before, 580, 306, 620, 320));

    // The needle: a thin upright ellipse at x 755, 12 pixels up and down from y 428, on a
    // freshly restored field.
    const uint32_t needle = 0xFF64C8C8;
    Pixels clean = imagePixels(game.cleanScope);
    int left = 800, right = -1, top = 600, bottom = -1, stray = 0;
    for (int y = 410; y <= 450; y++)
      for (int x = 650; x <= 780; x++) {
        uint32_t p = pixelAt(now, x, y);
        if (p == needle) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        } else {
          stray += p != pixelAt(clean, x, y);
        }
      }
    EXPECT_EQ(left, 754);
    EXPECT_EQ(right, 756);
    EXPECT_EQ(top, 416);
    EXPECT_EQ(bottom, 440);
    EXPECT_EQ(pixelAt(now, 755, 416), needle);
    EXPECT_EQ(pixelAt(now, 755, 440), needle);
    EXPECT_EQ(stray, 0);
  }
  // Closer shots stand the needle further left, 1.5 pixels for each step of closeness.
  for (auto [distance, needleX] : {std::pair{150, 710}, std::pair{100, 695}}) {
    SCOPED_TRACE(distance);
    resetToLevelStart();
    game.rangeMeterOn = 1;
    targetAt(600 - float(distance), 300);
    fireAt(600, 300);
    Pixels now = screen();
    EXPECT_EQ(pixelAt(now, needleX, 416), 0xFF64C8C8u);
    EXPECT_EQ(pixelAt(now, needleX, 440), 0xFF64C8C8u);
  }
}

// ---- the light each shot uses ---------------------------------------------------------------

TEST_F(Firing, EachShotDarkensTheNextLightTheSixthAt35_150) {
  targetAt(150, 300);
  for (int shot = 1; shot <= 6; shot++) EXPECT_EQ(fireAt(400, 300), OUTCOME_NONE);
  Pixels now = screen();
  EXPECT_EQ(game.shotsUsed, 6.0f);
  EXPECT_EQ(game.lightRow, 1.0f);
  EXPECT_EQ(game.lightColumn, 1.0f);
  EXPECT_TRUE(shows(now, game.greenLightOffImage, 35, 150, 60, 175));
  EXPECT_EQ(lightsShown(now), "OOOOOOGG");
}

// The target stands still through a shot's waits however the timer falls due, and drifts again
// once a miss has returned.
TEST_F(Firing, TargetStandsStillThroughTheWaitsAndDriftsAgainAfterAMiss) {
  TimerEvent_Define(0, 3.0, onTimerTick);  // a level runs
  TimerEvent_Control(0, TIMER_ON, false);
  targetAt(150, 300);
  double now = 100;
  std::vector<float> seen;
  onDelay([&](uint32_t) {
    seen.insert(seen.end(), {game.targetX, game.targetY});
    TimerEvent_Poll(now += 10);  // a tick falls due at the step end after the wait
    TimerEvent_Poll(now += 10);
  });
  game.mouseX = 400;
  game.mouseY = 300;
  ASSERT_EQ(onGameThread([&] {
              EXPECT_EQ(fireShot(), OUTCOME_NONE);
              EXPECT_EQ(seen, (std::vector<float>{150, 300, 150, 300}));
              TimerEvent_Poll(now += 10);
              TimerEvent_Poll(now += 10);
              Event_Check(0);
            }),
            GameEnd::RETURNED);
  EXPECT_NE(std::pair(game.targetX, game.targetY), std::pair(150.0f, 300.0f)) << "the timer stayed off";
}

TEST_F(Firing, EighthLightEndsTheLevelWithoutWaitingForTheRelease) {
  game.shotsUsed = 7;
  targetAt(150, 300);
  press(400, 300);  // the button stays down
  ASSERT_TRUE(Mouse_Input());
  EXPECT_EQ(fireAt(400, 300), OUTCOME_LOST);
  EXPECT_EQ(delays(), (std::vector<uint32_t>{2500, 2500}));  // the mark is still shown its time
  EXPECT_EQ(lightsShown(screen()), "GGGGGGGO");
}

TEST_F(Firing, AnyOtherMissWaitsForTheRelease) {
  game.shotsUsed = 6;
  targetAt(150, 300);
  game.mouseX = 400;
  game.mouseY = 300;
  press(400, 300);
  ASSERT_TRUE(Mouse_Input());
  Outcome outcome = OUTCOME_WON;
  startOnGameThread([&] { outcome = fireShot(); });
  ASSERT_TRUE(waitUntil([] { return delays().size() == 2; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(gameThreadRunning()) << "the miss did not wait for the button";
  moveTo(420, 310, true);  // still held
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(gameThreadRunning());
  release(420, 310);
  ASSERT_EQ(finishGameThread(), GameEnd::RETURNED);
  EXPECT_EQ(outcome, OUTCOME_NONE);
  EXPECT_EQ(Mouse_Input(), 0) << "the release wait drains the queue";
}

// ---- the direction lamp ---------------------------------------------------------------------

TEST_F(Firing, LampLightsTheCellTowardsTheTarget) {
  struct Case {
    const char* where;
    float targetX, targetY;
    int cellX, cellY;
  };
  const Case cases[] = {
      {"straight below", 400, 400, 710, 220}, {"straight right", 500, 300, 740, 190},
      {"straight left", 300, 300, 680, 190},  {"straight above", 400, 200, 710, 160},
      {"below right", 500, 400, 740, 220},    {"below left", 300, 400, 680, 220},
      {"above right", 500, 200, 740, 160},    {"above left", 300, 200, 680, 160},
      // Bearings on the edges of two bands belong to the first band listed.
      {"below, bearing 0.4", 448, 400, 710, 220}, {"right and below, bearing 1.3", 500, 322, 740, 220},
      {"right, q 49: the needle and the mark on half pixels", 505, 300, 740, 190},
  };
  Pixels clean = imagePixels(game.cleanScope);
  const Picture lightOff = png("greenlight_off.png"), mark = png("explosion.png"), lamp = png("redlight.png");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    resetToLevelStart();
    game.directionFinderOn = game.rangeMeterOn = 1;
    targetAt(c.targetX, c.targetY);
    Pixels expected = screen();
    EXPECT_EQ(fireAt(400, 300), OUTCOME_NONE);
    // The whole screen, pixel for pixel: the first light used, the mark (a square of side q on
    // the shot), the needle 1.5 pixels left of x 770 per step of q, and the lamp, each field
    // first wiped back to the bare panel.
    auto wipe = [&](int x1, int y1, int x2, int y2) {
      for (int y = y1; y <= y2; y++)
        for (int x = x1; x <= x2; x++) expected[size_t(y) * 800 + size_t(x)] = pixelAt(clean, x, y);
    };
    const double q = float((350 - double(float(std::hypot(c.targetX - 400.0, c.targetY - 300.0)))) / 5);
    putModel(expected, lightOff, 5, 120, 30, 145);
    putModel(expected, mark, 400 - q * 0.5, 300 - q * 0.5, 400 + q * 0.5, 300 + q * 0.5);
    wipe(650, 410, 780, 450);
    needleModel(expected, 770 - q * 1.5);
    wipe(680, 160, 770, 250);
    putModel(expected, lamp, c.cellX, c.cellY, c.cellX + 29, c.cellY + 29);
    EXPECT_TRUE(sameRect(screen(), expected, 0, 0, 799, 599)) << "q " << q;
    EXPECT_EQ(game.markerX, float(c.cellX));
    EXPECT_EQ(game.markerY, float(c.cellY));
    Pixels now = screen();
    EXPECT_TRUE(shows(now, game.redLightImage, c.cellX, c.cellY, c.cellX + 29, c.cellY + 29));
    // The rest of the field is the bare panel: the lamp of an earlier shot is gone.
    int differ = 0;
    for (int y = 160; y <= 250; y++)
      for (int x = 680; x <= 770; x++) {
        bool inLamp = x >= c.cellX && x < c.cellX + 30 && y >= c.cellY && y < c.cellY + 30;
        differ += !inLamp && pixelAt(now, x, y) != pixelAt(clean, x, y);
      }
    EXPECT_EQ(differ, 0);
  }
}

TEST_F(Firing, LampBearingOfATargetLevelWithTheShotIsPlusOrMinusHalfPi) {
  game.directionFinderOn = 1;
  targetAt(500, 300);
  fireAt(400, 300);
  EXPECT_EQ(game.bearing, 1.5f);  // INT(15.7) / 10
  targetAt(300, 300);
  fireAt(400, 300);
  EXPECT_EQ(game.bearing, -1.6f);  // INT(-15.7) / 10
}
