// window.cpp: the program's window placed and dressed, and the pointer found over it, through
// the X server.
//
// Owns the native window once it is learnt (after the first mode set, on the main thread) and
// the frame place last asked for by the game, so that the presentation can keep the window
// there when it makes the surface again. Both are published through atomics: the display and
// window are written before handleState says they are known, and never change afterwards.
// Also owns the icon pixels last given and the icon pixmaps made here: the main thread uses
// them only before it publishes the window, the game thread only after; and the X error handler
// set over the libraries' once the window is known, which forgives a frame that went away.
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

static std::atomic<int> handleState{SYS_WINDOW_NOT_YET};
static Display* windowDisplay;
static Window windowTop;  // SDL's top-level window, the one a window manager frames

static std::atomic<bool> placeRemembered{false};
static std::atomic<int64_t> rememberedPlace{0};  // x in the high half, y in the low half

// The manager's frame windows come and go on its own time: one may be gone between two
// questions about it (a window withdrawn on the way back from full screen loses its frame).
// Xlib's default answer to such an error, which the libraries pass on, ends the process; while
// a thread asks about them, an error is the failure of the call that caused it. A round trip's
// error reaches the handler on the thread that waits for its reply.
static thread_local bool askingAboutFrames;
static XErrorHandler libraryErrorHandler;  // set once, on the main thread, before the game asks

static int frameGoneOrError(Display* display, XErrorEvent* error) {
  if (askingAboutFrames) return 0;
  return libraryErrorHandler != nullptr ? libraryErrorHandler(display, error) : 0;
}

struct AskingAboutFrames {
  bool already = askingAboutFrames;
  AskingAboutFrames() { askingAboutFrames = true; }
  ~AskingAboutFrames() { askingAboutFrames = already; }
};

static bool sdlWindow(Display** display, Window* frame) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11) return false;
  *display = info.info.x11.display;
  // The classic library draws into a child of the window it hands the manager; the library
  // made over SDL 2 has only the one window and leaves wmwindow empty.
  *frame = info.info.x11.wmwindow != 0 ? info.info.x11.wmwindow : info.info.x11.window;
  return *frame != 0;
}

static void giveIcon(Display* display, Window top);
static void giveIconName(Display* display, Window top, const char* name);

void Sys_WindowFetchHandle() {
  if (handleState.load() != SYS_WINDOW_NOT_YET) return;
  Display* display;
  Window top;
  if (!sdlWindow(&display, &top)) {
    handleState = SYS_WINDOW_NONE;
    return;
  }
  windowDisplay = display;
  windowTop = top;
  libraryErrorHandler = XSetErrorHandler(frameGoneOrError);
  // Whatever the server shows of the window before a frame is drawn into it is black, not the
  // library's white: a switch to full screen grows the window before its first frame there.
  XSetWindowBackground(display, top, BlackPixel(display, DefaultScreen(display)));
  // What was given before the window existed.
  giveIcon(display, top);
  char *caption = nullptr, *iconName = nullptr;
  SDL_WM_GetCaption(&caption, &iconName);
  giveIconName(display, top, iconName != nullptr ? iconName : caption);
  handleState.store(SYS_WINDOW_KNOWN, std::memory_order_release);
}

SysWindowHandle Sys_WindowHandleState() { return static_cast<SysWindowHandle>(handleState.load(std::memory_order_acquire)); }

static bool knownWindow(Display** display, Window* top) {
  if (Sys_WindowHandleState() != SYS_WINDOW_KNOWN) return false;
  *display = windowDisplay;
  *top = windowTop;
  return true;
}

// The decoration widths the window manager publishes: left, right, top, bottom.
static bool frameExtents(Display* display, Window window, long extents[4]) {
  Atom atom = XInternAtom(display, "_NET_FRAME_EXTENTS", True);
  if (atom == None) return false;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, atom, 0, 4, False, XA_CARDINAL, &type, &format, &count, &after, &data) != Success)
    return false;
  bool found = data != nullptr && type == XA_CARDINAL && format == 32 && count == 4;
  if (found)
    for (int i = 0; i < 4; i++) extents[i] = reinterpret_cast<long*>(data)[i];
  if (data != nullptr) XFree(data);
  return found;
}

// The child of the root that holds window: the manager's frame, or the window itself.
static Window outermost(Display* display, Window window) {
  AskingAboutFrames asking;
  for (;;) {
    Window root, parent, *children = nullptr;
    unsigned count;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return window;
    if (children != nullptr) XFree(children);
    if (parent == root || parent == None) return window;
    window = parent;
  }
}

