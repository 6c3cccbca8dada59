// screen_saver: whether the X server's screensaver came on during the next few seconds, looked
// at ten times a second through its own extension (a saver that blanks shows nothing on Xvfb).
// Usage: screen_saver SECONDS. Prints "never on" (exit 0) or "on after N ms" (exit 1); exit 2
// without a display or the extension.
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  int eventBase, errorBase;
  XScreenSaverInfo* info = XScreenSaverAllocInfo();
  if (argc != 2 || display == nullptr || info == nullptr || !XScreenSaverQueryExtension(display, &eventBase, &errorBase)) {
    std::fprintf(stderr, "screen_saver: no display with the screensaver extension\n");
    return 2;
  }
  for (int look = 0; look <= 10 * std::atoi(argv[1]); look++) {
    if (look > 0) usleep(100000);
    if (XScreenSaverQueryInfo(display, DefaultRootWindow(display), info) && info->state == ScreenSaverOn) {
      std::printf("on after %d ms\n", 100 * look);
      return 1;
    }
  }
  std::printf("never on\n");
  return 0;
}
