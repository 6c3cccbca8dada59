// target.cpp: the hidden target's placement and drift, and the radio voices of the timer tick.
#define STEP_FILE 3
#include "game/step.h"

#include <cmath>

#include "game/game_state.h"
#include "runtime/clock.h"
#include "sound/sound.h"

void startLevel() {
  TimerEvent_Define(0, 3.0, onTimerTick); STEP;
  game.targetRadius = INT(Random_Next(1, true) * 220.0); STEP;
  game.heading = INT(Random_Next(1, true) * 628.0) / 100.0; STEP;
  game.targetX = INT(std::sin(double(game.heading)) * game.targetRadius) + SCOPE_X; STEP;
  game.targetY = INT(std::cos(double(game.heading)) * game.targetRadius) + SCOPE_Y; STEP;
  TimerEvent_Control(0, TIMER_ON, false); STEP;
}

static void playVoice(int32_t sound) {
  Sound_SetVolume(sound, double(game.voiceVolume) * game.masterVolume); STEP;
  Sound_Play(sound); STEP;
}

// Every 3 seconds while a level runs: drift, now and then a new course, turn back at the
// scope's edge, and now and then a voice on the radio.
void onTimerTick() {
  if (Random_Next(1, true) > 0.95) {
    STEP;
    game.heading = INT(Random_Next(1, true) * 628.0) / 100.0; STEP;
  }
  STEP;
  double stepLength = double(game.level) * 2 + 5;
  game.targetX = game.targetX + std::sin(double(game.heading)) * stepLength; STEP;
  game.targetY = game.targetY + std::cos(double(game.heading)) * stepLength; STEP;
  // The tick's own offsets: the aim values of the level loop must stay untouched.
  float tickX = std::fabs(SCOPE_X - game.targetX); STEP;
  float tickY = std::fabs(SCOPE_Y - game.targetY); STEP;
  float tickDistance = std::sqrt(double(tickX) * tickX + double(tickY) * tickY); STEP;
  if (tickDistance > SCOPE_RADIUS) {
    STEP;
    game.heading = game.heading + 3.14; STEP;
  }
  STEP;
  if (Random_Next(1, true) > 0.8) {
    STEP;
    game.voicePick = INT(Random_Next(1, true) * 3.0) + 1.0; STEP;
    if (game.voicePick == 1) playVoice(game.breakingUpSound);
    STEP;
    if (game.voicePick == 2) playVoice(game.shutUpSound);
    STEP;
    if (game.voicePick == 3) playVoice(game.sobSound);
    STEP;
  }
  STEP;
}
