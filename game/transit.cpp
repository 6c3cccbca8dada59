// transit.cpp: reloading, refuelling and moving on between levels.
#define STEP_FILE 8
#include "game/step.h"

#include "game/game_state.h"
#include "graphics/blit.h"
#include "graphics/color.h"
#include "graphics/draw.h"
#include "runtime/clock.h"
#include "sound/sound.h"
#include "text/number_text.h"
#include "text/text_output.h"

// The shots held back from this level: the first INT(level / 2) lights stay red. From the
// seventeenth level on that would hold back all eight and leave a level that can be neither
// won nor lost, so the last light is always issued.
static double lightsHeldBack() {
  double held = INT(double(game.level) * 0.5);
  return held > 7 ? 7 : held;
}

void runTransit() {
  Image_Put(PLAY_AREA.x1, PLAY_AREA.y1, PLAY_AREA.x2, PLAY_AREA.y2, game.overImage, game.screenImage, 0, 0, 0, 0,
            PUT_STRETCHED_ONTO); STEP;
  game.fuel = 50; STEP;
  Text_SetPrintMode(2, 0, false); STEP;
  Font_Set(game.fontHandle, 0, false); STEP;
  Color_Set(Color_Rgb(250, 240, 180, 0, 0), 0, 0, COLOR_FORE); STEP;
  Text_Locate(12, 305, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN); STEP;
  printItems({"Reloading weapons"}); STEP;
  // The level's ammunition, light by light, the held-back ones red.
  for (game.lightRow = 0; game.lightRow <= 1; game.lightRow = double(game.lightRow) + 1) {
    for (game.lightColumn = 0; game.lightColumn <= 3; game.lightColumn = double(game.lightColumn) + 1) {
      STEP;
      bool notIssued = lightsHeldBack() > double(game.lightRow) * 4 + game.lightColumn;
      int32_t light = notIssued ? game.redLightImage : game.greenLightImage;
      STEP;
      drawLight(light, game.lightRow, game.lightColumn); STEP;
      Clock_Delay(0.2); STEP;
    }
    STEP;
  }
  STEP;
  game.shotsUsed = lightsHeldBack(); STEP;
  game.directionFinderOn = 0; STEP;
  game.rangeMeterOn = 0; STEP;
  Text_Locate(15, 355, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN); STEP;
  printItems({"Refueling"}); STEP;
  Clock_Delay(1.5); STEP;
  Sound_SetVolume(game.helicopterSound, double(game.helicopterVolume) * game.masterVolume); STEP;
  Sound_Play(game.helicopterSound); STEP;
  Text_Locate(17, 280, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN); STEP;
  printItems({"Moving to target area", Text_FromNumber(float(double(game.level) + 1)) + " "}); STEP;
  Clock_Delay(1.5); STEP;
  restoreRect(PLAY_AREA); STEP;
}
