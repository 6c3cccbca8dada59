// results.cpp: the success and failure screens, the score, and the best scores kept of a game
// that ends.
#define STEP_FILE 7
#include "game/step.h"

#include "game/game_state.h"
#include "game/scores.h"
#include "graphics/blit.h"
#include "graphics/color.h"
#include "graphics/draw.h"
#include "host/mouse.h"
#include "text/number_text.h"
#include "text/text_output.h"

// A number as the screens print it: Text_FromNumber's form and one blank after it.
static std::string number(double value) { return Text_FromNumber(float(value)) + " "; }

static void locate(int32_t row, int32_t column) { Text_Locate(row, column, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN); }

static void revealTarget() {
  Image_Put(double(game.targetX) - 35, double(game.targetY) - 12, 0, 0, game.targetImage, 0, 0, 0, 0, 0, PUT_AT);
}

static void pressAnyKey(int32_t row) {
  Font_Set(8, 0, false); STEP;
  locate(row, 45); STEP;
  printItems({"Press any key"}); STEP;
}

// The best scores, in the 8-pixel font, in the dark band between the last designed line and the
// foot of the view (rows 60 to 70, pixels 472 to 559), centred on the scope; this game's line
// between arrows.
static void showBestScores() {
  const std::vector<ScoreEntry>& table = Scores_Table();
  if (table.empty()) return;
  const int32_t column = (400 - SCORES_LINE_WIDTH * 4) / 8 + 1;
  locate(60, column); STEP;
  printItems({Scores_Heading()}); STEP;
  for (size_t i = 0; i < table.size(); i++) {
    locate(61 + int32_t(i), column); STEP;
    printItems({Scores_Line(table[i], int(i + 1), int(i) == Scores_Marked())}); STEP;
  }
}

void keepUnfinishedGame() {
  if (game.totalScore > 0) Scores_GameOver(game.totalScore, game.level);
  Scores_End();
}

void showSuccess() {
  Mouse_Show(); STEP;
  revealTarget(); STEP;
  Draw_Line(game.targetX, game.targetY, game.mouseX, game.mouseY, Color_Rgb(200, 0, 0, 0, 0), 0, 0, LINE_FIRST | LINE_COLOR); STEP;
  Image_Put(170, 70, 630, 530, game.explosionImage, game.screenImage, 0, 0, 0, 0, PUT_STRETCHED_ONTO); STEP;
  game.level = double(game.level) + 1; STEP;
  game.totalScore = INT(double(game.fuel) + double(game.fuel) * game.level * 0.2) + double(game.totalScore); STEP;
  Text_SetPrintMode(2, 0, false); STEP;
  Font_Set(game.fontHandle, 0, false); STEP;
  Color_Set(Color_Rgb(150, 10, 10, 0, 0), 0, 0, COLOR_FORE); STEP;
  locate(10, 325); STEP;
  printItems({"Level", number(game.level), " result:"}); STEP;
  locate(11, 355); STEP;
  printItems({"Success"}); STEP;
  locate(17, 320); STEP;
  printItems({"This level score"}); STEP;
  locate(18, 385); STEP;
  printItems({number(INT(double(game.fuel) + double(game.fuel) * game.level * 0.2))}); STEP;
  locate(20, 335); STEP;
  printItems({"Total Score"}); STEP;
  locate(21, 380); STEP;
  printItems({number(game.totalScore)}); STEP;
  pressAnyKey(61); STEP;
  waitForKey(); STEP;
  game.fuel = 50; STEP;
  waitForButtonRelease(); STEP;
  runTransit(); STEP;
}

void showFailure() {
  revealTarget(); STEP;
  Text_SetPrintMode(2, 0, false); STEP;
  Font_Set(game.fontHandle, 0, false); STEP;
  Color_Set(Color_Rgb(250, 240, 180, 0, 0), 0, 0, COLOR_FORE); STEP;
  locate(12, 305); STEP;
  printItems({"Out of ammunition"}); STEP;
  locate(15, 330); STEP;
  printItems({"Level", number(double(game.level) + 1), " result:"}); STEP;
  locate(17, 365); STEP;
  printItems({"Failure"}); STEP;
  locate(20, 335); STEP;
  printItems({"Total Score"}); STEP;
  locate(21, 380); STEP;
  printItems({number(game.totalScore)}); STEP;
  pressAnyKey(51); STEP;
  // No step ends between keeping the game and clearing its score: an end of the program there
  // would keep it a second time.
  Scores_GameOver(game.totalScore, game.level);
  game.totalScore = 0; STEP;
  game.level = 0; STEP;
  showBestScores(); STEP;
  waitForKey(); STEP;
}
