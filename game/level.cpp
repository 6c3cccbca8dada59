// level.cpp: the main loop of a level, and the helpers the game's routines share: the two
// waits, restoring from the clean play screen, printing a line, and the ammunition lights.
#define STEP_FILE 2
#include "game/step.h"

#include <cmath>

#include "game/game_state.h"
#include "host/keyboard.h"
#include "host/mouse.h"
#include "runtime/program.h"
#include "sound/sound.h"
#include "text/text_output.h"

// One pass: read a key, keep the rotor sound going, then every queued mouse event in turn.
Outcome runLevel() {
  for (;;) {
    game.keyText = Key_Read(); STEP;
    if (!Sound_IsPlaying(game.helicopterSound)) {
      STEP;
      Sound_SetVolume(game.dontSeeItSound, double(game.voiceVolume) * game.masterVolume); STEP;
      Sound_Play(game.dontSeeItSound); STEP;
      Sound_SetVolume(game.helicopterSound, double(game.helicopterVolume) * game.masterVolume); STEP;
      Sound_Play(game.helicopterSound); STEP;
    }
    STEP;
    while (Mouse_Input()) {
      STEP;
      game.mouseX = Mouse_X(); STEP;
      game.mouseY = Mouse_Y(); STEP;
      game.deltaX = std::fabs(SCOPE_X - game.mouseX); STEP;
      game.deltaY = std::fabs(SCOPE_Y - game.mouseY); STEP;
      game.distance = std::sqrt(double(game.deltaX) * game.deltaX + double(game.deltaY) * game.deltaY); STEP;
      if (Mouse_Button(1)) {
        STEP;
        Outcome outcome = onLeftButton(); STEP;
        if (outcome != OUTCOME_NONE) return outcome;
      }
      STEP;
      updateScopeView(); STEP;
    }
    STEP;
    if (game.keyText == "Q" || game.keyText == "q") Program_End();
    STEP;
  }
}

void waitForButtonRelease() {
  do {
    while (Mouse_Input()) STEP;
    STEP;
  } while (Mouse_Button(1));
  STEP;
}

void waitForKey() {
  while (Key_Read().empty()) STEP;
  STEP;
}

// Put a rectangle of the clean play screen back onto the screen.
void restoreRect(double x1, double y1, double x2, double y2) {
  Image_Put(x1, y1, x2, y2, game.cleanScope, game.screenImage, x1, y1, x2, y2, PUT_RECT_ONTO);
}

void printItems(std::initializer_list<std::string> items) {
  for (const std::string& item : items) {
    Text_FitItem(item); STEP;
    Text_Print(item, false); STEP;
  }
  Text_Print("", true); STEP;
}

// The eight ammunition lights: light n sits in row INT(n / 4), column n - 4 x row.
void drawLight(int32_t image, double row, double column) {
  Image_Put(column * 30 + 5, row * 30 + 120, column * 30 + 30, row * 30 + 145, image, 0, 0, 0, 0, 0, PUT_STRETCHED);
}
