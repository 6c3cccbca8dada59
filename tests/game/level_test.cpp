// The level loop pass by pass: the key read, the background check, the mouse queue drained
// event by event with the aim geometry, the scope view, and "Q" ending the program; what the
// player hears in a level, and a timer tick at each step end of the loop.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "graphics/present.h"
#include "runtime/clock.h"
#include "runtime/event.h"
#include "host/mouse.h"
#include "tests/game/game_harness.h"

namespace {

class LevelLoop : public GameTest {};

// The level loop, pass after pass, until a key ends the program.
void levelLoop() { runLevel(); }

// Over SDL 2 a hidden pointer is a blank cursor, while SDL's own pointer stays shown.
bool cursorShown() { return Present_PointerShown(); }

}  // namespace

TEST_F(LevelLoop, PassWithEmptyQueueOnlyReadsTheKeyAndChecksTheBackground) {
  Sound_Play(game.helicopterSound);
  Pixels before = screen();
  GameState state = game;
  ASSERT_TRUE(onePass());
  EXPECT_EQ(game.keyText, "q");
  EXPECT_TRUE(playing(game.helicopterSound));
  EXPECT_FALSE(playing(game.dontSeeItSound));  // the background still played: no restart
  EXPECT_EQ(game.mouseX, state.mouseX);
  EXPECT_EQ(game.mouseY, state.mouseY);
  EXPECT_EQ(game.distance, state.distance);
  EXPECT_EQ(game.fuel, state.fuel);
  EXPECT_EQ(game.shotsUsed, state.shotsUsed);
  EXPECT_EQ(screen(), before);
}

TEST_F(LevelLoop, BackgroundRestartsTogetherWithTheVoice) {
  game.masterVolume = 1.0f;
  game.helicopterVolume = 0.2f;
  game.voiceVolume = 0.8f;
  ASSERT_FALSE(playing(game.helicopterSound));
  ASSERT_TRUE(onePass());
  EXPECT_TRUE(playing(game.helicopterSound));
  EXPECT_TRUE(playing(game.dontSeeItSound));
  EXPECT_EQ(slotOf(game.helicopterSound)->volume, 0.2f);
  EXPECT_EQ(slotOf(game.dontSeeItSound)->volume, 0.8f);
  EXPECT_EQ(voicePlaying(), 0);
}

TEST_F(LevelLoop, QEndsTheProgramAtTheEndOfItsPassWithTheButtonStillHeld) {
  for (char quit : {'Q', 'q'}) {
    SCOPED_TRACE(quit);
    resetToLevelStart();
    Sound_Play(game.helicopterSound);
    // The key is read first in the pass, yet the pass still handles every queued event.
    typeKey(quit);
    moveTo(500, 350, false);  // the sight follows into the scope
    press(697, 297);          // the upper rocker goes on, and the button stays down
    ASSERT_EQ(onGameThread(levelLoop), GameEnd::PROGRAM_END);
    EXPECT_EQ(game.keyText, std::string(1, quit));
    EXPECT_EQ(game.directionFinderOn, 1.0f);
    EXPECT_EQ(game.mouseX, 697.0f);
    EXPECT_EQ(game.mouseY, 297.0f);
    Pixels now = screen();
    EXPECT_TRUE(shows(now, game.sightImage, 488, 338, 512, 362));
    EXPECT_TRUE(shows(now, game.rockerOnImage, 676, 260, 719, 334));
    EXPECT_EQ(Mouse_Input(), 0) << "events were left unread";
  }
}

TEST_F(LevelLoop, AnyOtherKeyIsReadAndDropped) {
  Sound_Play(game.helicopterSound);
  typeKey('x');
  typeKey('1');
  ASSERT_TRUE(onePass());
  EXPECT_EQ(game.keyText, "q");
}

TEST_F(LevelLoop, WonShotEndsTheLoopAndLeavesTheRestOfTheQueue) {
  game.targetX = 300;
  game.targetY = 250;
  press(300, 250);
  release(300, 250);
  moveTo(320, 260, false);
  Outcome outcome = OUTCOME_NONE;
  ASSERT_EQ(onGameThread([&] { outcome = runLevel(); }), GameEnd::RETURNED);
  EXPECT_EQ(outcome, OUTCOME_WON);
  EXPECT_EQ(game.mouseX, 300.0f);
  int left = 0;
  while (Mouse_Input()) left++;
  EXPECT_EQ(left, 3);  // the release and the motion's two records, for the next reader
}

