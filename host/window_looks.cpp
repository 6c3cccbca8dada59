// window_looks.cpp: the default pointer and icon, made at start-up by the main thread.
// No state: the cursor made is the main loop's to free.
#include "host/window_looks.h"

#include <cstdint>

#include "platform/platform.h"

// The pointer: a 32 x 32 arrow with its hot spot at the top-left pixel. 'X' black, '.' white,
// blank transparent; rows not listed are blank.
static const char* const arrowRows[] = {
    "X",          "XX",          "X.X",          "X..X",         "X...X",      "X....X",   "X.....X",
    "X......X",   "X.......X",   "X........X",   "X.........X",  "X......XXXXX", "X...X..X", "X..XX..X",
    "X.X  X..X",  "XX   X..X",   "X     X..X",   "      X..X",   "       X..X",  "       X..X", "        XX",
};

SDL_Cursor* WindowLooks_MakeArrow() {
  uint8_t data[32 * 4] = {}, mask[32 * 4] = {};
  for (size_t row = 0; row < sizeof arrowRows / sizeof *arrowRows; row++) {
    for (int col = 0; arrowRows[row][col] != '\0'; col++) {
      char c = arrowRows[row][col];
      uint8_t bit = uint8_t(0x80 >> (col % 8));
      size_t at = row * 4 + size_t(col / 8);
      if (c == 'X') data[at] |= bit, mask[at] |= bit;
      if (c == '.') mask[at] |= bit;
    }
  }
  return SDL_CreateCursor(data, mask, 32, 32, 0, 0);
}

void WindowLooks_SetDefaultIcon() {
  SDL_Surface* icon = SDL_CreateRGBSurface(SDL_SWSURFACE, 32, 32, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
  if (icon == nullptr) return;
  uint32_t pixels[1024];
  for (int y = 0; y < 32; y++) {
    uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(icon->pixels) + y * icon->pitch);
    for (int x = 0; x < 32; x++) {
      int dx = 2 * x - 31, dy = 2 * y - 31, r2 = dx * dx + dy * dy;
      bool ring = r2 >= 22 * 22 && r2 <= 29 * 29, cross = (x == 15 || y == 15) && r2 < 22 * 22;
      row[x] = ring ? 0x0040C8A0 : cross ? 0x0080FFC0 : 0x00081820;
      pixels[y * 32 + x] = row[x] | 0xFF000000;
    }
  }
  SDL_WM_SetIcon(icon, nullptr);
  Sys_WindowCompleteIcon(pixels);
  SDL_FreeSurface(icon);
}
