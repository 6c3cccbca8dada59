// game_harness.cpp: the test's game thread, the delays it asked for, the snapshot taken on it,
// and the state every game test begins from.
//
// The game thread writes the delay list (under its lock) and the snapshot (published by
// snapshotDone); everything else here is the test thread's, and game state is read or written
// by the test only while no game thread runs.
#include "tests/game/game_harness.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <png.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#include "game/scores.h"
#include "graphics/blit.h"
#include "graphics/color.h"
#include "graphics/image.h"
#include "graphics/present.h"
#include "graphics/screen.h"
#include "platform/platform.h"
#include "runtime/clock.h"
#include "runtime/error.h"
#include "runtime/event.h"
#include "host/input_events.h"
#include "host/keyboard.h"
#include "runtime/program.h"
#include "tests/scratch.h"
#include "text/font.h"
#include "text/text_output.h"

namespace {

struct {
  std::thread thread;
  std::atomic<bool> done{false};
  std::atomic<bool> endedProgram{false};  // unwound by Program_End
} runner;

struct {
  std::mutex lock;
  std::vector<uint32_t> asked;
  std::function<void(uint32_t)> observer;  // set while no game thread runs
} delayLog;

struct {
  std::function<bool()> ready;  // set while no game thread runs; called on the game thread
  bool armed = false;
  std::atomic<bool> done{false};
  Pixels pixels;
  double fakeNow = 0;  // the seconds the test thread polls the timer at
} snap;

struct {
  bool started = false;
  GameState game;        // the game right after its start-up
  Pixels screen;         // the play screen then
  ImageRecord record;    // the play screen's text state then
  int32_t black = 0, white = 0;  // scratch records for the reference drawings
} start;

void recordDelay(uint32_t ms) {
  {
    std::lock_guard<std::mutex> hold(delayLog.lock);
    delayLog.asked.push_back(ms);
  }
  if (delayLog.observer) delayLog.observer(ms);
}

void snapshotTick() {
  if (snap.done.load() || !snap.ready()) return;
  snap.pixels = GameTest::imagePixels(-screenPage);  // the title's picture before play
  snap.done.store(true);
}

// One turn of the runtime's other two threads: shutdown answers a Program_End, and the timer
// is polled while a snapshot is wanted.
void pump() {
  if (endRequested.load()) exitRequested = 1;
  if (snap.armed && !snap.done.load()) TimerEvent_Poll(snap.fakeNow += 1.0);
}

bool waitFor(const std::function<bool()>& ready, double seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    pump();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

ImageRecord* screenRecord() { return Image_Record(-game.screenImage); }

void fillRect(int32_t record, int x1, int y1, int x2, int y2, uint32_t color) {
  ImageRecord* r = Image_Record(record);
  for (int y = std::max(y1, 0); y <= std::min(y2, r->height - 1); y++)
    for (int x = std::max(x1, 0); x <= std::min(x2, r->width - 1); x++) r->pixels[y * r->width + x] = color;
}

void putStretched(int32_t image, int32_t record, int x1, int y1, int x2, int y2) {
  Image_Put(x1, y1, x2, y2, image, -record, 0, 0, 0, 0, PUT_DEST_FIRST | PUT_DEST_SECOND | PUT_SOURCE | PUT_DEST);
}

}  // namespace

// ---- start-up -------------------------------------------------------------------------------

void GameTest::SetUpTestSuite() {
  if (start.started) return;
  start.started = true;
  // No window, no sound card, and no message box on anyone's display.
  SDL_putenv(const_cast<char*>("SDL_VIDEODRIVER=dummy"));
  SDL_putenv(const_cast<char*>("SDL_AUDIODRIVER=dummy"));
  SDL_putenv(const_cast<char*>("DISPLAY="));
  // Best scores in the process's own folder, never the user's.
  setenv(SYS_DATA_HOME_VARIABLE, Test_Scratch().string().c_str(), 1);
  ASSERT_TRUE(Sys_ChangeDirectory(BRINE_ASSETS));
  ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO), 0) << SDL_GetError();
  std::atexit(SDL_Quit);
  ASSERT_EQ(TTF_Init(), 0);
  std::atexit(TTF_Quit);
  Sys_MarkMainThread();
  Mouse_InitQueueAt(0, 0);
  Present_SetWindowScale(1);
  Screen_Init();
  Clock_SetDelayHook(recordDelay);

  // The real start-up: a click on the title screen, the assets, the knobs, the first transit.
  click(100, 100);
  GameEnd end = onGameThread([] {
    game = GameState{};
    runTitleScreen();
    loadAssets();
    resetPanelKnobs();
    runTransit();
  });
  ASSERT_EQ(end, GameEnd::RETURNED);
  ASSERT_EQ(pendingError, 0);
  ASSERT_LT(game.screenImage, -1) << "scope.jpg did not load";
  ASSERT_NE(game.depthSound, 0) << "depth.ogg did not open";
  start.game = game;
  start.screen = screen();
  start.record = *screenRecord();
  start.black = Image_Create(800, 600);
  start.white = Image_Create(800, 600);
}

