// game_state.h: all of Brinemark's state, one record owned by the game thread.
//
// Zero-filled before the first step. Numbers are 32-bit floats: arithmetic on them is done in
// double precision and stored back as floats; INT in the game's rules means floor.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "game/layout.h"

struct GameState {
  // Pictures (image handles) and the font.
  int32_t titleImage, iconImage, fontHandle, screenImage, cleanScope;
  int32_t sightImage, explosionImage, greenLightImage, greenLightOffImage, redLightImage;
  int32_t rockerOnImage, targetImage, overImage, sliderImage;
  // Sounds (sound handles).
  int32_t depthSound, helicopterSound, breakingUpSound, shutUpSound, sobSound, dontSeeItSound, clackSound;

  float masterVolume, helicopterVolume, voiceVolume;  // 0 to 1, set on the panel's sliders
  float targetRadius;       // distance of the target from the scope centre at placement
  float heading;            // target course in radians, never wrapped
  float targetX, targetY;   // the hidden target, in screen pixels
  std::string keyText;      // key read in the current pass of the level loop
  float mouseX, mouseY;     // current mouse event; a slider click moves them to its knob
  float deltaX, deltaY, distance;  // aim offsets and distance from (400, 300); a shot's closeness
  float level;              // levels won in this game; the level played is level + 1
  float fuel;               // fuel left in this level
  float shotsUsed;          // index of the next ammunition light, 0 to 7
  float directionFinderOn, rangeMeterOn;  // the rockers, 1 on, 0 off
  float sliderMoved;        // 1 when this click moved a slider knob
  float totalScore;         // score of the current game
  float bearing, markerX, markerY;  // direction lamp work values
  float lightRow, lightColumn;      // cell of the light being changed
  float voicePick;          // which radio voice the tick plays, 1 to 3
  std::string textFileName, textLine;  // text screen: file and its current line
};

extern GameState game;

// How a shot, a click or a level ended.
enum Outcome { OUTCOME_NONE, OUTCOME_WON, OUTCOME_LOST };

// INT of the game's rules: floor, towards minus infinity.
inline float INT(double v) { return float(__builtin_floor(v)); }

// ---- the game's routines -----------------------------------------------------------------
void runGame();  // the whole game: start-up, then levels for ever
void runTitleScreen();
void loadAssets();
void resetPanelKnobs();
void runTransit();
void startLevel();
Outcome runLevel();
void onTimerTick();
Outcome onLeftButton();
Outcome fireShot();
void showSuccess();
void showFailure();
// At the program's end, once the game thread has stopped (or when the display is lost): a game
// under way with a score above 0 is kept among the best scores, with any of the run's games a
// save could not keep before.
void keepUnfinishedGame();
void updateScopeView();

// ---- shared helpers (level.cpp) ------------------------------------------------------------
void waitForButtonRelease();
void waitForKey();
// Restore a rectangle of the play screen from its clean copy.
void restoreRect(double x1, double y1, double x2, double y2);
inline void restoreRect(const Rect& r) { restoreRect(r.x1, r.y1, r.x2, r.y2); }
// Print a line of items the way the game prints: each item fitted, then printed, then the line
// ended.
void printItems(std::initializer_list<std::string> items);
// Draw image stretched over the ammunition light in grid row (0 or 1) and column (0 to 3).
void drawLight(int32_t image, double row, double column);