bool Sys_WindowFrameRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
  Display* display;
  Window top;
  if (!knownWindow(&display, &top)) return false;
  XWindowAttributes client;
  if (!XGetWindowAttributes(display, top, &client)) return false;
  long extents[4];
  if (frameExtents(display, top, extents)) {
    int cx, cy;
    Window child;
    XTranslateCoordinates(display, top, client.root, 0, 0, &cx, &cy, &child);
    *x = int32_t(cx - extents[0]);
    *y = int32_t(cy - extents[2]);
    *width = int32_t(client.width + extents[0] + extents[1]);
    *height = int32_t(client.height + extents[2] + extents[3]);
    return true;
  }
  XWindowAttributes frame;
  AskingAboutFrames asking;
  if (!XGetWindowAttributes(display, outermost(display, top), &frame)) return false;
  *x = frame.x;
  *y = frame.y;
  *width = frame.width + 2 * frame.border_width;
  *height = frame.height + 2 * frame.border_width;
  return true;
}

bool Sys_WindowClientSize(int32_t* width, int32_t* height) {
  Display* display;
  Window top;
  XWindowAttributes client;
  if (!knownWindow(&display, &top) || !XGetWindowAttributes(display, top, &client)) return false;
  *width = client.width;
  *height = client.height;
  return true;
}

// Asked of SDL's drawing window, whose pixels are the ones SDL_WarpMouse takes, at each call:
// full screen puts that window in another parent.
SysPointerPlace Sys_PointerPosition(int32_t* x, int32_t* y) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (Sys_WindowHandleState() != SYS_WINDOW_KNOWN || SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11)
    return SYS_POINTER_UNKNOWN;
  Display* display = info.info.x11.display;
  Window root, child;
  int rootX, rootY, windowX, windowY;
  unsigned buttons;
  XWindowAttributes drawing;
  if (!XGetWindowAttributes(display, info.info.x11.window, &drawing) ||
      !XQueryPointer(display, info.info.x11.window, &root, &child, &rootX, &rootY, &windowX, &windowY, &buttons))
    return SYS_POINTER_OUTSIDE;  // on another screen
  *x = windowX;
  *y = windowY;
  bool inside = windowX >= 0 && windowY >= 0 && windowX < drawing.width && windowY < drawing.height;
  return inside ? SYS_POINTER_INSIDE : SYS_POINTER_OUTSIDE;
}

void Sys_WarpPointer(int32_t x, int32_t y) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (Sys_WindowHandleState() != SYS_WINDOW_KNOWN || SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11) return;
  XWarpPointer(info.info.x11.display, None, info.info.x11.window, 0, 0, 0, 0, x, y);
  XSync(info.info.x11.display, False);
}

bool Sys_DesktopSize(int32_t* width, int32_t* height) {
  Display* display;
  Window top;
  if (!knownWindow(&display, &top)) return false;
  *width = DisplayWidth(display, DefaultScreen(display));
  *height = DisplayHeight(display, DefaultScreen(display));
  return true;
}

// Asked on a connection of its own, as it is wanted before SDL has made its window.
bool Sys_WorkAreaSize(int32_t* width, int32_t* height) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  Window root = DefaultRootWindow(display);
  *width = DisplayWidth(display, DefaultScreen(display));
  *height = DisplayHeight(display, DefaultScreen(display));
  // _NET_WORKAREA holds x, y, width, height for each desktop; the current one counts.
  long desktop = 0;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, root, XInternAtom(display, "_NET_CURRENT_DESKTOP", False), 0, 1, False,
                         XA_CARDINAL, &type, &format, &count, &after, &data) == Success && data != nullptr) {
    if (count == 1) desktop = reinterpret_cast<long*>(data)[0];
    XFree(data);
    data = nullptr;
  }
  if (XGetWindowProperty(display, root, XInternAtom(display, "_NET_WORKAREA", False), desktop * 4, 4, False,
                         XA_CARDINAL, &type, &format, &count, &after, &data) == Success && data != nullptr) {
    if (count == 4) {
      *width = int32_t(reinterpret_cast<long*>(data)[2]);
      *height = int32_t(reinterpret_cast<long*>(data)[3]);
    }
    XFree(data);
  }
  XCloseDisplay(display);
  return true;
}

