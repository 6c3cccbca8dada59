// The title screen: where a click starts the game, opens a text screen or does nothing, and
// the way back from a text screen; the title and text screens whole.
#include <chrono>
#include <fstream>
#include <thread>

#include "graphics/color.h"
#include "graphics/image.h"
#include "graphics/screen.h"
#include "host/mouse.h"
#include "text/font.h"
#include "text/text_output.h"
#include "tests/game/game_harness.h"

namespace {

class TitleScreen : public GameTest {};

// Records in use in the image table.
int liveImages() {
  int live = 0;
  for (int32_t n = 0; n < Image_RecordCount(); n++) live += Image_Record(n)->inUse;
  return live;
}

// The title screen as the player sees it: "title.jpg" with the credit line in (50, 40, 80).
Pixels titleModel() {
  int32_t title = Image_Load("title.jpg", 32, 1);
  Pixels p = GameTest::imagePixels(title);
  Image_Free(title, IMAGE_HANDLE_GIVEN);
  return GameTest::drawnOn(p, [] { GameTest::printAt({"Made by the Brinemark team"}, 1, 505, game.fontHandle, 0xFF322850); });
}

// A text screen: the title dimmed by "over.png" stretched over it, then the file's lines from
// the top left in the 16-pixel font in (250, 250, 200), an empty line and the prompt.
Pixels textScreenModel(const Pixels& title, const std::vector<std::string>& lines) {
  Pixels p = title;
  GameTest::putModel(p, GameTest::png("over.png"), 0, 0, 800, 600);
  return GameTest::drawnOn(p, [&] {
    Text_SetPrintMode(2, 0, false);
    Font_Set(16, 0, false);
    Color_Set(0xFFFAFAC8, 0, 0, COLOR_FORE);
    Text_Locate(1, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    for (const std::string& line : lines) Text_Print(line, true);
    Text_Print("", true);
    Text_Print("Press any key to continue", true);
  });
}

// The page's text cursor stands on row in the 16-pixel font (a text screen) or in another (the
// title): the last line of that screen has been printed.
std::function<bool()> pageAtRow(bool textScreen, int32_t row) {
  return [=] { return (Image_Record(screenPage)->font == 16) == textScreen && Image_Record(screenPage)->cursorRow == row; };
}

}  // namespace

TEST_F(TitleScreen, ClickOnTheColumnsEdgeStartsTheGame) {
  // x 670 and 790 lie outside the button column even at a button's height. A second click
  // behind it would start the game too; the mouse position tells which click did.
  for (int x : {670, 790}) {
    SCOPED_TRACE(x);
    resetToLevelStart();
    int32_t overImage = game.overImage;
    click(x, 380);
    click(100, 100);
    ASSERT_EQ(onGameThread(runTitleScreen), GameEnd::RETURNED);
    EXPECT_EQ(game.mouseX, float(x));
    EXPECT_EQ(game.mouseY, 380.0f);
    EXPECT_EQ(game.overImage, overImage) << "a text screen was shown";
    EXPECT_EQ(screenPage, -game.titleImage);
    EXPECT_EQ(Mouse_Input(), 0) << "the release wait drains the queue";
  }
}

TEST_F(TitleScreen, ClickBetweenTwoButtonsDoesNothing) {
  // Between two buttons, and on the edges of each (the bands are strict).
  for (int y : {420, 345, 410, 430, 490, 515, 575}) {
    SCOPED_TRACE(y);
    resetToLevelStart();
    int32_t overImage = game.overImage;
    click(700, y);
    click(100, 100);
    ASSERT_EQ(onGameThread(runTitleScreen), GameEnd::RETURNED);
    EXPECT_EQ(game.mouseX, 100.0f);  // the second click started the game
    EXPECT_EQ(game.mouseY, 100.0f);
    EXPECT_EQ(game.overImage, overImage);
    EXPECT_EQ(game.textFileName, "");
  }
}

TEST_F(TitleScreen, HeldButtonStartsTheGameOnlyWhenReleased) {
  press(100, 100);
  moveTo(120, 110, true);
  startOnGameThread(runTitleScreen);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(gameThreadRunning()) << "started with the button still down";
  release(120, 110);
  ASSERT_EQ(finishGameThread(), GameEnd::RETURNED);
  EXPECT_EQ(Mouse_Input(), 0) << "a record of the click is left for the first level";
}

TEST_F(TitleScreen, ButtonOpensItsTextScreenAndAKeyLeadsBackToTheTitle) {
  struct Button {
    int y;
    const char* file;
  };
  for (Button button : {Button{380, "Credits.txt"}, Button{460, "Vorn License.txt"}, Button{545, "help.txt"}}) {
    SCOPED_TRACE(button.file);
    resetToLevelStart();
    int32_t overImage = game.overImage;
    std::vector<std::string> lines;
    std::ifstream file(button.file);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    click(700, button.y);
    snapshotWhen(pageAtRow(true, int32_t(lines.size()) + 3));
    startOnGameThread(runTitleScreen);
    ASSERT_TRUE(waitUntil(snapshotTaken));
    const Pixels title = titleModel();
    EXPECT_TRUE(sameRect(snapshot(), textScreenModel(title, lines), 0, 0, 799, 599)) << "the text screen differs";
    snapshotWhen(pageAtRow(false, 2));
    typeKey('x');       // ends the text screen's key wait
    ASSERT_TRUE(waitUntil(snapshotTaken));
    EXPECT_TRUE(sameRect(snapshot(), title, 0, 0, 799, 599)) << "the rebuilt title screen differs";
    click(100, 100);    // on the rebuilt title screen: start
    ASSERT_EQ(finishGameThread(), GameEnd::RETURNED);
    EXPECT_NE(game.overImage, overImage) << "no text screen";
    EXPECT_EQ(game.textFileName, "");
    EXPECT_FALSE(game.textLine.empty());
    EXPECT_EQ(game.mouseX, 100.0f);
    EXPECT_EQ(screenPage, -game.titleImage);
  }
}

TEST_F(TitleScreen, ImagesStayFlatHoweverOftenTheTextScreensAreShown) {
  // Each visit shows the credits and the help, then starts; start-up then frees the title
  // screen's icon.
  auto visitCredits = [] {
    GameTest::click(700, 380);
    GameTest::typeKey('x');
    GameTest::click(700, 545);
    GameTest::typeKey('x');
    GameTest::click(100, 100);
    GameEnd end = GameTest::onGameThread(runTitleScreen);
    Image_Free(game.iconImage, 1);
    return end;
  };
  ASSERT_EQ(visitCredits(), GameEnd::RETURNED);
  int live = liveImages();
  for (int visit = 0; visit < 3; visit++) ASSERT_EQ(visitCredits(), GameEnd::RETURNED);
  EXPECT_EQ(liveImages(), live);
}
