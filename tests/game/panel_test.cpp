// The control panel: the nine slider stops and the strict edges of their bands, the knobs,
// the background restarted at the new volume, and the two rockers toggled once per event; and
// every click edge of the title screen and the level in one table.
#include <SDL.h>

#include <fstream>

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

// Every place the player can click, one pixel inside and one outside each edge; every edge is
// strict. Title screen: 'S' starts the game, 'C', 'L', 'H' open the credits, the licence and the
// help, '-' does nothing. In a level: 'F' fires, 'U' and 'D' switch the upper and lower rocker,
// '1' to '9' pick a slider stop (master, rotor, voice row, each left to right), '.' nothing.
TEST_F(ControlPanel, EveryClickEdgeOnePixelInsideAndOutside) {
  struct Region {
    char effect;
    int x1, y1, x2, y2;  // strictly between; -1 and 600 are no edge
  };
  const std::vector<Region> title = {{'C', 670, 345, 790, 410}, {'L', 670, 430, 790, 490},
                                     {'H', 670, 515, 790, 575}, {'-', 670, -1, 790, 600}};
  std::vector<Region> level = {{'U', 680, 265, 715, 330}, {'D', 735, 330, 770, 395}};
  const int columns[3][2] = {{-1, 45}, {45, 75}, {75, 110}}, rows[3][2] = {{460, 495}, {505, 540}, {545, 580}};
  for (int r = 0; r < 9; r++) level.push_back({char('1' + r), columns[r % 3][0], rows[r / 3][0], columns[r % 3][1], rows[r / 3][1]});
  auto effectAt = [&](bool onTitle, int x, int y) {
    for (const Region& r : onTitle ? title : level)
      if (x > r.x1 && x < r.x2 && y > r.y1 && y < r.y2) return r.effect;
    return onTitle ? 'S' : (x - 400) * (x - 400) + (y - 300) * (y - 300) < 230 * 230 ? 'F' : '.';
  };
  // Both sides of each edge at the middle of the other axis, and of the scope's circle on its
  // four axes.
  std::vector<std::tuple<bool, int, int>> points;
  for (bool onTitle : {true, false})
    for (const Region& r : onTitle ? title : level)
      for (auto [edge, x, y, in] : {std::tuple{r.x1, -1, (r.y1 + r.y2) / 2, 1}, {r.x2, -1, (r.y1 + r.y2) / 2, -1},
                                    {r.y1, (std::max(r.x1, 0) + r.x2) / 2, -1, 1}, {r.y2, (std::max(r.x1, 0) + r.x2) / 2, -1, -1}})
        for (int d : {0, in})
          if (edge != -1 && edge != 600) points.push_back({onTitle, x == -1 ? edge + d : x, y == -1 ? edge + d : y});
  for (int d : {229, 230})
    for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) points.push_back({false, 400 + dx * d, 300 + dy * d});

  const char* const files[3] = {"Credits.txt", "Vorn License.txt", "help.txt"};
  std::string lastLines[3], line;  // the one a text screen's listing ends with
  for (int f = 0; f < 3; f++)
    for (std::ifstream file(files[f]); std::getline(file, line);) lastLines[f] = line;
  const float stops[9] = {0.1f, 0.5f, 1.0f, 0.05f, 0.2f, 0.5f, 0.2f, 0.5f, 0.8f};
  for (auto [onTitle, x, y] : points) {
    resetToLevelStart();
    std::vector<char> seen;
    if (onTitle) {
      click(x, y);
      typeKey('x');  // ends a text screen
      click(100, 100);
      ASSERT_EQ(onGameThread(runTitleScreen), GameEnd::RETURNED);
      for (int f = 0; f < 3; f++)
        if (game.textLine == lastLines[f]) seen.push_back("CLH"[f]);
      if (game.mouseX == float(x) && game.mouseY == float(y)) seen.push_back('S');
      game.textLine = "";
    } else {
      game.targetX = game.targetY = 400;
      game.masterVolume = game.helicopterVolume = game.voiceVolume = 0.3f;  // no stop's
      Sound_Play(game.helicopterSound);
      click(x, y);
      ASSERT_TRUE(onePass());
      if (game.shotsUsed == 1) seen.push_back('F');
      if (game.directionFinderOn == 1) seen.push_back('U');
      if (game.rangeMeterOn == 1) seen.push_back('D');
      const float volumes[3] = {game.masterVolume, game.helicopterVolume, game.voiceVolume};
      for (int r = 0; r < 9; r++)
        if (volumes[r / 3] == stops[r]) seen.push_back(char('1' + r));
    }
    char want = effectAt(onTitle, x, y);
    EXPECT_EQ(seen, want == '-' || want == '.' ? std::vector<char>{} : std::vector<char>{want})
        << (onTitle ? "title" : "level") << " click at " << x << ", " << y << ": " << want;
  }
  EXPECT_EQ(points.size(), 118u);
}
