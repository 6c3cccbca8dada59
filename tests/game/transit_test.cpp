// The transit between levels: the lights issued for the next level, fuel, the rockers, the
// background, and the play area cleared after it.
#include <algorithm>

#include "tests/game/game_harness.h"

namespace {

class Transit : public GameTest {};

}  // namespace

TEST_F(Transit, RedLightsFollowTheLevelsWon) {
  // Two won: the first light red, 7 shots. Sixteen won: 7 red and one issued, since the game
  // always issues at least one shot (eight red would leave a level that can neither be won nor
  // lost). Up to 15 the count is exactly INT(level / 2).
  for (int level = 0; level <= 20; level++) {
    SCOPED_TRACE(level);
    resetToLevelStart();
    game.level = float(level);
    game.fuel = 3;
    game.directionFinderOn = game.rangeMeterOn = 1;
    ASSERT_EQ(onGameThread(runTransit), GameEnd::RETURNED);
    int red = std::min(level / 2, 7);
    std::string lights = std::string(size_t(red), 'R') + std::string(size_t(8 - red), 'G');
    EXPECT_EQ(lightsShown(screen()), lights);
    EXPECT_EQ(game.shotsUsed, float(red));
    EXPECT_EQ(game.fuel, 50.0f);
    EXPECT_EQ(game.directionFinderOn, 0.0f);
    EXPECT_EQ(game.rangeMeterOn, 0.0f);
  }
  resetToLevelStart();
  game.level = 2;
  ASSERT_EQ(onGameThread(runTransit), GameEnd::RETURNED);
  EXPECT_EQ(lightsShown(screen()), "RGGGGGGG");
  resetToLevelStart();
  game.level = 16;
  ASSERT_EQ(onGameThread(runTransit), GameEnd::RETURNED);
  EXPECT_EQ(lightsShown(screen()), "RRRRRRRG");
  EXPECT_EQ(game.shotsUsed, 7.0f);
}

TEST_F(Transit, WaitsBetweenLightsAndMessagesThenClearsThePlayArea) {
  game.masterVolume = 1.0f;
  game.helicopterVolume = 0.5f;
  Pixels during;
  onDelay([&](uint32_t) { during = screen(); });
  ASSERT_EQ(onGameThread(runTransit), GameEnd::RETURNED);
  EXPECT_EQ(delays(), (std::vector<uint32_t>{200, 200, 200, 200, 200, 200, 200, 200, 1500, 1500}));
  const int32_t font = game.fontHandle;
  const uint32_t cream = 0xFFFAF0B4;
  expectPrinted(during, "Reloading weapons", 12, 305, font, cream);
  expectPrinted(during, "Refueling", 15, 355, font, cream);
  expectPrinted(during, "Moving to target area 1 ", 17, 280, font, cream);
  EXPECT_TRUE(playing(game.helicopterSound));
  EXPECT_EQ(slotOf(game.helicopterSound)->volume, 0.5f);
  Pixels after = screen();
  EXPECT_TRUE(sameRect(after, imagePixels(game.cleanScope), 125, 22, 792, 570));
  EXPECT_EQ(lightsShown(after), "GGGGGGGG");
}

TEST_F(Transit, SeventeenthLevelCanBeLostWithItsOneShot) {
  game.level = 16;
  ASSERT_EQ(onGameThread(runTransit), GameEnd::RETURNED);
  game.targetX = 200;
  game.targetY = 300;
  game.mouseX = 400;
  game.mouseY = 300;
  Outcome outcome = OUTCOME_NONE;
  ASSERT_EQ(onGameThread([&] { outcome = fireShot(); }), GameEnd::RETURNED);
  EXPECT_EQ(outcome, OUTCOME_LOST);
  EXPECT_EQ(lightsShown(screen()), "RRRRRRRO");
}