// What the player hears, as the mixer plays it. The rules: a volume v plays at level
// trunc(v x 129), at most 128; the boom is (350 - its distance to the target, counted as 300
// when farther) / 5 / 70 of the master volume and sounds on the side of the scope it fell on;
// everything else sounds from the middle; a sound not listed is silent.
TEST_F(LevelLoop, WhatThePlayerHearsTable) {
  auto level = [](double v) { return std::min(128, int(v * 129)); };
  auto boom = [&](double d, double master) { return level((350 - std::min(d, 300.0)) / 5 / 70 * master); };
  auto fire = [](float x, float y, float tx, float ty, float master = 0.5f) {
    return [=] {
      game.targetX = tx, game.targetY = ty, game.mouseX = x, game.mouseY = y, game.masterVolume = master;
      onGameThread([] { fireShot(); });
    };
  };
  // One pass of the level loop over a press, the rotor already running at its start level.
  auto pass = [](int x, int y, float voice = 0.5f, float master = 0.5f) {
    return [=] {
      game.voiceVolume = voice, game.masterVolume = master;
      Sound_SetVolume(game.helicopterSound, 0.025f);
      Sound_Play(game.helicopterSound);
      press(x, y);
      onePass();
    };
  };
  auto tick = [](uint32_t seed) {  // seeds whose draws give no new heading, then voice 1, 2 or 3
    return [=] { randomState = seed, onGameThread(onTimerTick); };
  };
  using Sound = int32_t GameState::*;
  const Sound rotor = &GameState::helicopterSound, depth = &GameState::depthSound, clack = &GameState::clackSound;
  const Heard rotorAtStart = {level(0.05 * 0.5), 'C'};
  const struct {
    const char* what;
    std::function<void()> act;
    std::vector<std::pair<Sound, Heard>> heard;
  } rows[] = {
      {"boom right, far", fire(600, 300, 150, 300), {{depth, {boom(450, 0.5), 'R'}}}},
      {"boom left, far", fire(200, 300, 650, 300), {{depth, {boom(450, 0.5), 'L'}}}},
      {"boom above", fire(400, 100, 400, 420), {{depth, {boom(320, 0.5), 'C'}}}},
      {"boom below, near", fire(400, 500, 400, 440), {{depth, {boom(60, 0.5), 'C'}}}},
      {"boom right, near", fire(420, 300, 420, 340), {{depth, {boom(40, 0.5), 'R'}}}},
      {"boom right over the last one still playing", [&] { Sound_Play(game.depthSound), fire(600, 300, 150, 300)(); },
       {{depth, {boom(450, 0.5), 'R'}}}},
      {"boom left on the target, master full", fire(300, 250, 300, 250, 1.0f), {{depth, {boom(0, 1.0), 'L'}}}},
      {"rotor left stop", pass(30, 522), {{rotor, {level(0.05 * 0.5), 'C'}}}},
      {"rotor middle stop", pass(60, 522), {{rotor, {level(0.2 * 0.5), 'C'}}}},
      {"rotor right stop", pass(90, 522), {{rotor, {level(0.5 * 0.5), 'C'}}}},
      {"master right stop", pass(90, 477), {{rotor, {level(0.05 * 1.0), 'C'}}}},
      {"rotor restarts with the greeting", [] { onePass(); },
       {{rotor, rotorAtStart}, {&GameState::dontSeeItSound, {level(0.5 * 0.5), 'C'}}}},
      {"radio voice 1", tick(20), {{&GameState::breakingUpSound, {level(0.5 * 0.5), 'C'}}}},
      {"radio voice 2", tick(36), {{&GameState::shutUpSound, {level(0.5 * 0.5), 'C'}}}},
      {"radio voice 3", tick(4), {{&GameState::sobSound, {level(0.5 * 0.5), 'C'}}}},
      {"rocker clack", pass(697, 297), {{rotor, rotorAtStart}, {clack, {level(0.5 * 0.5), 'C'}}}},
      {"rocker clack, loud", pass(752, 362, 0.8f, 1.0f), {{rotor, rotorAtStart}, {clack, {level(0.8), 'C'}}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    resetToLevelStart();
    SDL_PauseAudio(1);  // every sound waits at its start until it is listened to
    row.act();
    std::vector<int32_t> sounds;
    for (auto [sound, heard] : row.heard) sounds.push_back(game.*sound);
    for (int32_t other : {game.depthSound, game.helicopterSound, game.breakingUpSound, game.shutUpSound,
                          game.sobSound, game.dontSeeItSound, game.clackSound})
      EXPECT_TRUE(playing(other) == (std::count(sounds.begin(), sounds.end(), other) == 1)) << "sound " << other;
    std::vector<Heard> heard = hear(sounds);
    for (size_t i = 0; i < heard.size(); i++) {
      EXPECT_EQ(heard[i].level, row.heard[i].second.level) << "sound " << sounds[i];
      EXPECT_EQ(heard[i].side, row.heard[i].second.side) << "sound " << sounds[i];
    }
  }
}

// ---- the scope view -------------------------------------------------------------------------

TEST_F(LevelLoop, SightFollowsInsideTheCircleAndDistance230CountsAsOutside) {
  Sound_Play(game.helicopterSound);
  moveTo(629, 300, false);  // 229 from the centre
  ASSERT_TRUE(onePass());
  Pixels inside = screen();
  EXPECT_TRUE(shows(inside, game.sightImage, 617, 288, 641, 312));
  EXPECT_FALSE(cursorShown());

  // Exactly 230 away, on the axis and off it (138, 184): the cursor shows, nothing is drawn,
  // and a press there fires no shot.
  moveTo(630, 300, false);
  moveTo(538, 484, false);
  press(538, 484);
  ASSERT_TRUE(onePass());
  EXPECT_EQ(game.distance, 230.0f);
  EXPECT_TRUE(cursorShown());
  EXPECT_EQ(screen(), inside);
  EXPECT_EQ(game.fuel, 50.0f);
  EXPECT_EQ(game.shotsUsed, 0.0f);
  EXPECT_FALSE(playing(game.depthSound));
  EXPECT_TRUE(delays().empty());
}

TEST_F(LevelLoop, MissedShotReturnsToTheLoopWhichRestoresTheViewAndDrawsTheSight) {
  // The mark shows while the shot waits; once the shot returns the view is restored and the
  // sight drawn at the shot point, since distance then holds the closeness.
  game.targetX = 200;
  game.targetY = 300;
  Pixels before = screen(), duringWait;
  onDelay([&](uint32_t) { duringWait = screen(); });
  Sound_Play(game.helicopterSound);
  click(400, 300);
  ASSERT_TRUE(onePass());
  EXPECT_EQ(game.shotsUsed, 1.0f);
  EXPECT_EQ(game.distance, 30.0f);  // (350 - 200) / 5
  EXPECT_TRUE(drawnOver(duringWait, before, game.explosionImage, 385, 285, 415, 315));
  Pixels after = screen();
  EXPECT_FALSE(drawnOver(after, before, game.explosionImage, 385, 285, 415, 315));
  EXPECT_TRUE(shows(after, game.sightImage, 388, 288, 412, 312));
  EXPECT_EQ(lightsShown(after), "OGGGGGGG");
}

// ---- the timer tick against the loop -------------------------------------------------------

static std::atomic<int> stepEnds{0}, tickAt{0};

// Runs at every step end until the tick: it holds the game at the next step end (a pause) until
// the test thread has marked the timer due again.
static void atEveryStepEnd() {
  if (++stepEnds == tickAt) onTimerTick();
  if (stepEnds < tickAt) pauseFlags.fetch_or(2), eventCheckPending = 1;
}

// A tick forced at each step end of the loop in turn, while the timer is on, moves the target
// but never the aim: a click in the scope fires where it was (the target beyond the edge), one
// on a rocker never fires (the target near the centre).
TEST_F(LevelLoop, TickAtAnyStepEndNeverMovesTheAim) {
  for (auto [x, y, targetY, fires] : {std::tuple{300, 300, 529.0f, true}, {697, 297, 303.0f, false}}) {
    int delivered = 0;
    for (int n = 1; n <= 24; n++, delivered++) {
      SCOPED_TRACE(testing::Message() << "click at " << x << ", " << y << ", tick at step end " << n);
      resetToLevelStart();
      game.targetX = 400, game.targetY = targetY, game.heading = 0;
      randomState = 1;  // no new heading, no voice
      Sound_Play(game.helicopterSound);
      click(x, y);
      typeKey('q');
      TimerEvent_Define(0, 1.0, atEveryStepEnd);
      TimerEvent_Control(0, TIMER_ON, false);
      stepEnds = 0, tickAt = n;
      double now = 100;
      TimerEvent_Poll(now), TimerEvent_Poll(now += 2);  // due at the first step end
      startOnGameThread([] { runLevel(); });
      waitUntil([&] { return (pauseFlags & 2) && (TimerEvent_Poll(now += 2), pauseFlags.fetch_and(uint8_t(~2u)), false); });
      ASSERT_EQ(finishGameThread(), GameEnd::PROGRAM_END);
      if (stepEnds < n) break;  // the shot switched the timer off: no tick can come
      EXPECT_EQ(game.targetY, targetY + 5) << "no tick";
      EXPECT_EQ(game.shotsUsed, fires ? 1.0f : 0.0f);
      EXPECT_EQ(game.directionFinderOn, fires ? 0.0f : 1.0f);
      if (fires) {
        EXPECT_EQ(slotOf(game.depthSound)->x, -0.25f);  // the boom where the click was
        EXPECT_EQ(game.distance, float((350 - std::hypot(100.0, targetY + 5 - 300.0)) / 5));
      }
    }
    EXPECT_GE(delivered, 8);
  }
}

// ---- the whole game -------------------------------------------------------------------------

namespace {

std::atomic<bool> probeTicked{false};

// Where startLevel will place the next target: its two draws from the generator as it is now.
std::pair<float, float> nextTarget() {
  uint32_t state = randomState;
  float radius = INT(Random_Next(1, true) * 220.0);
  float heading = INT(Random_Next(1, true) * 628.0) / 100.0;
  randomState = state;
  return {INT(std::sin(double(heading)) * radius) + 400.0, INT(std::cos(double(heading)) * radius) + 300.0};
}

}  // namespace

// runGame itself, with the harness's waits and input: its first steps, a level won, the game
// lost with the next level's last light, and the new game after it. Input is queued from
// inside the game's waits, so each arrives where a player's would.
TEST_F(LevelLoop, GameStartsWinsLosesAndBeginsAgain) {
  uint32_t stateAtFirstTransit = 0;
  GameState afterWin{}, afterLoss{};
  Pixels newGameScreen;
  int delay = 0;
  probeTicked = false;
  onDelay([&](uint32_t) {
    switch (++delay) {
      case 1:  // the first transit: the generator seeded, the timer on with no routine of its own
        stateAtFirstTransit = randomState;
        TimerEvent_Define(0, 0.001, [] { probeTicked = true; });
        TimerEvent_Poll(1000);
        TimerEvent_Poll(1001);
        break;
      case 10: {  // the first level: the master knob to the right, then a hit
        auto [x, y] = nextTarget();
        click(90, 477);
        click(int(x), int(y));
        break;
      }
      case 11: typeKey('x'); break;  // the winning shot's wait; the success screen takes the key
      case 12: afterWin = game; break;
      case 21: {  // the second level, down to its last light: a miss 100 pixels beyond the target
        auto [x, y] = nextTarget();
        double dx = x - 400.0, dy = y - 300.0, d = std::max(1.0, std::hypot(dx, dy));
        game.shotsUsed = 7;
        click(int(400 - dx / d * 100), int(300 - dy / d * 100));
        break;
      }
      case 23: typeKey('x'); break;  // the losing shot's last wait; the failure screen takes the key
      case 24: afterLoss = game, newGameScreen = screen(); break;
      case 33: typeKey('q'); break;  // the new game's first level ends the program
    }
  });
  click(100, 100);  // the title screen's start
  ASSERT_EQ(onGameThread(runGame), GameEnd::PROGRAM_END);
  stopAllSounds();

  std::vector<uint32_t> transit = {200, 200, 200, 200, 200, 200, 200, 200, 1500, 1500}, expected = transit;
  for (auto part : {std::vector<uint32_t>{2500}, transit, {2500, 2500}, transit})
    expected.insert(expected.end(), part.begin(), part.end());
  EXPECT_EQ(delays(), expected);
  EXPECT_NE(stateAtFirstTransit, 12345u) << "the generator was not seeded";
  EXPECT_TRUE(probeTicked) << "the timer was not switched on at start-up";
  EXPECT_EQ(afterWin.level, 1.0f);
  EXPECT_EQ(afterWin.totalScore, 58.0f);
  EXPECT_EQ(afterWin.masterVolume, 1.0f);
  EXPECT_EQ(afterLoss.level, 0.0f);
  EXPECT_EQ(afterLoss.totalScore, 0.0f);
  EXPECT_TRUE(shows(newGameScreen, game.sliderImage, 55, 457, 70, 492)) << "the knobs were not reset";
  EXPECT_EQ(lightsShown(screen()), "GGGGGGGG");
}
