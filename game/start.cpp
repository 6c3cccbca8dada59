// start.cpp: the game's state, its start-up and the level cycle.
//
// The runtime starts the process and runs runGame on the game thread; game (all of the game's
// state) belongs to that thread alone.
#define STEP_FILE 1
#include "game/step.h"

#include "game/game_state.h"
#include "graphics/image.h"
#include "graphics/screen.h"
#include "graphics/window.h"
#include "runtime/clock.h"
#include "runtime/event.h"
#include "runtime/program.h"
#include "sound/sound.h"
#include "text/font.h"

GameState game;

void loadAssets() {
  TimerEvent_Control(0, TIMER_ON, false); STEP;
  Random_Seed(Clock_Seconds(0, false)); STEP;
  int32_t titleFont = game.fontHandle;
  game.fontHandle = Font_Load("capture it.ttf", 22, "", false); STEP;
  if (titleFont >= 32) Font_Free(titleFont);  // the title screen's face, replaced
  STEP;
  game.screenImage = Image_Load("scope.jpg", 32, 1); STEP;
  Screen_Set(game.screenImage); STEP;
  Image_Free(game.iconImage, IMAGE_HANDLE_GIVEN); STEP;
  // The title is the first screen of a run only: its page is not shown again.
  if (game.titleImage < -1) Image_Free(game.titleImage, IMAGE_HANDLE_GIVEN);
  game.titleImage = 0; STEP;
  game.sightImage = Image_Load("sight.png", 0, 0); STEP;
  game.explosionImage = Image_Load("explosion.png", 0, 0); STEP;
  game.cleanScope = Image_Copy(game.screenImage, IMAGE_HANDLE_GIVEN); STEP;
  game.greenLightImage = Image_Load("greenlight.png", 0, 0); STEP;
  game.greenLightOffImage = Image_Load("greenlight_off.png", 0, 0); STEP;
  game.redLightImage = Image_Load("redlight.png", 0, 0); STEP;
  game.rockerOnImage = Image_Load("rocker_on.png", 0, 0); STEP;
  game.targetImage = Image_Load("ssub.png", 0, 0); STEP;
  game.overImage = Image_Load("over.png", 0, 0); STEP;
  game.sliderImage = Image_Load("slider.png", 0, 0); STEP;
  game.depthSound = Sound_Open("depth.ogg", "vol,sync", true); STEP;
  game.helicopterSound = Sound_Open("helicopter.ogg", "vol,sync", true); STEP;
  game.breakingUpSound = Sound_Open("breaking up.ogg", "vol,sync", true); STEP;
  game.shutUpSound = Sound_Open("shutup.ogg", "vol,sync", true); STEP;
  game.sobSound = Sound_Open("SOB.ogg", "vol,sync", true); STEP;
  game.dontSeeItSound = Sound_Open("idontseeit.ogg", "vol,sync", true); STEP;
  game.clackSound = Sound_Open("clack.ogg", "vol,sync", true); STEP;
  game.masterVolume = 0.5f; STEP;
  game.helicopterVolume = 0.05f; STEP;
  game.voiceVolume = 0.5f; STEP;
}

void runGame() {
  game = GameState{};
  Window_Move(100, 1, WINDOW_AT); STEP;
  runTitleScreen(); STEP;
  loadAssets(); STEP;
  resetPanelKnobs(); STEP;
  runTransit(); STEP;
  for (;;) {
    startLevel(); STEP;
    Outcome outcome = runLevel(); STEP;
    if (outcome == OUTCOME_WON) {
      showSuccess(); STEP;
    } else {
      showFailure(); STEP;
      resetPanelKnobs(); STEP;
      runTransit(); STEP;
    }
  }
}
