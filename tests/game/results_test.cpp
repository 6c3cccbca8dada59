// The level's end: the success screen and its score, the failure screen and the new game
// after it. The screens are read from a snapshot taken on the game thread while it waits.
#include <SDL.h>

#include "graphics/blit.h"
#include "graphics/color.h"
#include "graphics/draw.h"
#include "graphics/image.h"
#include "host/mouse.h"
#include "text/font.h"
#include "text/number_text.h"
#include "tests/game/game_harness.h"

namespace {

class Results : public GameTest {};

const uint32_t successRed = 0xFF960A0A;     // (150, 10, 10)
const uint32_t failureCream = 0xFFFAF0B4;   // (250, 240, 180)

// "Press any key" in the 8-pixel font is the last thing printed before a result screen waits.
std::function<bool()> pressAnyKeyPrintedAt(int32_t row) {
  return [row] {
    const ImageRecord* r = Image_Record(-game.screenImage);
    return r->font == 8 && r->cursorRow == row + 1;
  };
}

// The level loop's end of a level won, the button still held: the success screen, then a key,
// then the release of the button, then the transit. The screen is taken while it waits for the
// key and must be exactly the play screen with the revealed target, the red line from it to the
// shot, the large explosion and the texts; the pointer shows again.
Pixels winAndShowSuccess() {
  const Pixels under = GameTest::screen();
  const float x = game.targetX, y = game.targetY, mx = game.mouseX, my = game.mouseY;
  const float level = game.level + 1, score = INT(game.fuel + double(game.fuel) * level * 0.2), total = game.totalScore + score;
  GameTest::onGameThread(Mouse_Hide);
  GameTest::snapshotWhen(pressAnyKeyPrintedAt(61));
  GameTest::startOnGameThread(showSuccess);
  EXPECT_TRUE(GameTest::waitUntil(GameTest::snapshotTaken));
  EXPECT_TRUE(GameTest::gameThreadRunning()) << "the success screen did not wait for a key";
  Pixels shown = GameTest::snapshot();
  // The key ends the first wait: fuel is refilled while the button is still held.
  GameTest::snapshotWhen([] { return game.fuel == 50; });
  GameTest::typeKey('x');
  EXPECT_TRUE(GameTest::waitUntil(GameTest::snapshotTaken)) << "the key did not end the first wait";
  EXPECT_TRUE(GameTest::gameThreadRunning()) << "the success screen did not wait for the release";
  GameTest::release(int(mx), int(my));
  EXPECT_EQ(GameTest::finishGameThread(), GameEnd::RETURNED);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE) << "the pointer is not shown again";

  // The boat at its own size with its corner 35 left of and 12 above the target, the line in
  // (200, 0, 0), the explosion over (170, 70)-(630, 530); then the texts.
  Pixels modelled = under;
  GameTest::putModel(modelled, GameTest::png("ssub.png"), x - 35.0, y - 12.0, x - 35.0 + 70, y - 12.0 + 24);
  GameTest::lineModel(modelled, x, y, mx, my, 0xFFC80000);
  GameTest::putModel(modelled, GameTest::png("explosion.png"), 170, 70, 630, 530);
  Pixels expected = GameTest::drawnOn(modelled, [&] {
    const int32_t font = game.fontHandle;
    GameTest::printAt({"Level", Text_FromNumber(level) + " ", " result:"}, 10, 325, font, successRed);
    GameTest::printAt({"Success"}, 11, 355, font, successRed);
    GameTest::printAt({"This level score"}, 17, 320, font, successRed);
    GameTest::printAt({Text_FromNumber(score) + " "}, 18, 385, font, successRed);
    GameTest::printAt({"Total Score"}, 20, 335, font, successRed);
    GameTest::printAt({Text_FromNumber(total) + " "}, 21, 380, font, successRed);
    GameTest::printAt({"Press any key"}, 61, 45, 8, successRed);
  });
  EXPECT_TRUE(GameTest::sameRect(shown, expected, 0, 0, 799, 599)) << "the success screen differs";
  return shown;
}

}  // namespace

TEST_F(Results, FirstLevelWonWithOneShotAndNoRockersScores58) {
  game.targetX = 300;
  game.targetY = 250;
  press(330, 271);  // held until the success screen has been read; a sloping line to the boat
  Outcome outcome = OUTCOME_NONE;
  ASSERT_EQ(onGameThread([&] { outcome = runLevel(); }), GameEnd::RETURNED);
  ASSERT_EQ(outcome, OUTCOME_WON);
  EXPECT_EQ(game.fuel, 49.0f);

  Pixels shown = winAndShowSuccess();
  EXPECT_EQ(game.level, 1.0f);
  EXPECT_EQ(game.totalScore, 58.0f);  // INT(49 + 49 x 1 x 0.2)
  const int32_t font = game.fontHandle;
  expectPrinted(shown, "Level 1  result:", 10, 325, font, successRed);
  expectPrinted(shown, "Success", 11, 355, font, successRed);
  expectPrinted(shown, "This level score", 17, 320, font, successRed);
  expectPrinted(shown, " 58 ", 18, 385, font, successRed);
  expectPrinted(shown, "Total Score", 20, 335, font, successRed);
  expectPrinted(shown, " 58 ", 21, 380, font, successRed);
  expectPrinted(shown, "Press any key", 61, 45, 8, successRed);

  // Then the transit: fuel again, the next level's eight lights, the play area restored.
  Pixels after = screen();
  EXPECT_EQ(game.fuel, 50.0f);
  EXPECT_EQ(lightsShown(after), "GGGGGGGG");
  EXPECT_TRUE(sameRect(after, imagePixels(game.cleanScope), 125, 22, 792, 570));
}

