// Image_Put against a peer measured in the same run, per destination pixel (items/s):
//   restoring a 551 x 549 rectangle and a whole 800 x 600 page (form 365, opaque) vs memcpy row by row;
//   a 25 x 25 alpha sprite tiled over the page (form 9) and a page of random alpha vs SDL_BlitSurface
//   (the latter also by the table and by four lanes);
//   a 100 x 100 -> 460 x 460 stretch vs SDL_SoftStretch, and the alpha sprite stretched to 100 x 100.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "graphics/blend.h"
#include "graphics/blit.h"
#include "graphics/image.h"
#include "graphics/screen.h"

namespace {

struct Picture {
  int32_t handle;
  ImageRecord* r;
};

Picture makePicture(int32_t w, int32_t h, uint32_t (*pixel)(int x, int y, std::mt19937& rng)) {
  Image_InitTable();
  std::mt19937 rng(7);
  int32_t n = Image_Create(w, h);
  ImageRecord* r = Image_Record(n);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) r->pixels[y * w + x] = pixel(x, y, rng);
  return {-n, r};
}

uint32_t opaque(int x, int y, std::mt19937&) { return 0xFF000000u | uint32_t(x * 2654435761u ^ y * 40503u) >> 8; }
uint32_t randomAlpha(int, int, std::mt19937& rng) { return uint32_t(rng()); }
// A round sprite with a soft rim: about half its pixels are fully transparent.
uint32_t sprite(int x, int y, std::mt19937&) {
  int dx = 2 * x - 24, dy = 2 * y - 24, r2 = dx * dx + dy * dy;
  uint32_t alpha = r2 < 15 * 15 ? 255 : r2 < 19 * 19 ? uint32_t(255 - (r2 - 225) * 255 / 136) : 0;
  return alpha << 24 | 0x30A0C0;
}

// The same pixels as an SDL surface (no copy); alpha switched on only when asked.
SDL_Surface* surfaceOf(const Picture& p, bool alpha) {
  SDL_Surface* s = SDL_CreateRGBSurfaceFrom(p.r->pixels, p.r->width, p.r->height, 32, p.r->width * 4, 0x00FF0000, 0x0000FF00,
                                            0x000000FF, alpha ? 0xFF000000 : 0);
  if (alpha) SDL_SetAlpha(s, SDL_SRCALPHA, 255);
  return s;
}

void perPixel(benchmark::State& state, int64_t pixels) { state.SetItemsProcessed(int64_t(state.iterations()) * pixels); }

// ---- opaque restore ------------------------------------------------------------------------

void restore(benchmark::State& state, bool blit) {
  int32_t w = int32_t(state.range(0)), h = int32_t(state.range(1));
  static Picture clean = makePicture(800, 600, opaque), page = makePicture(800, 600, opaque);
  const int x1 = (800 - w) / 2, y1 = (600 - h) / 2;
  for (auto _ : state) {
    if (blit) {
      Image_Put(x1, y1, x1 + w - 1, y1 + h - 1, clean.handle, page.handle, x1, y1, x1 + w - 1, y1 + h - 1, 365);
    } else {
      for (int y = y1; y < y1 + h; y++) std::memcpy(page.r->pixels + y * 800 + x1, clean.r->pixels + y * 800 + x1, size_t(w) * 4);
    }
    benchmark::ClobberMemory();
  }
  perPixel(state, int64_t(w) * h);
}
void BM_RestoreMemcpy(benchmark::State& state) { restore(state, false); }
void BM_RestoreForm365(benchmark::State& state) { restore(state, true); }
BENCHMARK(BM_RestoreMemcpy)->Args({551, 549})->Args({800, 600});
BENCHMARK(BM_RestoreForm365)->Args({551, 549})->Args({800, 600});

// ---- alpha over the page -------------------------------------------------------------------

