// scope.cpp: the scope view and the sight that follows the mouse inside the circle.
#define STEP_FILE 4
#include "game/step.h"

#include "game/game_state.h"
#include "graphics/blit.h"
#include "runtime/mouse.h"

// Put a rectangle of the clean play screen back onto the screen.
void restoreRect(double x1, double y1, double x2, double y2) {
  Image_Put(x1, y1, x2, y2, game.cleanScope, game.screenImage, x1, y1, x2, y2, 365);
}

void updateScopeView() {
  if (game.distance < 230) {
    STEP;
    Mouse_Hide(); STEP;
    restoreRect(125, 22, 675, 570); STEP;
    Image_Put(game.mouseX - 12.0, game.mouseY - 12.0, 0, 0, game.sightImage, 0, 0, 0, 0, 0, 9); STEP;
  } else {
    STEP;
    Mouse_Show(); STEP;
  }
  STEP;
}
