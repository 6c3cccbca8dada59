// One presentation pass of an 800 x 600 page beside a plain copy of the same bytes.
// Runs in the X server of DISPLAY, or with SDL's dummy video driver when there is none.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/image.h"
#include "graphics/screen.h"

static bool presentationReady() {
  static int ready = -1;
  if (ready >= 0) return ready;
  if (std::getenv("SDL_VIDEODRIVER") == nullptr && std::getenv("DISPLAY") == nullptr) SDL_putenv(const_cast<char*>("SDL_VIDEODRIVER=dummy"));
  ready = SDL_Init(SDL_INIT_VIDEO) == 0;
  if (!ready) return false;
  Screen_Init();
  int32_t page = Image_New(800, 600);
  uint32_t* pixels = Image_Record(-page)->pixels;
  for (size_t i = 0; i < 800 * 600; i++) pixels[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
  Screen_Set(page);
  Screen_Present();  // makes the 800 x 600 window surface
  return true;
}

static void BM_PresentPass(benchmark::State& state) {
  if (!presentationReady()) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  for (auto _ : state) Screen_Present();
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

BENCHMARK(BM_PresentPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentMemcpy)->Unit(benchmark::kMicrosecond);