void GameTest::resetToLevelStart() {
  // The pictures and the font that a title or text screen replaced (and freed) since start-up
  // stay replaced: the start-up ones may be gone.
  GameState now = game;
  game = start.game;
  game.titleImage = now.titleImage;
  game.iconImage = now.iconImage;
  game.overImage = now.overImage;
  game.fontHandle = now.fontHandle;
  ImageRecord* r = screenRecord();
  uint32_t* pixels = r->pixels;
  uint32_t ownership = r->ownership;
  *r = start.record;
  r->pixels = pixels;
  r->ownership = ownership;
  std::memcpy(pixels, start.screen.data(), start.screen.size() * sizeof(uint32_t));
  Screen_Set(game.screenImage);
  drawDest = drawSource = screenPage;

  Mouse_InitQueueAt(0, 0);
  Mouse_SetMotionSkip(0);
  Present_SetGeometry({0, 0, 800, 600, 800, 600});  // no pass runs: the window as it would be
  while (!Key_Read().empty()) {
  }
  stopAllSounds();
  SDL_PauseAudio(0);
  TimerEvent_Control(0, TIMER_OFF, false);
  TimerEvent_Define(0, 3.0, nullptr);
  randomState = 12345;
  pendingError = 0;
  eventCheckPending = 0;
  endRequested = exitRequested = pauseFlags = 0;
  threadsStopped = 0;

  snap.armed = false;
  snap.done = false;
  snap.ready = nullptr;
  std::lock_guard<std::mutex> hold(delayLog.lock);
  delayLog.asked.clear();
  delayLog.observer = nullptr;
}

void GameTest::SetUp() {
  ASSERT_TRUE(start.started && start.black != 0) << "the game did not start up";
  resetToLevelStart();
  std::filesystem::remove(Scores_Path());  // no best scores kept from an earlier test's game
}

void GameTest::TearDown() {
  if (runner.thread.joinable()) {
    ADD_FAILURE() << "a game thread was left running";
    finishGameThread();
  }
  EXPECT_EQ(pendingError, 0) << "a runtime error was raised in step " << errorLine;
  pendingError = 0;
}

// ---- the game thread ------------------------------------------------------------------------

void GameTest::startOnGameThread(const std::function<void()>& routine) {
  runner.done = false;
  runner.endedProgram = false;
  runner.thread = std::thread([routine] {
    try {
      routine();
    } catch (...) {
      if (!endRequested.load()) throw;  // only Program_End unwinds the game thread
      runner.endedProgram = true;
    }
    runner.done = true;
  });
}

GameEnd GameTest::finishGameThread() {
  bool stuck = !waitFor([] { return runner.done.load(); }, 10);
  if (stuck) {
    // As a window close would: the game thread ends at its next step end.
    exitRequested = 1;
    eventCheckPending = 1;
    if (!waitFor([] { return runner.done.load(); }, 30)) {
      std::fprintf(stderr, "the game thread cannot be stopped\n");
      std::abort();
    }
  }
  runner.thread.join();
  endRequested = exitRequested = 0;
  threadsStopped = 0;
  eventCheckPending = 0;
  snap.armed = false;
  TimerEvent_Control(0, TIMER_OFF, false);
  if (stuck) return GameEnd::STUCK;
  return runner.endedProgram ? GameEnd::PROGRAM_END : GameEnd::RETURNED;
}

GameEnd GameTest::onGameThread(const std::function<void()>& routine) {
  startOnGameThread(routine);
  return finishGameThread();
}

bool GameTest::waitUntil(const std::function<bool()>& ready) {
  return waitFor([&] { return ready() || runner.done.load(); }, 10) && ready();
}

bool GameTest::onePass() {
  typeKey('q');
  return onGameThread([] { runLevel(); }) == GameEnd::PROGRAM_END;
}

bool GameTest::gameThreadRunning() { return runner.thread.joinable() && !runner.done.load(); }

std::vector<uint32_t> GameTest::delays() {
  std::lock_guard<std::mutex> hold(delayLog.lock);
  return delayLog.asked;
}

