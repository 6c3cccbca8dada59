// pointer_shown: whether the X server shows a visible pointer right now. A program that hides
// its pointer over its window gets a blank cursor there, so this asks the server (XFixes) for the
// cursor image it draws and looks for any pixel that is not fully transparent.
// Usage: pointer_shown. Prints "shown" or "hidden"; exit code 0, 1 without XFixes or a display.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "pointer_shown: cannot open the display\n");
    return 1;
  }
  int eventBase = 0, errorBase = 0;
  if (!XFixesQueryExtension(display, &eventBase, &errorBase)) {
    std::fprintf(stderr, "pointer_shown: the server has no XFixes\n");
    XCloseDisplay(display);
    return 1;
  }
  XFixesCursorImage* image = XFixesGetCursorImage(display);
  if (image == nullptr) {
    std::fprintf(stderr, "pointer_shown: no cursor image\n");
    XCloseDisplay(display);
    return 1;
  }
  // Pixels are ARGB in unsigned longs; the alpha byte decides.
  bool visible = false;
  const unsigned long count = static_cast<unsigned long>(image->width) * image->height;
  for (unsigned long i = 0; i < count && !visible; i++) visible = ((image->pixels[i] >> 24) & 0xFF) != 0;
  std::printf("%s\n", visible ? "shown" : "hidden");
  XFree(image);
  XCloseDisplay(display);
  return 0;
}
