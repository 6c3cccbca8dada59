// quit_probe: "q" during play under the real program. Host_Run starts the three threads
// with SDL's dummy drivers; on the game thread the assets load and a level starts, "q" arrives
// as a window event through the main thread's event pass, and the level loop ends the program.
// Exit code 0 from the runtime's shutdown is the pass; 1 when the key was not the one read or
// the loop returned.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "game/game_state.h"
#include "graphics/image.h"
#include "platform/platform.h"
#include "host/host.h"
#include "runtime/wake.h"

static void checkAtExit() {
  if (game.keyText == "q") return;
  std::fprintf(stderr, "the program ended, but not after the pass that read \"q\"\n");
  std::_Exit(1);
}

static void playUntilQ() {
  std::atexit(checkAtExit);
  Sys_ChangeDirectory(BRINE_ASSETS);
  game = GameState{};
  game.iconImage = Image_Load("icon.jpg", 32, 1);  // the title screen's, which start-up frees
  loadAssets();
  resetPanelKnobs();
  startLevel();
  SDL_Event key{};
  key.key.type = SDL_KEYDOWN;
  key.key.state = SDL_PRESSED;
  key.key.keysym.sym = SDLK_q;
  key.key.keysym.unicode = 'q';
  if (SDL_PushEvent(&key) != 0) std::fprintf(stderr, "the key could not be queued: %s\n", SDL_GetError());
  Wake_Main();  // as a key from the window system wakes it through the display connection
  runLevel();
  std::fprintf(stderr, "the level loop returned\n");
  std::_Exit(1);
}

int main(int, char**) { return Host_Run(playUntilQ); }
