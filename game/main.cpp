// main.cpp: Brinemark's entry. The runtime starts the process and runs the game on its own
// thread; until the game itself lands, a stand-in idles step by step.
#include "runtime/clock.h"
#include "runtime/event.h"
#include "runtime/program.h"

static void standInGame() {
  for (;;) {
    Clock_Delay(0.05);
    Event_Check(__LINE__);
  }
}

int main() { return Program_Run(standInGame); }
