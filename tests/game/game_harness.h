// The game over the real runtime, for the game tests.
//
// SDL runs with its dummy video and audio drivers and the game's own assets are the working
// directory. Once per process the game starts up for real (title click, assets, knobs,
// transit); every test then begins from that state: the first level about to be played, all
// eight lights green, fuel 50, the start volumes, no sound playing.
//
// The game's routines run on a thread that acts as the game thread. The test's own thread
// plays the runtime's other two: it feeds the mouse queue and the key buffer through the
// runtime's own event calls, answers Program_End as the main loop's shutdown does, and polls
// the periodic timer when it wants a snapshot taken between two game steps. Clock_Delay only
// records what it was asked for, so the game's waits cost nothing. Game state, images and
// sounds are touched by the test only while no game thread runs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "sound/sound.h"

using Pixels = std::vector<uint32_t>;  // an 800 x 600 screen, row after row

// How a run on the game thread ended.
enum class GameEnd {
  RETURNED,     // the routine returned
  PROGRAM_END,  // the game ended the program (Program_End unwound the game thread)
  STUCK,        // still running after the time limit; unwound by the harness
};

class GameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

 public:
  // ---- the game thread ----------------------------------------------------------------------

  // Run routine on a new game thread until it returns or ends the program; one still running
  // after 10 s is ended at its next step end, as a closed window would end it (STUCK).
  static GameEnd onGameThread(const std::function<void()>& routine);
  // The same in two halves, for tests that feed input while the game waits.
  static void startOnGameThread(const std::function<void()>& routine);
  static GameEnd finishGameThread();
  // Wait (playing the main and timer threads meanwhile) until ready() holds or the game thread
  // has ended; false after a few seconds without either.
  static bool waitUntil(const std::function<bool()>& ready);
  static bool gameThreadRunning();
  // Queue "q" and run the level loop until it ends the program at the end of that pass; false
  // when it ended otherwise.
  static bool onePass();

  // Milliseconds of every Clock_Delay since the test began, in order.
  static std::vector<uint32_t> delays();
  // Run on the game thread inside each Clock_Delay, with its milliseconds.
  static void onDelay(std::function<void(uint32_t)> observer);

  // Take a copy of the screen on the game thread at the first step end where ready() holds
  // (ready runs there too); the timer is borrowed to get there.
  static void snapshotWhen(std::function<bool()> ready);
  static bool snapshotTaken();
  static Pixels snapshot();

  // The state every test begins from (also for a test that runs several cases in turn).
  static void resetToLevelStart();

  // ---- input, as the main thread's event pass delivers it ----------------------------------

  static void press(int x, int y);                    // button 1 down: one record
  static void release(int x, int y);                  // button 1 up: one record
  static void click(int x, int y);                    // press and release
  static void moveTo(int x, int y, bool buttonHeld);  // a motion: two records
  static void typeKey(char c);                        // a key pressed and released

  // ---- what the game shows and plays ---------------------------------------------------------

  static Pixels screen();       // the play screen (screenImage) now
  static Pixels imagePixels(int32_t handle);
  static uint32_t pixelAt(const Pixels& p, int x, int y) { return p[size_t(y) * 800 + size_t(x)]; }
  // Every pixel of (x1, y1)-(x2, y2), corners included, equal in a and b.
  static bool sameRect(const Pixels& a, const Pixels& b, int x1, int y1, int x2, int y2);
  // image stretched to (x1, y1)-(x2, y2) shows there: every pixel the picture covers opaquely
  // has the picture's colour (its see-through edge shows whatever lay below).
  static bool shows(const Pixels& p, int32_t image, int x1, int y1, int x2, int y2);
  // image stretched to (x1, y1)-(x2, y2) over the screen under: exactly what p shows there.
  // For pictures without an opaque pixel, such as the explosion.
  static bool drawnOver(const Pixels& p, const Pixels& under, int32_t image, int x1, int y1, int x2, int y2);
  // The screen under with draw's media calls applied to it (as the destination), for whole-screen
  // comparisons with what the game drew.
  static Pixels drawnOn(const Pixels& under, const std::function<void()>& draw);
  // A line of pieces printed one after another at (row, column) in font and colour, onto drawDest.
  static void printAt(const std::vector<std::string>& pieces, int32_t row, int32_t column, int32_t font, uint32_t color);
  // The eight ammunition lights, row by row: 'G' green, 'O' used, 'R' not issued, '?' none.
  static std::string lightsShown(const Pixels& p);
  // text, printed at (row, column) in font, is on the screen in color: within its cells, the
  // pixels of exactly that colour are exactly the ones its glyphs cover in full.
  static void expectPrinted(const Pixels& p, const std::string& text, int32_t row, int32_t column, int32_t font,
                            uint32_t color);

  // ---- models of what the game draws, from the asset files and the blend rule ---------------

  struct Picture {
    int w, h;
    Pixels px;
  };
  static Picture png(const char* name);           // an asset as its file holds it, 0xAARRGGBB
  static uint32_t blend(uint32_t d, uint32_t c);  // colour c written over pixel d
  // picture stretched (or, at its own size, copied) to (x1, y1)-(x2, y2) over p.
  static void putModel(Pixels& p, const Picture& picture, double x1, double y1, double x2, double y2);
  static void lineModel(Pixels& p, double x1, double y1, double x2, double y2, uint32_t color);
  static void needleModel(Pixels& p, double x);  // the range needle centred at (x, 428)

  static const SoundSlot* slotOf(int32_t soundHandle);
  // What the mixer plays of each sound, listened to on its channel after the game's effects:
  // the level (0 to 128) and the side, 'L', 'R', 'C' for both alike, '?' otherwise, '-' silent.
  struct Heard {
    int level;
    char side;
  };
  static std::vector<Heard> hear(const std::vector<int32_t>& sounds);
  static bool playing(int32_t soundHandle) { return Sound_IsPlaying(soundHandle) != 0; }
  static void stopAllSounds();
  // The three radio voices by their pick number (1 to 3), 0 when none plays.
  static int voicePlaying();
};
