// scope.cpp: the scope view and the sight that follows the mouse inside the circle.
#define STEP_FILE 4
#include "game/step.h"

#include "game/game_state.h"
#include "graphics/blit.h"
#include "host/mouse.h"

void updateScopeView() {
  if (game.distance < SCOPE_RADIUS) {
    STEP;
    Mouse_Hide(); STEP;
    restoreRect(VIEW_RECT); STEP;
    Image_Put(game.mouseX - 12.0, game.mouseY - 12.0, 0, 0, game.sightImage, 0, 0, 0, 0, 0, PUT_AT); STEP;
  } else {
    STEP;
    Mouse_Show(); STEP;
  }
  STEP;
}
