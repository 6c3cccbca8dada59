// The level loop pass by pass: the key read, the background check, the mouse queue drained
// event by event with the aim geometry, the scope view, and "Q" ending the program.
#include <SDL.h>

#include "runtime/mouse.h"
#include "tests/game/game_harness.h"

namespace {

class LevelLoop : public GameTest {};

// The level loop, pass after pass, until a key ends the program.
void levelLoop() { runLevel(); }

bool cursorShown() { return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE; }

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
