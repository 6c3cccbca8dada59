// title.cpp: the title screen and its three text screens.
#define STEP_FILE 9
#include "game/step.h"

#include "game/game_state.h"
#include "graphics/blit.h"
#include "graphics/color.h"
#include "graphics/draw.h"
#include "graphics/image.h"
#include "graphics/screen.h"
#include "graphics/window.h"
#include "host/keyboard.h"
#include "host/mouse.h"
#include "text/font.h"
#include "text/text_file.h"
#include "text/text_output.h"

static const char* const creditLine = "Made by the Brinemark team";

// Lists the file named by textFileName over the dimmed title screen.
static void showTextScreen() {
  int32_t previousBackdrop = game.overImage;  // the backdrop of an earlier text screen
  game.overImage = Image_Load("over.png", 0, 0); STEP;
  if (previousBackdrop < -1) Image_Free(previousBackdrop, IMAGE_HANDLE_GIVEN);
  STEP;
  Image_Put(0, 0, 800, 600, game.overImage, 0, 0, 0, 0, 0, PUT_STRETCHED); STEP;
  Color_Set(Color_Rgb(250, 250, 200, 0, 0), 0, 0, COLOR_FORE); STEP;
  Font_Set(16, 0, false); STEP;
  TextFile_Open(game.textFileName, TEXT_FILE_INPUT, 1); STEP;
  Text_Locate(1, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN); STEP;
  // A file that did not open has shown its error once; there is nothing to list.
  while (TextFile_IsOpen(1) && !TextFile_AtEnd(1)) {
    STEP;
    TextFile_ReadLine(1, &game.textLine); STEP;
    Text_Print(game.textLine, true); STEP;
  }
  STEP;
  TextFile_Close(1, true); STEP;
  Text_Print("", true); STEP;
  Text_Print("Press any key to continue", true); STEP;
  waitForKey(); STEP;
}

// The button of the title screen's right-hand column under (mouseX, mouseY), "" for none.
static const char* buttonFile() {
  if (game.mouseY > 345 && game.mouseY < 410) return "Credits.txt";
  if (game.mouseY > 430 && game.mouseY < 490) return "Vorn License.txt";
  if (game.mouseY > 515 && game.mouseY < 575) return "help.txt";
  return "";
}

// Each text screen leads back to a title screen built afresh; the pictures and the font of the
// one before are freed once replaced, so memory stays flat however often the text screens are shown. The
// last icon is left to start-up, which frees it.
void runTitleScreen() {
  int32_t previousIcon = 0;
  for (;;) {
    int32_t previousTitle = game.titleImage;
    game.titleImage = Image_Load("title.jpg", 32, 1); STEP;
    Screen_Set(game.titleImage); STEP;
    if (previousTitle < -1) Image_Free(previousTitle, IMAGE_HANDLE_GIVEN);
    STEP;
    game.iconImage = Image_Load("icon.jpg", 0, 0); STEP;
    Window_SetIcon(game.iconImage); STEP;
    if (previousIcon < -1) Image_Free(previousIcon, IMAGE_HANDLE_GIVEN);
    previousIcon = game.iconImage; STEP;
    Window_SetTitle("Brinemark"); STEP;
    int32_t previousFont = game.fontHandle;
    game.fontHandle = Font_Load("capture it.ttf", 22, "", false); STEP;
    if (previousFont >= 32) Font_Free(previousFont);
    STEP;
    Text_SetPrintMode(2, 0, false); STEP;
    Font_Set(game.fontHandle, 0, false); STEP;
    Color_Set(Color_Rgb(50, 40, 80, 0, 0), 0, 0, COLOR_FORE); STEP;
    Text_Locate(1, 505, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN); STEP;
    printItems({creditLine}); STEP;
    for (;;) {
      do {
        Mouse_Input(); STEP;
        game.mouseX = Mouse_X(); STEP;
        game.mouseY = Mouse_Y(); STEP;
      } while (!Mouse_Button(1));
      STEP;
      if (!(game.mouseX > 670 && game.mouseX < 790)) break;
      STEP;
      game.textFileName = buttonFile(); STEP;
      if (!game.textFileName.empty()) break;
      STEP;
    }
    STEP;
    if (game.textFileName.empty()) break;
    STEP;
    showTextScreen(); STEP;
    game.textFileName = ""; STEP;
  }
  STEP;
  waitForButtonRelease(); STEP;
}
