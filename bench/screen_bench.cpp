// Presentation passes beside a plain copy of the same bytes: an 800 x 600 page in its window,
// and full screen at 1920 x 1080 and 3840 x 2160, where an 800 x 600 page is filtered to 1.8 and
// 3.6 times its size and a 960 x 540 page is repeated 2 and 4 times. Each pass draws the whole
// page, as after a page drawn all over; a moving sight's pass, which draws what changed, is
// measured beside it.
// Runs in the X server of DISPLAY, or with SDL's dummy video driver when there is none.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "graphics/blit.h"
#include "graphics/image.h"
#include "graphics/present.h"
#include "graphics/screen.h"

static bool videoReady() {
  static int ready = -1;
  if (ready >= 0) return ready;
  if (std::getenv("SDL_VIDEODRIVER") == nullptr && std::getenv("DISPLAY") == nullptr) SDL_putenv(const_cast<char*>("SDL_VIDEODRIVER=dummy"));
  ready = SDL_Init(SDL_INIT_VIDEO) == 0;
  if (!ready) return false;
  Present_SetWindowScale(1);
  Screen_Init();
  return true;
}

// A w x h page of noise as the screen page, shown in the window (modeW 0) or full screen in the
// one mode modeW x modeH; the first pass makes the surface.
static bool showPage(int32_t w, int32_t h, int32_t modeW, int32_t modeH) {
  if (!videoReady()) return false;
  static std::map<std::pair<int32_t, int32_t>, int32_t> pages;
  int32_t& page = pages[{w, h}];
  if (page == 0) {
    page = Image_New(w, h);
    uint32_t* pixels = Image_Record(-page)->pixels;
    for (size_t i = 0; i < size_t(w) * h; i++) pixels[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
  }
  Screen_Set(page);
  if (modeW > 0) Present_SetModes({{uint16_t(modeW), uint16_t(modeH)}});
  if (Present_IsFullScreen() != (modeW > 0)) Present_RequestFullScreenToggle();
  Screen_Present();
  return Present_IsFullScreen() == (modeW > 0);
}

static void BM_PresentPass(benchmark::State& state) {
  if (!showPage(800, 600, 0, 0)) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  for (auto _ : state) {
    { ScreenChangeNote whole; }
    Screen_Present();
  }
  char driver[32] = "";
  SDL_VideoDriverName(driver, sizeof driver);
  state.SetLabel(driver);
}

// Reference: the page's bytes copied once with memcpy.
static void BM_PresentMemcpy(benchmark::State& state) {
  std::vector<uint32_t> from(800 * 600, 0xFF102030), to(800 * 600);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * 4);
    benchmark::ClobberMemory();
  }
}

// Arguments: page width and height, mode width and height.
static void BM_FullScreenPass(benchmark::State& state) {
  if (!showPage(int32_t(state.range(0)), int32_t(state.range(1)), int32_t(state.range(2)), int32_t(state.range(3)))) {
    state.SkipWithError("no full screen");
    return;
  }
  for (auto _ : state) {
    { ScreenChangeNote whole; }
    Screen_Present();
  }
}

// A sight moved as the game moves it: the scope view restored from a clean copy of the page, a
// 25 x 25 sight put over it one pixel further on, and the pass. Arguments as above.
static void BM_SightMovePass(benchmark::State& state) {
  int32_t w = int32_t(state.range(0)), h = int32_t(state.range(1));
  if (!showPage(w, h, int32_t(state.range(2)), int32_t(state.range(3)))) {
    state.SkipWithError("no full screen");
    return;
  }
  static int32_t clean, sight;
  if (clean == 0) {
    clean = Image_New(w, h), sight = Image_New(25, 25);
    Image_Put(0, 0, 0, 0, drawDest, clean, 0, 0, 0, 0, PUT_DEST);
    for (int32_t i = 0; i < 625; i++) Image_Record(-sight)->pixels[i] = (i / 25 == 12 || i % 25 == 12) ? 0xFF30FF30u : 0u;
  }
  int32_t x = 200;
  for (auto _ : state) {
    Image_Put(125, 22, 0, 0, clean, 0, 125, 22, 675, 570, PUT_DEST_FIRST | PUT_SOURCE | PUT_SOURCE_FIRST | PUT_SOURCE_SECOND);
    Image_Put(x, 250, 0, 0, sight, 0, 0, 0, 0, 0, PUT_DEST_FIRST | PUT_SOURCE);
    Screen_Present();
    x = x < 600 ? x + 1 : 200;
  }
}

// Reference: the output frame's bytes copied once with memcpy.
static void BM_FrameMemcpy(benchmark::State& state) {
  std::vector<uint32_t> from(size_t(state.range(0) * state.range(1)), 0xFF102030), to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * 4);
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_PresentPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentMemcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullScreenPass)
    ->Args({800, 600, 1920, 1080})
    ->Args({800, 600, 3840, 2160})
    ->Args({960, 540, 1920, 1080})
    ->Args({960, 540, 3840, 2160})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SightMovePass)->Args({800, 600, 3840, 2160})->Args({960, 540, 3840, 2160})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameMemcpy)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);