int32_t Sys_DesktopScale() {
  if (const char* gdk = std::getenv("GDK_SCALE"); gdk != nullptr && *gdk != '\0') {
    char* end;
    long scale = std::strtol(gdk, &end, 10);
    if (*end == '\0' && scale >= 1) return int32_t(std::min(scale, 16L));
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  double dpi = 0;
  // The resource string holds one "name:\tvalue" a line, as xrdb left it.
  if (const char* resources = XResourceManagerString(display); resources != nullptr)
    for (const char* line = resources; line != nullptr && *line != '\0'; line = std::strchr(line, '\n')) {
      if (*line == '\n') line++;
      if (std::strncmp(line, "Xft.dpi:", 8) == 0) dpi = std::strtod(line + 8, nullptr);
    }
  XCloseDisplay(display);
  return dpi >= 192 ? int32_t(std::min(dpi / 96, 16.0)) : 1;
}

// The window manager answers a move on its own time: look for up to about 300 ms.
static bool frameArrives(int32_t x, int32_t y, int32_t* atX, int32_t* atY) {
  for (int look = 0; look < 30; look++) {
    int32_t w, h;
    if (!Sys_WindowFrameRect(atX, atY, &w, &h)) return false;
    if (*atX == x && *atY == y) return true;
    Sys_Sleep(10);
  }
  return false;
}

// A manager that frames the window takes a move of the top-level window as a move of the
// frame's corner; one that places the client instead, or that drops a request equal to where
// it believes the window is, gets one corrected request.
static void moveFrame(int32_t x, int32_t y) {
  Display* display;
  Window top;
  if (!knownWindow(&display, &top)) return;
  XMoveWindow(display, top, x, y);
  XSync(display, False);
  int32_t atX, atY;
  if (frameArrives(x, y, &atX, &atY)) return;
  XMoveWindow(display, top, x + (x - atX), y + (y - atY));
  XSync(display, False);
  frameArrives(x, y, &atX, &atY);
}

void Sys_WindowPlaceFrame(int32_t x, int32_t y) {
  rememberedPlace = int64_t(uint64_t(uint32_t(x)) << 32 | uint32_t(y));
  placeRemembered = true;
  moveFrame(x, y);
}

void Sys_WindowRememberPlace() {
  int32_t x, y, w, h;
  if (!Sys_WindowFrameRect(&x, &y, &w, &h)) return;
  rememberedPlace = int64_t(uint64_t(uint32_t(x)) << 32 | uint32_t(y));
  placeRemembered = true;
}

void Sys_WindowKeepPlace() {
  if (!placeRemembered.load()) return;
  uint64_t place = uint64_t(rememberedPlace.load());
  int32_t x = int32_t(uint32_t(place >> 32)), y = int32_t(uint32_t(place));
  int32_t atX, atY;
  if (frameArrives(x, y, &atX, &atY)) return;
  moveFrame(x, y);
}

// The library's full screen fills the display: the classic library in a mode of the page's
// size, the one over SDL 2 on the desktop as it is.
bool Sys_FullScreenAsWindow(int32_t*, int32_t*) { return false; }
void Sys_WindowCoverMonitor() {}

// Withdrawn: unmapped, and the manager's frame gone with it.
static bool withdrawn(Display* display, Window top) {
  XWindowAttributes a;
  return XGetWindowAttributes(display, top, &a) && a.map_state == IsUnmapped && outermost(display, top) == top;
}

void Sys_WindowWithdraw() {
  Display* display;
  Window top;
  if (!knownWindow(&display, &top)) return;
  XWithdrawWindow(display, top, DefaultScreen(display));
  XSync(display, False);
  for (int look = 0; look < 30 && !withdrawn(display, top); look++) Sys_Sleep(10);
}

// The decorations asked of the manager through the Motif hints, the one property every manager
// reads for them: flags 2 (decorations given), then 1 (all) or 0 (none).
void Sys_WindowShowFrame(bool shown) {
  Display* display;
  Window top;
  if (!knownWindow(&display, &top)) return;
  long hints[5] = {2, 0, shown ? 1 : 0, 0, 0};
  Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
  XChangeProperty(display, top, motif, motif, 32, PropModeReplace, reinterpret_cast<unsigned char*>(hints), 5);
  XSync(display, False);
}

// A manager places a window that asks for its own place with its frame's corner there.
void Sys_WindowShowAtPlace() {
  Display* display;
  Window top;
  if (!knownWindow(&display, &top)) return;
  uint64_t place = uint64_t(rememberedPlace.load());
  int32_t x = int32_t(uint32_t(place >> 32)), y = int32_t(uint32_t(place));
  bool atPlace = placeRemembered.load();
  if (atPlace) {
    XSizeHints hints{};
    long given = 0;
    XGetWMNormalHints(display, top, &hints, &given);
    hints.flags |= USPosition | PPosition | PWinGravity;
    hints.x = x, hints.y = y;
    hints.win_gravity = NorthWestGravity;
    XSetWMNormalHints(display, top, &hints);
    XMoveWindow(display, top, x, y);
  }
  XMapRaised(display, top);
  XSync(display, False);
  // Shown means framed by the manager, when there is one, and at its place.
  for (int look = 0; look < 50; look++) {
    XWindowAttributes a;
    int32_t atX, atY, w, h;
    bool framed = XGetWindowAttributes(display, top, &a) && a.map_state == IsViewable && outermost(display, top) != top;
    if (framed && (!atPlace || (Sys_WindowFrameRect(&atX, &atY, &w, &h) && atX == x && atY == y))) return;
    Sys_Sleep(10);
  }
  if (atPlace) moveFrame(x, y);
}

// ---- the icon and minimised caption in the properties every window manager reads ----------

static std::atomic<uint32_t> iconPixels[1024];
static std::atomic<bool> iconGiven{false};
static Pixmap ownIcon = None, ownMask = None;

// An 8-bit channel scaled into the bits of a visual's mask.
static unsigned long channel(uint32_t value, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) shift++;
  unsigned long top = mask >> shift;
  return ((value * top + 127) / 255) << shift;
}