void GameTest::onDelay(std::function<void(uint32_t)> observer) { delayLog.observer = std::move(observer); }

void GameTest::snapshotWhen(std::function<bool()> ready) {
  snap.ready = std::move(ready);
  snap.done = false;
  snap.armed = true;
  TimerEvent_Define(0, 0.001, snapshotTick);
  TimerEvent_Control(0, TIMER_ON, false);
}

bool GameTest::snapshotTaken() { return snap.done.load(); }

Pixels GameTest::snapshot() { return snap.done.load() ? snap.pixels : Pixels(); }

// ---- input ----------------------------------------------------------------------------------

static void buttonEvent(bool down, int x, int y) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = SDL_BUTTON_LEFT;
  e.button.x = Uint16(x);
  e.button.y = Uint16(y);
  Mouse_OnEvent(e);
}

void GameTest::press(int x, int y) { buttonEvent(true, x, y); }
void GameTest::release(int x, int y) { buttonEvent(false, x, y); }

void GameTest::click(int x, int y) {
  press(x, y);
  release(x, y);
}

void GameTest::moveTo(int x, int y, bool buttonHeld) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = Uint16(x);
  e.motion.y = Uint16(y);
  e.motion.state = buttonHeld ? SDL_BUTTON(1) : 0;
  Mouse_OnEvent(e);
}

