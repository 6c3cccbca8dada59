// screen_saver SECONDS: whether the X server's screensaver comes on within SECONDS, asked of its
// extension ten times a second (a saver that blanks shows nothing on Xvfb). Prints "never on"
// (exit 0) or "on after N ms" (exit 1); exit 2 without a display or the extension.
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  int unused;
  XScreenSaverInfo* info = XScreenSaverAllocInfo();
  if (argc != 2 || display == nullptr || info == nullptr || !XScreenSaverQueryExtension(display, &unused, &unused)) return 2;
  int on = -1;
  for (int look = 0; on < 0 && look <= 10 * std::atoi(argv[1]); look++, usleep(100000))
    if (XScreenSaverQueryInfo(display, DefaultRootWindow(display), info) && info->state == ScreenSaverOn) on = look;
  XFree(info);
  XCloseDisplay(display);
  if (on >= 0) return std::printf("on after %d ms\n", 100 * on), 1;
  return std::printf("never on\n"), 0;
}
