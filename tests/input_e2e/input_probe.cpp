// input_probe.cpp: a stand-in game for the input end-to-end test. It runs the real program
// (three threads, the window, the event passes) and writes to standard output, one line each,
// what the game side reads:
//   mouse <x> <y> <left> <right> <middle>   a record walked with Mouse_Input, page pixels and
//                                           Mouse_Button(1), (2), (3) as 1 or 0
//   key <byte> [<byte>]                     a Key_Read result
//   holding                                 after the key "h": no key is read for 2 seconds
//   tick <n>                                every fifth step (about 100 ms) the game runs

#include <cstdio>
#include <string>

#include "graphics/window.h"
#include "runtime/clock.h"
#include "runtime/event.h"
#include "host/keyboard.h"
#include "host/mouse.h"
#include "host/host.h"

static void probe() {
  Window_SetTitle("Brinemark input probe");
  for (int step = 0;; step++) {
    while (Mouse_Input())
      std::printf("mouse %g %g %d %d %d\n", Mouse_X(), Mouse_Y(), -Mouse_Button(1), -Mouse_Button(2), -Mouse_Button(3));
    std::string key = Key_Read();
    if (!key.empty()) {
      std::printf("key");
      for (char c : key) std::printf(" %d", uint8_t(c));
      std::printf("\n");
    }
    if (step % 5 == 0) std::printf("tick %d\n", step / 5);
    std::fflush(stdout);
    if (key == "h") {
      std::printf("holding\n");
      std::fflush(stdout);
      Clock_Delay(2.0);
    }
    Clock_Delay(0.02);
    Event_Check(1);
  }
}

int main() { return Host_Run(probe); }
