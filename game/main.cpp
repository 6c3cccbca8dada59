// main.cpp: Brinemark's entry: answers --help and --version, takes silent play, refuses any
// other argument, and lets the runtime run the game on its game thread.
#include <cstdio>
#include <cstring>

#include "game/game_state.h"
#include "runtime/program.h"
#include "sound/sound.h"

static const char usage[] =
    "Usage: brinemark [--no-sound] | --help | --version\n"
    "Hunt a hidden submarine from a helicopter. With no argument the game opens its window on\n"
    "the X display; click into the scope to drop a charge, press Q to leave.\n"
    "  --no-sound    play in silence, as on a machine without an audio device\n";

// Prints text on out; false when it could not be written (a full disk, a closed pipe).
static bool say(FILE* out, const char* text) { return std::fputs(text, out) >= 0 && std::fflush(out) == 0; }

int main(int argc, char** argv) {
  bool help = argc > 1 && std::strcmp(argv[1], "--help") == 0;
  bool version = argc > 1 && std::strcmp(argv[1], "--version") == 0;
  if (argc == 2 && help) return say(stdout, usage) ? 0 : 1;
  if (argc == 2 && version) return say(stdout, "brinemark " BRINE_VERSION "\n") ? 0 : 1;
  // Name the first argument that is not understood: after --help or --version, the extra one.
  int bad = help || version ? 2 : 0;
  bool silent = false;
  for (int i = 1; i < argc && bad == 0; i++) {
    if (std::strcmp(argv[i], "--no-sound") == 0 && !silent) {
      silent = true;
    } else {
      bad = i;
    }
  }
  if (bad != 0) {
    std::fprintf(stderr, "brinemark: unknown argument '%s'\n", argv[bad]);
    say(stderr, usage);
    return 2;
  }
  if (silent) Sound_PlaySilently();
  return Program_Run(runGame);
}
