// step.h: the end of a game step.
//
// The game is a sequence of small steps and every one ends with the event check, where a due
// timer tick runs, a pending error shows its box, a pause holds and a close ends the program.
// A step is named by its file's number and its source line: step 30286 is line 286 of the file
// with STEP_FILE 3. Each game source file defines STEP_FILE before including this header.
#pragma once

#include "runtime/event.h"

#ifndef STEP_FILE
#error "define STEP_FILE before including game/step.h"
#endif

#define STEP Event_Check(STEP_FILE * 10000 + __LINE__)
