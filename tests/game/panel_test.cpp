// The control panel: the nine slider stops and the strict edges of their bands, the knobs,
// the background restarted at the new volume, and the two rockers toggled once per event.
#include <SDL.h>

#include "tests/game/game_harness.h"

namespace {

class ControlPanel : public GameTest {};

struct Stop {
  int x, y;                   // where the button goes down
  float GameState::*volume;   // the row's volume
  float value;
  int knobX, knobY;
};

const Stop stops[] = {
    // Every stop, from the middle of its bands.
    {30, 477, &GameState::masterVolume, 0.1f, 20, 456},  // one pixel above the row's others
    {60, 477, &GameState::masterVolume, 0.5f, 55, 457},
    {90, 477, &GameState::masterVolume, 1.0f, 95, 457},
    {30, 522, &GameState::helicopterVolume, 0.05f, 20, 499},
    {60, 522, &GameState::helicopterVolume, 0.2f, 55, 499},
    {90, 522, &GameState::helicopterVolume, 0.5f, 95, 499},
    {30, 562, &GameState::voiceVolume, 0.2f, 20, 543},
    {60, 562, &GameState::voiceVolume, 0.5f, 55, 543},
    {90, 562, &GameState::voiceVolume, 0.8f, 95, 543},
    // One pixel inside an edge.
    {44, 461, &GameState::masterVolume, 0.1f, 20, 456},
    {46, 494, &GameState::masterVolume, 0.5f, 55, 457},
    {74, 506, &GameState::helicopterVolume, 0.2f, 55, 499},
    {76, 539, &GameState::helicopterVolume, 0.5f, 95, 499},
    {109, 579, &GameState::voiceVolume, 0.8f, 95, 543},
    {1, 546, &GameState::voiceVolume, 0.2f, 20, 543},
};

// The row strip of a knob shows that knob and the bare panel everywhere else.
void expectKnobAlone(const Pixels& p, int x, int y) {
  EXPECT_TRUE(GameTest::shows(p, game.sliderImage, x, y, x + 15, y + 35));
  Pixels clean = GameTest::imagePixels(game.cleanScope);
  int differ = 0;
  for (int py = y - 1; py <= y + 36; py++)
    for (int px = 12; px <= 110; px++) {
      bool inKnob = px >= x && px <= x + 15 && py >= y && py <= y + 35;
      differ += !inKnob && GameTest::pixelAt(p, px, py) != GameTest::pixelAt(clean, px, py);
    }
  EXPECT_EQ(differ, 0) << "another knob or mark in the row of " << x << ", " << y;
}

uint32_t backgroundStartedAt() { return GameTest::slotOf(game.helicopterSound)->startTime; }

// The background plays, started a little before the pass.
void backgroundPlaying() {
  Sound_Play(game.helicopterSound);
  SDL_Delay(3);
}

}  // namespace

TEST_F(ControlPanel, EveryStopSetsItsVolumeMovesItsKnobAndRestartsTheBackground) {
  for (const Stop& stop : stops) {
    SCOPED_TRACE(testing::Message() << "press at " << stop.x << ", " << stop.y);
    resetToLevelStart();
    GameState before = game;
    backgroundPlaying();
    uint32_t started = backgroundStartedAt();
    press(stop.x, stop.y);  // held: the pass ends with the knob corner as the mouse position
    ASSERT_TRUE(onePass());
    EXPECT_EQ(game.*stop.volume, stop.value);
    for (float GameState::*other : {&GameState::masterVolume, &GameState::helicopterVolume, &GameState::voiceVolume})
      if (other != stop.volume) {
        EXPECT_EQ(game.*other, before.*other);
      }
    EXPECT_EQ(game.mouseX, float(stop.knobX));
    EXPECT_EQ(game.mouseY, float(stop.knobY));
    EXPECT_EQ(game.sliderMoved, 0.0f);
    expectKnobAlone(screen(), stop.knobX, stop.knobY);
    EXPECT_TRUE(playing(game.helicopterSound));
    EXPECT_GT(backgroundStartedAt(), started);
    EXPECT_EQ(slotOf(game.helicopterSound)->volume, float(double(game.helicopterVolume) * game.masterVolume));
  }
}