static bool makeIconPixmaps(Display* display, Pixmap* icon, Pixmap* mask) {
  int screen = DefaultScreen(display);
  Visual* visual = DefaultVisual(display, screen);
  int depth = DefaultDepth(display, screen);
  if (visual->c_class != TrueColor) return false;
  XImage* image = XCreateImage(display, visual, unsigned(depth), ZPixmap, 0, nullptr, 32, 32, 32, 0);
  if (image == nullptr) return false;
  image->data = static_cast<char*>(std::calloc(size_t(image->bytes_per_line) * 32, 1));
  unsigned char bits[32 * 4] = {};
  for (int y = 0; y < 32; y++)
    for (int x = 0; x < 32; x++) {
      uint32_t c = iconPixels[y * 32 + x].load(std::memory_order_relaxed);
      XPutPixel(image, x, y,
                channel(c >> 16 & 255, visual->red_mask) | channel(c >> 8 & 255, visual->green_mask) |
                    channel(c & 255, visual->blue_mask));
      if (c >> 24 == 255) bits[y * 4 + x / 8] |= uint8_t(1 << (x % 8));
    }
  Window root = RootWindow(display, screen);
  *icon = XCreatePixmap(display, root, 32, 32, unsigned(depth));
  GC gc = XCreateGC(display, *icon, 0, nullptr);
  XPutImage(display, *icon, gc, image, 0, 0, 0, 0, 32, 32);
  XFreeGC(display, gc);
  XDestroyImage(image);
  *mask = XCreateBitmapFromData(display, root, reinterpret_cast<char*>(bits), 32, 32);
  return true;
}

// Only a window without an icon pixmap, or with the one made here, gets a new one.
static void giveIcon(Display* display, Window top) {
  if (!iconGiven.load()) return;
  XWMHints* hints = XGetWMHints(display, top);
  XWMHints blank{};
  XWMHints* h = hints != nullptr ? hints : &blank;
  bool libraryIcon = (h->flags & IconPixmapHint) && h->icon_pixmap != ownIcon;
  Pixmap icon, mask;
  if (!libraryIcon && makeIconPixmaps(display, &icon, &mask)) {
    h->flags |= IconPixmapHint | IconMaskHint;
    h->icon_pixmap = icon;
    h->icon_mask = mask;
    XSetWMHints(display, top, h);
    if (ownIcon != None) XFreePixmap(display, ownIcon);
    if (ownMask != None) XFreePixmap(display, ownMask);
    ownIcon = icon;
    ownMask = mask;
    XFlush(display);
  }
  if (hints != nullptr) XFree(hints);
}

static void giveIconName(Display* display, Window top, const char* name) {
  if (name == nullptr) return;
  char* now = nullptr;
  bool same = XGetIconName(display, top, &now) && now != nullptr && std::strcmp(now, name) == 0;
  if (now != nullptr) XFree(now);
  if (same) return;
  XSetIconName(display, top, name);
  XFlush(display);
}

void Sys_HoldOffScreenSaver() {
  static const bool allowed = [] {
    const char* allow = std::getenv("SDL_VIDEO_ALLOW_SCREENSAVER");
    return allow != nullptr && std::atoi(allow) != 0;
  }();
  Display* display;
  Window top;
  if (allowed || !knownWindow(&display, &top)) return;
  XResetScreenSaver(display);
  XFlush(display);
}

void Sys_WindowCompleteIcon(const uint32_t pixels[1024]) {
  for (int i = 0; i < 1024; i++) iconPixels[i].store(pixels[i], std::memory_order_relaxed);
  iconGiven = true;
  Display* display;
  Window top;
  if (knownWindow(&display, &top)) giveIcon(display, top);
}

void Sys_WindowCompleteIconName(const std::string& name) {
  Display* display;
  Window top;
  if (knownWindow(&display, &top)) giveIconName(display, top, name.c_str());
}
