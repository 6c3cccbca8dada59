// A program that only dresses and places its window, for the end-to-end check under X.
//   window_probe at      Window_Move(100, 1) before the 800 x 600 page makes the window again
//   window_probe centre  Window_Move centring, after the page is shown
// It ends itself after 60 seconds.
#include <cstring>

#include "graphics/draw.h"
#include "graphics/image.h"
#include "graphics/screen.h"
#include "graphics/window.h"
#include "icon_pattern.h"
#include "runtime/clock.h"
#include "runtime/event.h"
#include "host/host.h"

static bool centre;

static void idle(double seconds) {
  for (int i = 0; i < int(seconds * 50); i++) {
    Clock_Delay(0.02);
    Event_Check(2);
  }
}

static void entry() {
  if (!centre) Window_Move(100, 1, WINDOW_AT);
  Event_Check(1);
  int32_t page = Image_New(800, 600);
  Screen_Set(page);
  Draw_FillBox(0, 0, 799, 599, 0xFF204060);
  Window_SetTitle(PROBE_CAPTION);
  int32_t icon = Image_New(64, 64);
  ImageRecord* r = Image_Record(-icon);
  for (int y = 0; y < 64; y++)
    for (int x = 0; x < 64; x++) r->pixels[y * 64 + x] = IconPattern_Pixel(x, y);
  Window_SetIcon(icon);
  Image_Free(icon, 1);
  Event_Check(3);
  if (centre) {
    idle(0.5);
    Window_Move(0, 0, WINDOW_CENTRE);
  }
  idle(60);
  Program_End();
}

int main(int argc, char** argv) {
  centre = argc > 1 && std::strcmp(argv[1], "centre") == 0;
  return Host_Run(entry);
}