TEST_F(Results, FuelAtItsFloorInLevel5Scores2) {
  game.level = 4;
  game.fuel = 3;
  game.directionFinderOn = game.rangeMeterOn = 1;
  game.totalScore = 100;
  game.targetX = game.mouseX = 300;
  game.targetY = game.mouseY = 250;
  press(300, 250);
  ASSERT_TRUE(Mouse_Input());
  Outcome outcome = OUTCOME_NONE;
  ASSERT_EQ(onGameThread([&] { outcome = fireShot(); }), GameEnd::RETURNED);
  ASSERT_EQ(outcome, OUTCOME_WON);
  EXPECT_EQ(game.fuel, 1.0f);

  Pixels shown = winAndShowSuccess();
  EXPECT_EQ(game.level, 5.0f);
  EXPECT_EQ(game.totalScore, 102.0f);  // INT(1 + 1 x 5 x 0.2) = 2
  expectPrinted(shown, "Level 5  result:", 10, 325, game.fontHandle, successRed);
  expectPrinted(shown, " 2 ", 18, 385, game.fontHandle, successRed);
  expectPrinted(shown, " 102 ", 21, 380, game.fontHandle, successRed);
}

TEST_F(Results, LostFirstGameShowsLevel1AndZeroThenANewGameBegins) {
  game.shotsUsed = 7;
  game.targetX = 200;
  game.targetY = 300;
  Sound_Play(game.helicopterSound);
  press(400, 300);  // the last light, a miss; the button stays down
  Outcome outcome = OUTCOME_NONE;
  ASSERT_EQ(onGameThread([&] { outcome = runLevel(); }), GameEnd::RETURNED);
  ASSERT_EQ(outcome, OUTCOME_LOST);
  const Pixels under = screen();

  // The level cycle after a lost level: the failure screen, the knobs, the transit. "Q" is
  // just a key here: it continues and does not end the program.
  snapshotWhen(pressAnyKeyPrintedAt(51));
  Pixels lastTransitWait;
  onDelay([&](uint32_t) { lastTransitWait = screen(); });
  startOnGameThread([] {
    showFailure();
    resetPanelKnobs();
    runTransit();
  });
  ASSERT_TRUE(waitUntil(snapshotTaken));
  EXPECT_TRUE(gameThreadRunning()) << "the failure screen did not wait for a key";
  typeKey('Q');
  ASSERT_EQ(finishGameThread(), GameEnd::RETURNED);

  Pixels shown = snapshot();
  const int32_t font = game.fontHandle;
  EXPECT_TRUE(shows(shown, game.targetImage, 165, 288, 235, 312));  // revealed, unscaled
  expectPrinted(shown, "Out of ammunition", 12, 305, font, failureCream);
  expectPrinted(shown, "Level 1  result:", 15, 330, font, failureCream);
  expectPrinted(shown, "Failure", 17, 365, font, failureCream);
  expectPrinted(shown, "Total Score", 20, 335, font, failureCream);
  expectPrinted(shown, " 0 ", 21, 380, font, failureCream);
  expectPrinted(shown, "Press any key", 51, 45, 8, failureCream);
  // And nothing else: no line, no large explosion, the texts exactly where they belong.
  Pixels boat = under;
  putModel(boat, png("ssub.png"), 200 - 35, 300 - 12, 200 - 35 + 70, 300 - 12 + 24);
  Pixels expected = drawnOn(boat, [&] {
    printAt({"Out of ammunition"}, 12, 305, font, failureCream);
    printAt({"Level", " 1 ", " result:"}, 15, 330, font, failureCream);
    printAt({"Failure"}, 17, 365, font, failureCream);
    printAt({"Total Score"}, 20, 335, font, failureCream);
    printAt({" 0 "}, 21, 380, font, failureCream);
    printAt({"Press any key"}, 51, 45, 8, failureCream);
  });
  EXPECT_TRUE(sameRect(shown, expected, 0, 0, 799, 599)) << "the failure screen differs";

  // The new game: level and score cleared, all eight lights green, "Moving to target area 1".
  EXPECT_EQ(game.level, 0.0f);
  EXPECT_EQ(game.totalScore, 0.0f);
  EXPECT_EQ(game.shotsUsed, 0.0f);
  EXPECT_EQ(game.fuel, 50.0f);
  EXPECT_EQ(lightsShown(screen()), "GGGGGGGG");
  expectPrinted(lastTransitWait, "Moving to target area 1 ", 17, 280, font, failureCream);
}
