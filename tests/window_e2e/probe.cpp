// A program that only dresses and places its window, for the end-to-end check under X.
//   window_probe at      Window_Move(100, 1) before the 800 x 600 page makes the window again
//   window_probe centre  Window_Move centring, after the page is shown
//   window_probe switch  full screen and back ten times while the game thread asks where the
//                        frame is, and then the end (exit code 0)
// It ends itself after 60 seconds.
#include <cstring>

#include "graphics/draw.h"
#include "graphics/image.h"
#include "graphics/present.h"
#include "graphics/screen.h"
#include "graphics/window.h"
#include "icon_pattern.h"
#include "runtime/clock.h"
#include "runtime/event.h"
#include "host/host.h"
#include "platform/platform.h"

static bool centre, switching;

static void idle(double seconds) {
  for (int i = 0; i < int(seconds * 50); i++) {
    Clock_Delay(0.02);
    Event_Check(2);
  }
}

// The manager drops the frame of a window withdrawn on the way back from full screen; questions
// about the frame meanwhile must not end the program.
static void switchWhileAsking() {
  for (int32_t i = 1; i <= 20; i++) {
    Present_AskFullScreen(i % 2);
    for (int32_t x, y, w, h; Present_FullScreenAsked();) Sys_WindowFrameRect(&x, &y, &w, &h);
    idle(0.1);
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
  if (switching) {
    switchWhileAsking();
    Program_End();
  }
  if (centre) {
    idle(0.5);
    Window_Move(0, 0, WINDOW_CENTRE);
  }
  idle(60);
  Program_End();
}

int main(int argc, char** argv) {
  centre = argc > 1 && std::strcmp(argv[1], "centre") == 0;
  switching = argc > 1 && std::strcmp(argv[1], "switch") == 0;
  return Host_Run(entry);
}
