// The end-to-end checker: finds the probe's window on the X server named by DISPLAY and checks
// its caption, its icon and where its frame sits.
//   window_check frame X Y    the frame's top-left must be at (X, Y)
//   window_check client X Y   the client area's top-left must be at (X, Y)
//   window_check manager      wait (10 s at most) until a window manager runs
// Waits up to 15 s for an 800 x 600 client area, then requires the place to hold for a second.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "icon_pattern.h"

static Display* display;

// Windows come and go while the checker looks (a library may make short-lived ones at start-up):
// a request on one that has gone is no reason to stop.
static int ignoreErrors(Display*, XErrorEvent*) { return 0; }

static Window findNamed(Window w, const char* name) {
  char* got = nullptr;
  if (XFetchName(display, w, &got) && got != nullptr) {
    bool match = std::strcmp(got, name) == 0;
    XFree(got);
    if (match) return w;
  }
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, w, &root, &parent, &children, &count)) return None;
  Window found = None;
  for (unsigned i = 0; i < count && found == None; i++) found = findNamed(children[i], name);
  if (children != nullptr) XFree(children);
  return found;
}

struct Place {
  int frameX, frameY, outerX, outerY, clientX, clientY, width, height;
};

// The frame by the manager's published extents, and again by the outermost ancestor.
static bool place(Window w, Place* p) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(display, w, &a)) return false;
  Window child;
  XTranslateCoordinates(display, w, a.root, 0, 0, &p->clientX, &p->clientY, &child);
  p->width = a.width, p->height = a.height;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
  if (XGetWindowProperty(display, w, extents, 0, 4, False, XA_CARDINAL, &type, &format, &count, &after, &data) != Success ||
      count != 4)
    return false;
  long* e = reinterpret_cast<long*>(data);
  p->frameX = p->clientX - int(e[0]), p->frameY = p->clientY - int(e[2]);
  XFree(data);
  Window top = w;
  for (;;) {
    Window root, parent, *children = nullptr;
    unsigned n;
    if (!XQueryTree(display, top, &root, &parent, &children, &n)) return false;
    if (children != nullptr) XFree(children);
    if (parent == root) break;
    top = parent;
  }
  XWindowAttributes t;
  if (!XGetWindowAttributes(display, top, &t)) return false;
  p->outerX = t.x, p->outerY = t.y;
  return true;
}

static int failures;
static void expect(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  failures += !ok;
}

static void checkIcon(Window w) {
  XWMHints* hints = XGetWMHints(display, w);
  expect(hints != nullptr && (hints->flags & IconPixmapHint) && (hints->flags & IconMaskHint), "icon pixmap and mask in WM_HINTS");
  if (hints == nullptr || !(hints->flags & IconPixmapHint) || !(hints->flags & IconMaskHint)) return;
  Window root;
  int x, y;
  unsigned width, height, border, depth;
  XGetGeometry(display, hints->icon_pixmap, &root, &x, &y, &width, &height, &border, &depth);
  expect(width == 32 && height == 32, "icon is 32 x 32 (" + std::to_string(width) + " x " + std::to_string(height) + ")");
  XImage* picture = XGetImage(display, hints->icon_pixmap, 0, 0, 32, 32, AllPlanes, ZPixmap);
  XImage* mask = XGetImage(display, hints->icon_mask, 0, 0, 32, 32, 1, XYPixmap);
  int wrong = 0;
  for (int iy = 0; iy < 32 && picture && mask; iy++)
    for (int ix = 0; ix < 32; ix++) {
      uint32_t want = IconPattern_Pixel(ix * 2, iy * 2);
      bool shown = (want >> 24) >= 127;
      bool maskBit = XGetPixel(mask, ix, iy) != 0;
      uint32_t rgb = uint32_t(XGetPixel(picture, ix, iy)) & 0xFFFFFF;
      if (maskBit != shown || (shown && rgb != (want & 0xFFFFFF))) wrong++;
    }
  expect(picture && mask && wrong == 0, "icon pixels and mask follow the picture (" + std::to_string(wrong) + " wrong)");
  if (picture) XDestroyImage(picture);
  if (mask) XDestroyImage(mask);
  XFree(hints);
}

// A running manager names its check window on the root window.
static int awaitManager() {
  for (int look = 0; look < 100; look++, usleep(100000)) {
    if (display == nullptr) display = XOpenDisplay(nullptr);
    if (display == nullptr) continue;
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data);
    if (data != nullptr) XFree(data);
    if (count == 1) return 0;
  }
  std::printf("FAIL no window manager came up\n");
  return 1;
}

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "manager") == 0) return awaitManager();
  if (argc != 4) return 2;
  bool frame = std::strcmp(argv[1], "frame") == 0;
  int wantX = std::atoi(argv[2]), wantY = std::atoi(argv[3]);
  display = XOpenDisplay(nullptr);
  if (display == nullptr) return 2;
  XSetErrorHandler(ignoreErrors);
  Window w = None;
  Place p{};
  for (int look = 0; look < 150; look++, usleep(100000)) {
    w = findNamed(DefaultRootWindow(display), PROBE_CAPTION);
    if (w != None && place(w, &p) && p.width == 800 && p.height == 600 &&
        (frame ? p.frameX == wantX && p.frameY == wantY : p.clientX == wantX && p.clientY == wantY))
      break;
  }
  expect(w != None, "a window captioned \"" PROBE_CAPTION "\"");
  if (w == None) return 1;
  usleep(1000000);  // the place must hold, not pass by
  place(w, &p);
  std::string at = " (frame " + std::to_string(p.frameX) + "," + std::to_string(p.frameY) + ", outermost " +
                   std::to_string(p.outerX) + "," + std::to_string(p.outerY) + ", client " + std::to_string(p.clientX) + "," +
                   std::to_string(p.clientY) + ", " + std::to_string(p.width) + " x " + std::to_string(p.height) + ")";
  expect(p.width == 800 && p.height == 600, "client area is 800 x 600" + at);
  if (frame) {
    expect(p.frameX == wantX && p.frameY == wantY && p.outerX == wantX && p.outerY == wantY,
           "frame's top-left at " + std::string(argv[2]) + "," + argv[3] + at);
  } else {
    expect(p.clientX == wantX && p.clientY == wantY, "client area's top-left at " + std::string(argv[2]) + "," + argv[3] + at);
  }
  char* iconName = nullptr;
  XGetIconName(display, w, &iconName);
  expect(iconName != nullptr && std::strcmp(iconName, PROBE_CAPTION) == 0, "minimised caption");
  if (iconName) XFree(iconName);
  checkIcon(w);
  XCloseDisplay(display);
  return failures == 0 ? 0 : 1;
}