TEST_F(ControlPanel, EachStopWipesTheOtherKnobsOfItsRow) {
  // From the master row's left knob, one pixel higher than the others, to the middle and back.
  for (int x : {30, 60, 90, 30, 60}) {
    SCOPED_TRACE(x);
    press(x, 477);
    ASSERT_TRUE(onePass());
    expectKnobAlone(screen(), int(game.mouseX), int(game.mouseY));
  }
  EXPECT_EQ(game.masterVolume, 0.5f);
}

TEST_F(ControlPanel, BandEdgesSelectNothing) {
  const int edges[][2] = {{45, 477}, {75, 477}, {110, 477}, {60, 460}, {60, 495},
                          {60, 505}, {60, 540}, {60, 545}, {60, 580}};
  for (const auto& at : edges) {
    SCOPED_TRACE(testing::Message() << "press at " << at[0] << ", " << at[1]);
    resetToLevelStart();
    backgroundPlaying();
    uint32_t started = backgroundStartedAt();
    Pixels before = screen();
    press(at[0], at[1]);
    ASSERT_TRUE(onePass());
    EXPECT_EQ(game.masterVolume, 0.5f);
    EXPECT_EQ(game.helicopterVolume, 0.05f);
    EXPECT_EQ(game.voiceVolume, 0.5f);
    EXPECT_EQ(game.mouseX, float(at[0]));
    EXPECT_EQ(game.mouseY, float(at[1]));
    EXPECT_EQ(screen(), before);
    EXPECT_EQ(backgroundStartedAt(), started);
  }
}

TEST_F(ControlPanel, ResetKnobsDrawsTheStartStopsWithoutChangingVolumes) {
  game.masterVolume = 1.0f;
  Pixels clean = imagePixels(game.cleanScope);
  ASSERT_EQ(onGameThread(resetPanelKnobs), GameEnd::RETURNED);
  Pixels now = screen();
  EXPECT_TRUE(shows(now, game.sliderImage, 55, 457, 70, 492));
  EXPECT_TRUE(shows(now, game.sliderImage, 20, 499, 35, 534));
  EXPECT_TRUE(shows(now, game.sliderImage, 55, 543, 70, 578));
  EXPECT_EQ(game.masterVolume, 1.0f);
}

// Every queued event with button 1 down over a rocker toggles it: a press is one event, a
// motion with the button held is two (the runtime queues a motion as two records).
TEST_F(ControlPanel, RockersToggleOncePerQueuedEventWhileTheButtonIsHeld) {
  struct Rocker {
    int x, y;
    float GameState::*flag;
    int x1, y1, x2, y2;
  };
  const Rocker rockers[] = {{697, 297, &GameState::directionFinderOn, 676, 260, 719, 334},
                            {752, 362, &GameState::rangeMeterOn, 730, 324, 773, 398}};
  for (const Rocker& rocker : rockers) {
    for (int events = 0; events <= 3; events++) {
      SCOPED_TRACE(testing::Message() << "rocker at " << rocker.x << ", " << rocker.y << ", " << events << " events");
      resetToLevelStart();
      Sound_Play(game.helicopterSound);
      if (events == 0) moveTo(rocker.x, rocker.y, false);
      if (events == 1 || events == 3) press(rocker.x, rocker.y);
      if (events >= 2) moveTo(rocker.x + 1, rocker.y, true);
      moveTo(500, 350, false);  // then into the scope: restoring the view leaves the rockers alone
      ASSERT_TRUE(onePass());
      bool on = events % 2 == 1;
      EXPECT_EQ(game.*rocker.flag, on ? 1.0f : 0.0f);
      EXPECT_EQ(playing(game.clackSound), events > 0);
      Pixels now = screen();
      if (on) {
        EXPECT_TRUE(shows(now, game.rockerOnImage, rocker.x1, rocker.y1, rocker.x2, rocker.y2));
      } else {
        EXPECT_TRUE(sameRect(now, imagePixels(game.cleanScope), rocker.x1, rocker.y1, rocker.x2, rocker.y2));
      }
    }
  }
  // The clack follows the voice volume.
  EXPECT_EQ(slotOf(game.clackSound)->volume, float(double(game.voiceVolume) * game.masterVolume));
}