void spriteTiles(benchmark::State& state, bool blit) {
  static Picture one = makePicture(25, 25, sprite), page = makePicture(800, 600, opaque);
  SDL_Surface *from = surfaceOf(one, true), *to = surfaceOf(page, false);
  for (auto _ : state) {
    for (int y = 0; y < 600; y += 25)
      for (int x = 0; x < 800; x += 25) {
        if (blit) {
          Image_Put(x, y, 0, 0, one.handle, page.handle, 0, 0, 0, 0, 1 | 8 | 32);
        } else {
          SDL_Rect at{int16_t(x), int16_t(y), 25, 25};
          SDL_BlitSurface(from, nullptr, to, &at);
        }
      }
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(from), SDL_FreeSurface(to);
  perPixel(state, 800 * 600);
}
void BM_SpriteSdlBlit(benchmark::State& state) { spriteTiles(state, false); }
void BM_SpriteForm9(benchmark::State& state) { spriteTiles(state, true); }
BENCHMARK(BM_SpriteSdlBlit);
BENCHMARK(BM_SpriteForm9);

void randomPage(benchmark::State& state, bool blit) {
  static Picture noisy = makePicture(800, 600, randomAlpha), page = makePicture(800, 600, opaque);
  SDL_Surface *from = surfaceOf(noisy, true), *to = surfaceOf(page, false);
  for (auto _ : state) {
    if (blit) {
      Image_Put(0, 0, 0, 0, noisy.handle, page.handle, 0, 0, 0, 0, 1 | 8 | 32);
    } else {
      SDL_BlitSurface(from, nullptr, to, nullptr);
    }
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(from), SDL_FreeSurface(to);
  perPixel(state, 800 * 600);
}
void BM_RandomAlphaSdlBlit(benchmark::State& state) { randomPage(state, false); }
void BM_RandomAlphaForm9(benchmark::State& state) { randomPage(state, true); }
BENCHMARK(BM_RandomAlphaSdlBlit);
BENCHMARK(BM_RandomAlphaForm9);
// The same by a slower path than this processor's fastest: 0 the table, 1 four lanes.
void BM_RandomAlphaForm9ByPath(benchmark::State& state) {
  Blend_BuildTables();
  Blend_UsePath(BlendPath(state.range(0)));
  randomPage(state, true);
  Blend_UsePath(Blend_FastestPath());
}
BENCHMARK(BM_RandomAlphaForm9ByPath)->Arg(BLEND_TABLE)->Arg(BLEND_SSE2);

// ---- stretch -------------------------------------------------------------------------------

void stretch(benchmark::State& state, bool blit) {
  static Picture small = makePicture(100, 100, opaque), page = makePicture(800, 600, opaque);
  SDL_Surface *from = surfaceOf(small, false), *to = surfaceOf(page, false);
  for (auto _ : state) {
    if (blit) {
      Image_Put(170, 70, 629, 529, small.handle, page.handle, 0, 0, 0, 0, 1 | 4 | 8 | 32);
    } else {
      SDL_Rect at{170, 70, 460, 460};
      SDL_SoftStretch(from, nullptr, to, &at);
    }
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(from), SDL_FreeSurface(to);
  perPixel(state, 460 * 460);
}
void BM_StretchSdlSoftStretch(benchmark::State& state) { stretch(state, false); }
void BM_StretchForm13(benchmark::State& state) { stretch(state, true); }
BENCHMARK(BM_StretchSdlSoftStretch);
BENCHMARK(BM_StretchForm13);

// The alpha sprite fitted to 100 x 100, against copying the same destination bytes.
void stretchedSprite(benchmark::State& state, bool blit) {
  static Picture one = makePicture(25, 25, sprite), page = makePicture(800, 600, opaque), clean = makePicture(800, 600, opaque);
  for (auto _ : state) {
    if (blit) {
      Image_Put(350, 250, 449, 349, one.handle, page.handle, 0, 0, 0, 0, 1 | 4 | 8 | 32);
    } else {
      for (int y = 250; y < 350; y++) std::memcpy(page.r->pixels + y * 800 + 350, clean.r->pixels + y * 800 + 350, 400);
    }
    benchmark::ClobberMemory();
  }
  perPixel(state, 100 * 100);
}
void BM_StretchedSpriteMemcpy(benchmark::State& state) { stretchedSprite(state, false); }
void BM_StretchedSpriteForm45(benchmark::State& state) { stretchedSprite(state, true); }
BENCHMARK(BM_StretchedSpriteMemcpy);
BENCHMARK(BM_StretchedSpriteForm45);

}  // namespace