void GameTest::typeKey(char c) {
  SDL_KeyboardEvent k{};
  k.type = SDL_KEYDOWN;
  k.state = SDL_PRESSED;
  k.keysym.sym = SDLKey(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  k.keysym.unicode = Uint16(c);
  Key_OnKeyDown(k);
  k.type = SDL_KEYUP;
  k.state = SDL_RELEASED;
  Key_OnKeyUp(k);
}

// ---- observation ----------------------------------------------------------------------------

Pixels GameTest::imagePixels(int32_t handle) {
  const ImageRecord* r = Image_Record(-handle);
  return Pixels(r->pixels, r->pixels + size_t(r->width) * r->height);
}

Pixels GameTest::screen() { return imagePixels(game.screenImage); }

bool GameTest::sameRect(const Pixels& a, const Pixels& b, int x1, int y1, int x2, int y2) {
  for (int y = y1; y <= y2; y++)
    for (int x = x1; x <= x2; x++)
      if (pixelAt(a, x, y) != pixelAt(b, x, y)) return false;
  return true;
}

bool GameTest::shows(const Pixels& p, int32_t image, int x1, int y1, int x2, int y2) {
  // Drawn once over black and once over white: where both agree the picture is opaque.
  fillRect(start.black, x1, y1, x2, y2, 0xFF000000);
  fillRect(start.white, x1, y1, x2, y2, 0xFFFFFFFF);
  putStretched(image, start.black, x1, y1, x2, y2);
  putStretched(image, start.white, x1, y1, x2, y2);
  const ImageRecord* b = Image_Record(start.black);
  const ImageRecord* w = Image_Record(start.white);
  int opaque = 0;
  for (int y = y1; y <= y2; y++)
    for (int x = x1; x <= x2; x++) {
      uint32_t over = b->pixels[y * 800 + x];
      if (over != w->pixels[y * 800 + x]) continue;
      if (pixelAt(p, x, y) != over) return false;
      opaque++;
    }
  return opaque > 0;
}

bool GameTest::drawnOver(const Pixels& p, const Pixels& under, int32_t image, int x1, int y1, int x2, int y2) {
  ImageRecord* r = Image_Record(start.black);
  std::memcpy(r->pixels, under.data(), under.size() * sizeof(uint32_t));
  putStretched(image, start.black, x1, y1, x2, y2);
  return sameRect(p, Pixels(r->pixels, r->pixels + under.size()), x1, y1, x2, y2);
}

Pixels GameTest::drawnOn(const Pixels& under, const std::function<void()>& draw) {
  ImageRecord* r = Image_Record(start.black);
  std::memcpy(r->pixels, under.data(), under.size() * sizeof(uint32_t));
  int32_t savedDest = drawDest;
  drawDest = start.black;
  draw();
  drawDest = savedDest;
  return Pixels(r->pixels, r->pixels + under.size());
}

void GameTest::printAt(const std::vector<std::string>& pieces, int32_t row, int32_t column, int32_t font, uint32_t color) {
  Text_SetPrintMode(2, 0, false);
  Font_Set(font, 0, false);
  Color_Set(color, 0, 0, COLOR_FORE);
  Text_Locate(row, column, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
  for (const std::string& piece : pieces) Text_Print(piece, false);
  Text_Print("", true);
}

std::string GameTest::lightsShown(const Pixels& p) {
  std::string lights;
  for (int n = 0; n < 8; n++) {
    int row = n / 4, column = n % 4;
    int x1 = column * 30 + 5, y1 = row * 30 + 120, x2 = column * 30 + 30, y2 = row * 30 + 145;
    char shown = '?';
    if (shows(p, game.greenLightImage, x1, y1, x2, y2)) shown = 'G';
    else if (shows(p, game.greenLightOffImage, x1, y1, x2, y2)) shown = 'O';
    else if (shows(p, game.redLightImage, x1, y1, x2, y2)) shown = 'R';
    lights += shown;
  }
  return lights;
}

void GameTest::expectPrinted(const Pixels& p, const std::string& text, int32_t row, int32_t column, int32_t font,
                             uint32_t color) {
  ASSERT_FALSE(p.empty()) << "no screen to look at for \"" << text << "\"";
  // The same text in white over black: its fully covered pixels come out pure white.
  fillRect(start.black, 0, 0, 799, 599, 0xFF000000);
  int32_t savedDest = drawDest;
  drawDest = start.black;
  Text_SetPrintMode(2, 0, false);
  Font_Set(font, 0, false);
  Color_Set(0xFFFFFFFF, 0, 0, COLOR_FORE);
  Text_Locate(row, column, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
  Text_Print(text, false);
  const ImageRecord* r = Image_Record(start.black);
  const FontRecord* f = Font_Get(font);
  int32_t cell = f->fixedWidth ? f->fixedWidth : 1;
  int x1 = (column - 1) * cell, x2 = (r->cursorColumn - 1) * cell - 1;
  int y1 = (row - 1) * f->height, y2 = row * f->height - 1;
  drawDest = savedDest;
  ASSERT_EQ(pendingError, 0);

  int inked = 0, wrong = 0;
  for (int y = y1; y <= y2; y++)
    for (int x = x1; x <= x2; x++) {
      bool ink = r->pixels[y * 800 + x] == 0xFFFFFFFF;
      inked += ink;
      wrong += ink != (pixelAt(p, x, y) == color);
    }
  EXPECT_GT(inked, 0) << "\"" << text << "\" has no fully covered pixel";
  EXPECT_EQ(wrong, 0) << "\"" << text << "\" is not what row " << row << ", column " << column << " shows";
}

// ---- models ---------------------------------------------------------------------------------

GameTest::Picture GameTest::png(const char* name) {
  png_image file{};
  file.version = PNG_IMAGE_VERSION;
  EXPECT_TRUE(png_image_begin_read_from_file(&file, name)) << name;
  file.format = PNG_FORMAT_BGRA;  // one little-endian word per pixel: 0xAARRGGBB
  Picture picture{int(file.width), int(file.height), Pixels(size_t(file.width) * file.height)};
  EXPECT_TRUE(png_image_finish_read(&file, nullptr, picture.px.data(), 0, nullptr)) << name;
  return picture;
}

uint32_t GameTest::blend(uint32_t d, uint32_t c) {
  uint32_t ca = c >> 24, da = d >> 24;
  if (ca == 0 || ca == 255) return ca == 0 ? d : c;
  // Alpha: 255 x (1 - (1 - i / 255) x (1 - j / 255)); half and half averages the channels with
  // their lowest bits dropped; every step in single precision.
  uint32_t out = uint32_t(std::nearbyint(255.0f * (1.0f - (1.0f - ca / 255.0f) * (1.0f - da / 255.0f)))) << 24;
  if (ca == 127 || ca == 128) return out | (((d & 0xFEFEFE) + (c & 0xFEFEFE)) >> 1);
  float f = float(ca) / 255.0f;
  for (int shift : {16, 8, 0})
    out |= uint32_t(std::nearbyint(f * float(c >> shift & 255) + (1.0f - f) * float(d >> shift & 255))) << shift;
  return out;
}

static int pixelOf(double v) { return int(std::nearbyint(float(v))); }

void GameTest::putModel(Pixels& p, const Picture& picture, double x1, double y1, double x2, double y2) {
  // Each destination pixel samples the source at an accumulator that runs from just inside the
  // first source pixel's outer edge to just inside the last one's, rounded to even.
  int dx1 = pixelOf(x1), dy1 = pixelOf(y1), dx2 = pixelOf(x2), dy2 = pixelOf(y2);
  double stepX = (picture.w - 1 + 0.499999 + 0.499999) / (dx2 - dx1), ay = -0.499999;
  double stepY = (picture.h - 1 + 0.499999 + 0.499999) / (dy2 - dy1);
  for (int y = dy1; y <= dy2; y++, ay += stepY) {
    double ax = -0.499999 - stepX;
    for (int x = dx1; x <= dx2; x++)
      if (ax += stepX; x >= 0 && x < 800 && y >= 0 && y < 600)
        p[y * 800 + x] = blend(p[y * 800 + x], picture.px[size_t(std::nearbyint(ay) * picture.w + std::nearbyint(ax))]);
  }
}

void GameTest::lineModel(Pixels& p, double x1, double y1, double x2, double y2, uint32_t color) {
  // One pixel per step along the longer axis; the other coordinate is a single-precision
  // accumulator rounded half away from zero.
  int X1 = pixelOf(x1), Y1 = pixelOf(y1), X2 = pixelOf(x2), Y2 = pixelOf(y2);
  bool alongX = std::abs(X2 - X1) > std::abs(Y2 - Y1);
  int from = alongX ? X1 : Y1, to = alongX ? X2 : Y2, n = std::abs(to - from), dir = to < from ? -1 : 1;
  float slope = n == 0 ? 0.0f : float(alongX ? Y2 - Y1 : X2 - X1) / float(n), acc = float(alongX ? Y1 : X1);
  for (int k = 0, run = from; k <= n; k++, run += dir, acc += slope) {
    int other = int(acc < 0 ? acc - 0.5f : acc + 0.5f), at = alongX ? other * 800 + run : run * 800 + other;
    p[at] = blend(p[at], color);
  }
}

void GameTest::needleModel(Pixels& p, double x) {
  // An ellipse 1.2 wide and 12 high: its outline runs one pixel either side of the centre
  // column for the ten rows above and below the middle, then closes on that column.
  int cx = int(std::floor(x + 0.5));
  for (int k = -12; k <= 12; k++)
    for (int column : {cx - 1, cx + 1}) p[(428 + k) * 800 + (std::abs(k) <= 10 ? column : cx)] = 0xFF64C8C8;
}

// ---- sounds ---------------------------------------------------------------------------------

// Each side's magnitudes that a channel's effects passed on to the mixer, summed.
static struct Listened {
  std::atomic<int64_t> left, right, frames;
} listened[8];

static void listen(int, void* stream, int bytes, void* into) {
  Listened* l = static_cast<Listened*>(into);
  for (int i = 0; i + 1 < bytes / 2; i += 2)
    l->left += std::abs(static_cast<int16_t*>(stream)[i]), l->right += std::abs(static_cast<int16_t*>(stream)[i + 1]);
  l->frames += bytes / 4;
}

std::vector<GameTest::Heard> GameTest::hear(const std::vector<int32_t>& sounds) {
  std::vector<int> channels;
  for (size_t i = 0; i < sounds.size(); i++) {
    channels.push_back(int(slotOf(sounds[i]) - Sound_Slot(0)));
    listened[i].left = listened[i].right = listened[i].frames = 0;
    Mix_RegisterEffect(channels[i], listen, nullptr, &listened[i]);  // after the game's own
  }
  SDL_PauseAudio(0);
  waitFor([&] {
    for (size_t i = 0; i < sounds.size(); i++)
      if (!(listened[i].frames >= 4096 && listened[i].left + listened[i].right > 0) && Mix_Playing(channels[i])) return false;
    return true;
  }, 3);
  std::vector<Heard> heard;
  for (size_t i = 0; i < sounds.size(); i++) {
    Mix_UnregisterEffect(channels[i], listen);
    int64_t l = listened[i].left, r = listened[i].right;
    heard.push_back({Mix_Volume(channels[i], -1), l + r == 0 ? '-' : l == r ? 'C' : l == 0 ? 'R' : r == 0 ? 'L' : '?'});
  }
  return heard;
}

const SoundSlot* GameTest::slotOf(int32_t soundHandle) {
  for (int i = 0; i < SOUND_SLOTS; i++)
    if (Sound_Slot(i)->handle == uint32_t(soundHandle)) return Sound_Slot(i);
  ADD_FAILURE() << "no sound slot holds handle " << soundHandle;
  return Sound_Slot(0);
}

void GameTest::stopAllSounds() {
  for (int32_t h : {game.depthSound, game.helicopterSound, game.breakingUpSound, game.shutUpSound, game.sobSound,
                    game.dontSeeItSound, game.clackSound})
    if (h != 0) Sound_Stop(h);
}

int GameTest::voicePlaying() {
  if (playing(game.breakingUpSound)) return 1;
  if (playing(game.shutUpSound)) return 2;
  if (playing(game.sobSound)) return 3;
  return 0;
}
