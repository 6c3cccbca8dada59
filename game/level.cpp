// level.cpp: the main loop of a level and the game's two waits.
#define STEP_FILE 2
#include "game/step.h"

#include <cmath>

#include "game/game_state.h"
#include "runtime/keyboard.h"
#include "runtime/mouse.h"
#include "runtime/program.h"
#include "sound/sound.h"

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
      game.deltaX = std::fabs(400.0 - game.mouseX); STEP;
      game.deltaY = std::fabs(300.0 - game.mouseY); STEP;
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
