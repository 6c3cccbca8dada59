// libFuzzer driver for the font loader: random bytes go into a file, which Font_Load opens at a
// few cell heights and styles, and every printable character is rendered from each face that
// loads, shaded and solid, as text output would. Every rendered surface must hold the pixels it
// claims, and every face is closed again.
#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/fuzz_support.h"
#include "text/font.h"

static void fail(const char* what) {
  std::fprintf(stderr, "font loader: %s\n", what);
  std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int started = TTF_Init();
  if (started != 0) fail("SDL_ttf does not start");
  std::string path = Fuzz_WriteFile(data, size);
  static const struct {
    double size;
    const char* options;
  } opens[] = {{8, ""}, {16, "BOLD, ITALIC, UNDERLINE"}, {30, "MONOSPACE, DONTBLEND"}};
  for (const auto& open : opens) {
    int32_t handle = Font_Load(path, open.size, open.options, true);
    if (pendingError != 0) fail("raised an error");
    if (handle == -1) continue;
    if (handle < FONT_FIRST_LOADED) fail("neither a font nor -1");
    for (uint16_t ch = 32; ch < 127; ch++)
      for (bool shaded : {true, false}) {
        SDL_Surface* glyph = Font_RenderGlyph(handle, ch, shaded);
        if (glyph == nullptr) continue;
        if (glyph->w < 0 || glyph->h < 0 || glyph->pitch < glyph->w) fail("glyph size");
        // The surface's own allocation: AddressSanitizer checks its first and last byte.
        const volatile uint8_t* pixels = static_cast<const uint8_t*>(glyph->pixels);
        if (glyph->h > 0) glyph->unused1 = pixels[0] | pixels[size_t(glyph->pitch) * size_t(glyph->h) - 1];
        SDL_FreeSurface(glyph);
      }
    Font_Free(handle);
    if (Font_Get(handle) != nullptr) fail("a face stayed open");
  }
  return 0;
}
