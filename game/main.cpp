// main.cpp: Brinemark's entry: answers --help, --version and --scores, takes the window scale,
// silent play and play without kept scores, refuses any other argument, and lets the runtime
// run the game on its game thread.
#include <cstdio>
#include <cstring>

#include "game/game_state.h"
#include "game/scores.h"
#include "graphics/present.h"
#include "host/host.h"
#include "platform/platform.h"
#include "sound/sound.h"

#ifdef _WIN32
#define DISPLAY_NAME "the desktop"
#define DESKTOP_SCALE "the monitor's DPI: 96 is 1x, 192 is 2x"
#define SCORES_PLACE "%APPDATA%\\Brinemark\\scores "
#else
#define DISPLAY_NAME "the X display"
#define DESKTOP_SCALE "GDK_SCALE, else Xft.dpi"
#define SCORES_PLACE "$XDG_DATA_HOME/brinemark/scores\n                (~/.local/share/brinemark/scores) "
#endif
static const char usage[] =
    "Usage: brinemark [--scale N|auto] [--no-sound] [--no-scores] | --scores | --help | --version\n"
    "Hunt a hidden submarine from a helicopter. With no argument the game opens its window on\n"
    DISPLAY_NAME "; click into the scope to drop a charge, press Q to leave.\n"
    "  --scale N     a window N times as large (N from 1 to 4), every pixel a sharp N x N block;\n"
    "                auto picks the largest that fits the screen; without it, the\n"
    "                desktop's scale (" DESKTOP_SCALE ")\n"
    "  --no-sound    play in silence, as on a machine without an audio device\n"
    "  --no-scores   keep no best scores: nothing read, written or shown\n"
    "  --scores      print the best scores kept in " SCORES_PLACE "and exit\n";

// Prints text on out; false when it could not be written (a full disk, a closed pipe).
static bool say(FILE* out, const char* text) { return std::fputs(text, out) >= 0 && std::fflush(out) == 0; }

// The window scale a --scale value asks for: 1 to 4, 0 for auto, -1 for anything else.
static int scaleOf(const char* value) {
  if (std::strcmp(value, "auto") == 0) return 0;
  if (value[0] >= '1' && value[0] <= '4' && value[1] == '\0') return value[0] - '0';
  return -1;
}

int main(int argc, char** argv) {
  Sys_UseParentConsole();
  bool help = argc > 1 && std::strcmp(argv[1], "--help") == 0;
  bool version = argc > 1 && std::strcmp(argv[1], "--version") == 0;
  if (argc == 2 && help) return say(stdout, usage) ? 0 : 1;
  if (argc == 2 && version) return say(stdout, "brinemark " BRINE_VERSION "\n") ? 0 : 1;
  bool table = argc > 1 && std::strcmp(argv[1], "--scores") == 0;
  if (argc == 2 && table) return Scores_Print(stdout);
  // Name the first argument that is not understood: after --help, --version or --scores, the
  // extra one.
  int bad = help || version || table ? 2 : 0;
  int scale = -1;
  bool silent = false, unkept = false;
  for (int i = 1; i < argc && bad == 0; i++) {
    if (std::strcmp(argv[i], "--no-sound") == 0 && !silent) {
      silent = true;
    } else if (std::strcmp(argv[i], "--no-scores") == 0 && !unkept) {
      unkept = true;
    } else if (std::strcmp(argv[i], "--scale") == 0 && scale < 0 && i + 1 < argc) {
      scale = scaleOf(argv[++i]);
      if (scale < 0) {
        std::fprintf(stderr, "brinemark: --scale takes 1, 2, 3, 4 or auto, not '%s'\n", argv[i]);
        return 2;
      }
    } else {
      bad = i;
    }
  }
  if (bad != 0) {
    std::fprintf(stderr, "brinemark: unknown argument '%s'\n", argv[bad]);
    say(stderr, usage);
    return 2;
  }
  if (scale >= 0) Present_SetWindowScale(scale);
  if (silent) Sound_PlaySilently();
  if (unkept) Scores_Disable();
  Host_OnShutdown(keepUnfinishedGame);
  return Host_Run(runGame);
}
