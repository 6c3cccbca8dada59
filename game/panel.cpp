// panel.cpp: the control panel: the two rocker switches, the volume sliders and their knobs.
#define STEP_FILE 5
#include "game/step.h"

#include "game/game_state.h"
#include "graphics/blit.h"
#include "sound/sound.h"

// Draw a knob with its top-left corner at (x, y).
static void drawKnob(double x, double y) {
  Image_Put(x, y, x + 15, y + 35, game.sliderImage, 0, 0, 0, 0, 0, PUT_STRETCHED);
}

void resetPanelKnobs() {
  drawKnob(55, 457); STEP;
  drawKnob(20, 499); STEP;
  drawKnob(55, 543); STEP;
}

static void clack() {
  Sound_SetVolume(game.clackSound, double(game.voiceVolume) * game.masterVolume); STEP;
  Sound_Play(game.clackSound); STEP;
}

// A rocker shows its on picture over the panel, or the panel's own off look when restored.
static void toggleRocker(float* flag, const Rect& r) {
  clack(); STEP;
  if (*flag == 0) {
    STEP;
    *flag = 1; STEP;
    Image_Put(r.x1, r.y1, r.x2, r.y2, game.rockerOnImage, 0, 0, 0, 0, 0, PUT_STRETCHED); STEP;
  } else {
    STEP;
    *flag = 0; STEP;
    restoreRect(r); STEP;
  }
  STEP;
}

static void toggleDirectionFinder() { toggleRocker(&game.directionFinderOn, UPPER_ROCKER); }
static void toggleRangeMeter() { toggleRocker(&game.rangeMeterOn, LOWER_ROCKER); }

// One column of slider stops: volumes of the master, rotor and voice rows, and knob corners.
struct SliderStop {
  float volume[3];
  float knobX, knobY[3];
};

static const SliderStop leftStops = {{0.1f, 0.05f, 0.2f}, 20, {456, 499, 543}};
static const SliderStop middleStops = {{0.5f, 0.2f, 0.5f}, 55, {457, 499, 543}};
static const SliderStop rightStops = {{1.0f, 0.5f, 0.8f}, 95, {457, 499, 543}};

// The first row band holding mouseY selects its stop in this column.
static void selectStop(const SliderStop& stop) {
  static const float rowTop[3] = {460, 505, 545}, rowBottom[3] = {495, 540, 580};
  float* volumes[3] = {&game.masterVolume, &game.helicopterVolume, &game.voiceVolume};
  for (int row = 0; row < 3; row++) {
    if (game.mouseY > rowTop[row] && game.mouseY < rowBottom[row]) {
      STEP;
      *volumes[row] = stop.volume[row]; STEP;
      game.mouseY = stop.knobY[row]; STEP;
      game.mouseX = stop.knobX; STEP;
      game.sliderMoved = 1; STEP;
      return;
    }
    STEP;
  }
}

Outcome onLeftButton() {
  if (game.distance < SCOPE_RADIUS) {
    STEP;
    Outcome outcome = fireShot(); STEP;
    if (outcome != OUTCOME_NONE) return outcome;
  }
  STEP;
  if (inside(UPPER_ROCKER_CLICK, game.mouseX, game.mouseY)) toggleDirectionFinder();
  STEP;
  if (inside(LOWER_ROCKER_CLICK, game.mouseX, game.mouseY)) toggleRangeMeter();
  STEP;
  // A chosen stop moves mouseX onto its knob, so no later column matches.
  if (game.mouseX < 45) selectStop(leftStops);
  STEP;
  if (game.mouseX > 45 && game.mouseX < 75) selectStop(middleStops);
  STEP;
  if (game.mouseX > 75 && game.mouseX < 110) selectStop(rightStops);
  STEP;
  if (game.sliderMoved != 0) {
    STEP;
    game.sliderMoved = 0; STEP;
    restoreRect(12, game.mouseY - 1.0, 110, game.mouseY + 36.0); STEP;
    drawKnob(game.mouseX, game.mouseY); STEP;
    Sound_Stop(game.helicopterSound); STEP;
    Sound_SetVolume(game.helicopterSound, double(game.helicopterVolume) * game.masterVolume); STEP;
    Sound_Play(game.helicopterSound); STEP;
  }
  STEP;
  return OUTCOME_NONE;
}
