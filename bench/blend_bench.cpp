// The blend rule per pixel and the blend-table build, each beside a plain reference.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "graphics/blend.h"

static const size_t PIXELS = 800 * 600;

// A page of random colours; alpha random, or 255 when opaque.
static std::vector<uint32_t> randomPixels(bool opaque, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint32_t> pixels(PIXELS);
  for (uint32_t& p : pixels) p = opaque ? random() | 0xFF000000u : random();
  return pixels;
}

static void blendPage(benchmark::State& state, bool opaque) {
  Blend_BuildTables();
  std::vector<uint32_t> source = randomPixels(opaque, 1), dest = randomPixels(false, 2);
  for (auto _ : state) {
    for (size_t i = 0; i < PIXELS; i++) dest[i] = Blend_Pixel(dest[i], source[i]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(PIXELS));
}

static void BM_BlendRandomAlpha(benchmark::State& state) { blendPage(state, false); }
static void BM_BlendOpaque(benchmark::State& state) { blendPage(state, true); }

// Reference: the same pixels copied without blending.
static void BM_CopyPixels(benchmark::State& state) {
  std::vector<uint32_t> source = randomPixels(false, 1), dest(PIXELS);
  for (auto _ : state) {
    for (size_t i = 0; i < PIXELS; i++) dest[i] = source[i];
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(PIXELS));
}

BENCHMARK(BM_BlendRandomAlpha);
BENCHMARK(BM_BlendOpaque);
BENCHMARK(BM_CopyPixels);

// The table build as on first need: fresh memory every time, so page faults count.
static void BM_BlendTableBuild(benchmark::State& state) {
  static uint8_t alpha[65536];
  for (auto _ : state) {
    uint8_t* table = static_cast<uint8_t*>(std::malloc(256 * 65536));
    Blend_FillTables(table, alpha);
    benchmark::DoNotOptimize(table);
    std::free(table);
  }
}

// Reference: the same bytes computed one entry at a time with a rounding call.
static void BM_BlendTableBuildNaive(benchmark::State& state) {
  for (auto _ : state) {
    uint8_t* table = static_cast<uint8_t*>(std::malloc(256 * 65536));
    for (int a = 0; a < 256; a++) {
      float f = float(a) / 255.0f;
      for (int s = 0; s < 256; s++)
        for (int d = 0; d < 256; d++) table[a * 65536 + s * 256 + d] = uint8_t(std::nearbyint(f * float(s) + (1.0f - f) * float(d)));
    }
    benchmark::DoNotOptimize(table);
    std::free(table);
  }
}

// Reference: only filling 16 MB of fresh memory.
static void BM_Fill16MB(benchmark::State& state) {
  for (auto _ : state) {
    uint8_t* table = static_cast<uint8_t*>(std::malloc(256 * 65536));
    std::memset(table, 1, 256 * 65536);
    benchmark::DoNotOptimize(table);
    std::free(table);
  }
}

BENCHMARK(BM_BlendTableBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlendTableBuildNaive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill16MB)->Unit(benchmark::kMillisecond);
