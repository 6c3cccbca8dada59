// shot.cpp: one depth charge: fuel, a light, the graded answer, and the hit test.
#define STEP_FILE 6
#include "game/step.h"

#include <cmath>

#include "game/game_state.h"
#include "graphics/blit.h"
#include "graphics/color.h"
#include "graphics/draw.h"
#include "runtime/clock.h"
#include "sound/sound.h"

// The direction lamp lights the cell of the 3 x 3 field that lies towards the target.
static void showDirection() {
  game.deltaX = double(game.targetX) - game.mouseX; STEP;
  game.deltaY = double(game.targetY) - game.mouseY; STEP;
  game.bearing = INT(std::atan(double(game.deltaX) / double(game.deltaY)) * 10) / 10.0; STEP;
  game.markerX = DIRECTION_FIELD.x1; STEP;
  game.markerY = DIRECTION_FIELD.y1; STEP;
  restoreRect(DIRECTION_FIELD); STEP;
  const float b = game.bearing;
  if (b >= -0.4f && b <= 0.4f) {
    STEP;
    game.markerX = game.markerX + 30.0; STEP;
    if (game.deltaY > 0) game.markerY = game.markerY + 60.0;
    STEP;
  } else if (b >= 0.4f && b <= 1.3f) {
    STEP;
    if (game.deltaX > 0) {
      STEP;
      game.markerX = game.markerX + 60.0; STEP;
      game.markerY = game.markerY + 60.0; STEP;
    }
    STEP;
  } else if (b >= -1.3f && b <= -0.4f) {
    STEP;
    if (game.deltaX < 0) {
      game.markerY = game.markerY + 60.0; STEP;
    } else {
      game.markerX = game.markerX + 60.0; STEP;
    }
    STEP;
  } else {
    STEP;
    game.markerY = game.markerY + 30.0; STEP;
    if (game.deltaX > 0) game.markerX = game.markerX + 60.0;
    STEP;
  }
  STEP;
  Image_Put(game.markerX, game.markerY, 0, 0, game.redLightImage, 0, 0, 0, 0, 0, PUT_AT); STEP;
}

Outcome fireShot() {
  TimerEvent_Control(0, TIMER_OFF, false); STEP;
  game.fuel = double(game.fuel) - 1 - double(game.directionFinderOn) * 3 - double(game.rangeMeterOn) * 3; STEP;
  if (game.fuel < 1) game.fuel = 1;
  STEP;
  game.lightRow = INT(double(game.shotsUsed) * 0.25); STEP;
  game.lightColumn = double(game.shotsUsed) - double(game.lightRow) * 4; STEP;
  drawLight(game.greenLightOffImage, game.lightRow, game.lightColumn); STEP;
  game.shotsUsed = double(game.shotsUsed) + 1; STEP;

  game.deltaX = std::fabs(double(game.targetX) - game.mouseX); STEP;
  game.deltaY = std::fabs(double(game.targetY) - game.mouseY); STEP;
  game.distance = std::sqrt(double(game.deltaX) * game.deltaX + double(game.deltaY) * game.deltaY); STEP;
  if (game.distance > 300 - double(game.level) * 5) game.distance = 300;
  STEP;
  game.distance = (350 - double(game.distance)) / 5; STEP;
  const double q = game.distance;

  Sound_SetVolume(game.depthSound, q / 70 * game.masterVolume); STEP;
  Sound_SetBalance(game.depthSound, (double(game.mouseX) - SCOPE_X) / SCOPE_X, (double(game.mouseY) - SCOPE_Y) / SCOPE_Y, 0); STEP;
  Sound_Play(game.depthSound); STEP;
  Clock_Delay(2.5); STEP;

  const float threshold = float(double(game.level) / 1.5 + 60);
  if (game.distance == 70 || game.distance > threshold) return OUTCOME_WON;
  STEP;

  Image_Put(game.mouseX - q * 0.5, game.mouseY - q * 0.5, game.mouseX + q * 0.5, game.mouseY + q * 0.5,
            game.explosionImage, game.screenImage, 0, 0, 0, 0, PUT_STRETCHED_ONTO); STEP;
  if (game.rangeMeterOn != 0) {
    STEP;
    restoreRect(RANGE_FIELD); STEP;
    // Aspect 10 makes a thin upright needle, further left the closer the shot came.
    Draw_Circle(770 - q * 1.5, NEEDLE_Y, 12, Color_Rgb(100, 200, 200, 0, 0), 0, 0, 10, CIRCLE_COLOR | CIRCLE_ASPECT); STEP;
  }
  STEP;
  if (game.directionFinderOn != 0) showDirection();
  STEP;
  Clock_Delay(2.5); STEP;
  if (game.shotsUsed == 8) return OUTCOME_LOST;
  STEP;
  waitForButtonRelease(); STEP;
  TimerEvent_Control(0, TIMER_ON, false); STEP;
  return OUTCOME_NONE;
}
