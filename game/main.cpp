// main.cpp: Brinemark's entry: the runtime runs the game on its game thread.
#include "game/game_state.h"
#include "runtime/program.h"

int main() { return Program_Run(runGame); }
