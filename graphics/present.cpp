// present.cpp: the window surface, full screen, and the page drawn into it at its scale.
//
// The main thread's presentation pass owns everything here; the game thread reads the geometry
// (for the pointer) and the full-screen state, and asks for a full-screen state through
// fullScreenRequest. Each shared field is one atomic word: a reader may see the geometry of
// two passes mixed for the moment a mode changes, which moves one pointer reading at most.
#include "graphics/present.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "graphics/scaler.h"
#include "platform/platform.h"
#include "runtime/wake.h"

static struct {
  std::atomic<int32_t> fullScreenState{0};    // 0 window, 1 nearest mode, 2 nearest 4:3 mode
  std::atomic<int32_t> fullScreenRequest{0};  // the state asked for, plus one; 0 = none
  std::atomic<int32_t> offsetX{0}, offsetY{0}, shownW{1}, shownH{1}, pageW{1}, pageH{1};
  std::atomic<bool> windowMade{false};
  std::atomic<bool> pointerVisibilityTaken{false};  // the game shows and hides the pointer
} shared;

static SDL_Surface* windowSurface;
static int32_t windowWidth, windowHeight;
static bool needsConversion;
static std::vector<uint32_t> convertBuffer;
static int32_t fullScreenToggles;
static std::vector<ScreenMode> fullScreenModes;
// The window's pixel repeat: 1 to 4, 0 for the largest that fits the work area, -1 for the
// desktop's scale within that. The fit is found once per page size (autoScaleW x autoScaleH).
static int32_t windowScale = -1, desktopScale = 1;
static int32_t autoScale, autoScaleW, autoScaleH;
static uint32_t firstPageAsked;  // SDL ticks of the first pass that held the window back
static bool firstPageWaited;

// That library reports itself as 1.2.50 or later; the classic one ended at 1.2.15.
bool Present_LibraryOverSdl2() { return SDL_Linked_Version()->patch >= 50; }

// The SDL 1.2 made over SDL 2 grabs the pointer in every full screen, and takes a hidden pointer
// in a grabbed window for a request of relative motion: it stops saying where the pointer is.
// There a hidden pointer is a blank cursor, and SDL's own pointer stays shown.
static SDL_Cursor* blankCursor;  // made once at start-up, before the game thread
static SDL_Cursor* cursorUnderBlank;

// Where full screen is a borderless window over the monitor (it never switches the display's
// mode), its one size is that of the monitor the window stands on.
static void followMonitor() {
  int32_t w, h;
  if (!Sys_FullScreenAsWindow(&w, &h)) return;
  fullScreenModes.assign(1, ScreenMode{uint16_t(w), uint16_t(h)});
}

void Present_Init() {
  SDL_Rect** modes = SDL_ListModes(nullptr, SDL_FULLSCREEN | SDL_SWSURFACE);
  // The library over SDL 2 never switches the display: it lists sizes it would only stretch to
  // the desktop. Of its list the desktop's own size is the one it shows pixel for pixel, as the
  // classic library shows every mode it lists; the page is scaled into it here.
  const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
  bool desktopOnly = Present_LibraryOverSdl2() && desktop != nullptr;
  fullScreenModes.clear();
  if (modes != nullptr && modes != reinterpret_cast<SDL_Rect**>(-1))
    for (int i = 0; modes[i] != nullptr; i++)
      if (!desktopOnly || (modes[i]->w == desktop->current_w && modes[i]->h == desktop->current_h))
        fullScreenModes.push_back({modes[i]->w, modes[i]->h});
  followMonitor();
  desktopScale = Sys_DesktopScale();
  if (Present_LibraryOverSdl2() && blankCursor == nullptr) {
    uint8_t none[4 * 8] = {};
    blankCursor = SDL_CreateCursor(none, none, 8, 8, 0, 0);
  }
}

void Present_SetWindowScale(int32_t scale) { windowScale = scale; }

void Present_SetModes(const std::vector<ScreenMode>& modes) { fullScreenModes = modes; }

// The largest repeat (at most 4, at least 1) whose window, frame included once the window
// manager has framed it, fits the desktop's work area.
static int32_t largestFit(int32_t w, int32_t h) {
  if (autoScaleW == w && autoScaleH == h) return autoScale;
  int32_t areaW = 0, areaH = 0, x, y, outerW = 0, outerH = 0, clientW = 0, clientH = 0;
  if (!Sys_WorkAreaSize(&areaW, &areaH)) areaW = areaH = 0;
  if (Sys_WindowFrameRect(&x, &y, &outerW, &outerH) && Sys_WindowClientSize(&clientW, &clientH))
    areaW -= outerW - clientW, areaH -= outerH - clientH;
  autoScale = 4;
  while (autoScale > 1 && (autoScale * w > areaW || autoScale * h > areaH)) autoScale--;
  autoScaleW = w, autoScaleH = h;
  return autoScale;
}

static int32_t repeatInWindow(int32_t w, int32_t h) {
  if (windowScale > 0) return windowScale;
  if (windowScale == 0) return largestFit(w, h);
  return desktopScale <= 1 ? 1 : std::min(desktopScale, largestFit(w, h));
}

bool Present_WaitsForFirstPage() {
  if (shared.windowMade.load() || windowScale == 1 || (windowScale < 0 && desktopScale <= 1)) return false;
  if (!firstPageWaited) firstPageAsked = SDL_GetTicks(), firstPageWaited = true;
  return SDL_GetTicks() - firstPageAsked < 5000;
}

bool Present_WindowHeldBack() {
  return !shared.windowMade.load() && windowScale != 1 && (windowScale >= 0 || desktopScale > 1);
}

void Present_RequestFullScreenToggle() { fullScreenToggles++; }

int32_t Present_FullScreenState() { return shared.fullScreenState.load(std::memory_order_relaxed); }

bool Present_IsFullScreen() { return Present_FullScreenState() != 0; }

void Present_AskFullScreen(int32_t state) {
  shared.fullScreenRequest = state + 1;
  Wake_Main();
}

bool Present_FullScreenAsked() { return shared.fullScreenRequest.load() != 0; }

bool Present_ModeChangeAsked() { return fullScreenToggles > 0 || Present_FullScreenAsked(); }

PresentGeometry Present_Geometry() {
  return PresentGeometry{shared.offsetX.load(), shared.offsetY.load(), shared.shownW.load(),
                         shared.shownH.load(), shared.pageW.load(),  shared.pageH.load()};
}

void Present_SetGeometry(const PresentGeometry& g) {
  shared.offsetX = g.offsetX, shared.offsetY = g.offsetY;
  shared.shownW = g.shownW, shared.shownH = g.shownH;
  shared.pageW = g.pageW, shared.pageH = g.pageH;
}

void Present_WindowToPage(int32_t wx, int32_t wy, int32_t* px, int32_t* py) {
  *px = Present_ToPage(wx, shared.offsetX.load(), shared.shownW.load(), shared.pageW.load());
  *py = Present_ToPage(wy, shared.offsetY.load(), shared.shownH.load(), shared.pageH.load());
}

// One Alt+Enter moves the state on, if the modes for the page allow it.
static void takeFullScreenToggle(int nearest, int fourThree) {
  if (fullScreenToggles <= 0) return;
  fullScreenToggles--;
  int32_t state = shared.fullScreenState;
  if (state == 0) {
    if (nearest >= 0) state = 1;
  } else if (state == 1) {
    state = (fourThree >= 0 && fourThree != nearest) ? 2 : 0;
  } else {
    state = 0;
  }
  shared.fullScreenState = state;
}

// ---- the pointer's visibility ------------------------------------------------------------

bool Present_PointerShown() {
  if (blankCursor == nullptr) return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
  return SDL_GetCursor() != blankCursor;
}

void Present_ShowPointer(bool shown) {
  if (blankCursor == nullptr) {
    SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
  } else if (shown == (SDL_GetCursor() == blankCursor)) {
    if (!shown) cursorUnderBlank = SDL_GetCursor();
    SDL_SetCursor(shown ? cursorUnderBlank : blankCursor);
  }
}

void Present_TakePointerVisibility() { shared.pointerVisibilityTaken = true; }

// ---- the window surface ------------------------------------------------------------------

static void showBlack() {
  SDL_Surface* surface = windowSurface;
  if (surface == nullptr || (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0)) return;
  for (int32_t y = 0; y < surface->h; y++)
    std::memset(static_cast<uint8_t*>(surface->pixels) + size_t(y) * surface->pitch, 0, size_t(surface->w) * 4);
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  SDL_UpdateRect(surface, 0, 0, 0, 0);
}

// Ask SDL for a surface of the wanted size.
static bool requestSurface(int32_t w, int32_t h, bool full, bool wasFull) {
  // Back from full screen the window would show where the manager last had it, full size,
  // before it went to its place: it is off the desktop meanwhile.
  bool overSdl2 = Present_LibraryOverSdl2(), leaving = wasFull && !full, entering = full && !wasFull && overSdl2;
  if (leaving) Sys_WindowWithdraw();
  // The library over SDL 2 grows the window where it stands before it covers the screen: what
  // it shows meanwhile is black, not the page unscaled in its corner, and without the frame.
  if (entering) showBlack(), Sys_WindowShowFrame(false);
  // Where the system's full screen would change the display's mode, a borderless window covers
  // the monitor instead.
  int32_t monitorW, monitorH;
  bool overMonitor = full && Sys_FullScreenAsWindow(&monitorW, &monitorH);
  SDL_Surface* surface =
      SDL_SetVideoMode(w, h, 32, SDL_SWSURFACE | (overMonitor ? SDL_NOFRAME : full ? SDL_FULLSCREEN : 0));
  if ((leaving && overSdl2) || (entering && surface == nullptr)) Sys_WindowShowFrame(true);
  if (leaving) Sys_WindowShowAtPlace();
  if (surface == nullptr) return false;
  // The native window is known from the first mode set on; a place the game gave it holds.
  Sys_WindowFetchHandle();
  if (overMonitor) Sys_WindowCoverMonitor();
  if (!full && !leaving) Sys_WindowKeepPlace();
  windowSurface = surface;
  windowWidth = w;
  windowHeight = h;
  shared.windowMade = true;
  const SDL_PixelFormat* f = surface->format;
  needsConversion = f->Rmask != 0x00FF0000 || f->Gmask != 0x0000FF00 || f->Bmask != 0x000000FF;
  if (needsConversion) convertBuffer.assign(size_t(w) * h, 0);
  // Until the game takes the pointer, it shows in full screen too: the title's buttons are
  // clicked with it.
  if (!shared.pointerVisibilityTaken.load()) Present_ShowPointer(true);
  // Full screen ends any confinement; a library that confines the pointer in full screen by
  // itself keeps that after the return to the window unless told.
  if (full || wasFull) SDL_WM_GrabInput(SDL_GRAB_OFF);
  return true;
}

static int maskByte(uint32_t mask) {
  switch (mask) {
    case 0x000000FF: return 0;
    case 0x0000FF00: return 1;
    case 0x00FF0000: return 2;
    default: return 3;
  }
}

// Write the buffer's colour bytes where the surface's masks want them, within the window
// rectangle r; its fourth byte stays.
static void convertInto(SDL_Surface* surface, const SDL_Rect& r) {
  const SDL_PixelFormat* f = surface->format;
  int rb = maskByte(f->Rmask), gb = maskByte(f->Gmask), bb = maskByte(f->Bmask);
  for (int32_t y = r.y; y < r.y + r.h; y++) {
    uint8_t* row = static_cast<uint8_t*>(surface->pixels) + size_t(y) * surface->pitch;
    const uint32_t* from = convertBuffer.data() + size_t(y) * windowWidth;
    for (int32_t x = r.x; x < r.x + r.w; x++) {
      uint32_t c = from[x];
      row[x * 4 + bb] = uint8_t(c);
      row[x * 4 + gb] = uint8_t(c >> 8);
      row[x * 4 + rb] = uint8_t(c >> 16);
    }
  }
}

// ---- across a switch ---------------------------------------------------------------------
//
// A new surface moves the page under the pointer: the libraries put the pointer at the screen's
// centre or keep its window pixel. The page pixel under it is read before and the pointer put
// back over it after; a pointer outside the window stays where it is.

static bool pointerOverPage(int32_t* px, int32_t* py) {
  int32_t x, y;
  if (!shared.windowMade.load() || Sys_PointerPosition(&x, &y) != SYS_POINTER_INSIDE) return false;
  Present_WindowToPage(x, y, px, py);
  return true;
}

static void pointerToPage(int32_t px, int32_t py) {
  PresentGeometry g = Present_Geometry();
  int32_t x = Present_ToWindow(px, g.offsetX, g.shownW, g.pageW), y = Present_ToWindow(py, g.offsetY, g.shownH, g.pageH);
  // The library learns the place (its own warp may be skipped while the window is new), the
  // window system puts the pointer there.
  SDL_WarpMouse(Uint16(x), Uint16(y));
  Sys_WarpPointer(x, y);
}

// ---- what changed since the last pass ----------------------------------------------------
//
// The page as the last pass showed it. A moving sight has the game restore the whole scope
// view and draw the sight again: thousands of pixels change, not the hundreds of thousands
// drawn, so the pass compares the touched rectangle with the shown page and draws only the
// bound of what differs. The window is drawn from this copy, never from the page itself: the
// game draws on while the pass runs, and a pixel read twice could be shown as it was after
// the comparison yet kept as it was before, and then never drawn again.
//
// These two loops are the pass's only reads of the page, and a frame may catch a drawing in
// progress; the next pass shows the rest. ThreadSanitizer is kept out of them (plain loops, not
// memcpy, which it intercepts): each pixel the game draws would otherwise be a race to look up
// and match to its suppression, which slows the presentation to a crawl once the game draws
// whole screens, and loses the reading stack when the history runs out.
static std::vector<uint32_t> shownPage;
static int32_t shownPageW, shownPageH;

__attribute__((no_sanitize("thread")))
static void keepShownPage(const uint32_t* pixels, int32_t w, int32_t h) {
  shownPage.resize(size_t(w) * h);
  for (size_t i = 0; i < shownPage.size(); i++) shownPage[i] = pixels[i];
  shownPageW = w, shownPageH = h;
}

// The bound of the pixels of p that differ from the shown page, which takes them.
__attribute__((no_sanitize("thread")))
static PageRect changedWithin(const uint32_t* pixels, const PageRect& p) {
  PageRect changed{p.x2 + 1, p.y2 + 1, p.x1 - 1, p.y1 - 1};
  for (int32_t y = p.y1; y <= p.y2; y++) {
    const uint32_t* now = pixels + size_t(y) * shownPageW;
    uint32_t* was = shownPage.data() + size_t(y) * shownPageW;
    int32_t first = p.x1, last = p.x2;
    while (first <= last && now[first] == was[first]) first++;
    if (first > last) continue;
    // The game may have drawn the first difference back meanwhile: the scan stops there all the same.
    while (last > first && now[last] == was[last]) last--;
    for (int32_t x = first; x <= last; x++) was[x] = now[x];
    changed.x1 = std::min(changed.x1, first), changed.x2 = std::max(changed.x2, last);
    changed.y1 = std::min(changed.y1, y), changed.y2 = y;
  }
  return changed;
}

// ---- the pass ----------------------------------------------------------------------------

bool Present_Frame(const uint32_t* pixels, int32_t w, int32_t h, bool cleared, PageRect touched) {
  int32_t stateBefore = shared.fullScreenState;
  int32_t request = shared.fullScreenRequest.load();
  if (request != 0) shared.fullScreenState = request - 1;
  // Full screen shows a small page doubled, so the modes are chosen for the doubled size.
  bool small = w <= 512 && h <= 384;
  int nearest = -1, fourThree = -1;
  if (stateBefore == 0 && Present_ModeChangeAsked()) followMonitor();
  Present_ChooseModes(fullScreenModes, small ? 2 * w : w, small ? 2 * h : h, &nearest, &fourThree);
  takeFullScreenToggle(nearest, fourThree);
  int32_t state = shared.fullScreenState;
  int mode = state == 1 ? nearest : state == 2 ? fourThree : -1;
  if (state != 0 && mode < 0) shared.fullScreenState = state = 0;
  // A window shows each page pixel as a block of its repeat; full screen fills the mode.
  int32_t wantW, wantH, shownW, shownH;
  if (state != 0) {
    wantW = fullScreenModes[size_t(mode)].width;
    wantH = fullScreenModes[size_t(mode)].height;
    Present_FillSize(w, h, wantW, wantH, &shownW, &shownH);
  } else {
    int32_t scale = repeatInWindow(w, h);
    wantW = shownW = w * scale;
    wantH = shownH = h * scale;
  }
  int32_t ox = (wantW - shownW) / 2, oy = (wantH - shownH) / 2;
  bool change = wantW != windowWidth || wantH != windowHeight || state != stateBefore;
  int32_t pointerX = 0, pointerY = 0;
  bool pointerOver = change && pointerOverPage(&pointerX, &pointerY);
  // The window comes back from full screen where the player left it.
  if (change && state != 0 && stateBefore == 0) Sys_WindowRememberPlace();
  Present_SetGeometry(PresentGeometry{ox, oy, shownW, shownH, w, h});

  bool made = change && requestSurface(wantW, wantH, state != 0, stateBefore != 0);
  if (made && pointerOver) pointerToPage(pointerX, pointerY);
  if (change && !made) shared.fullScreenState = 0;
  // The request is taken once its surface is made (or refused); a newer one waits for the next pass.
  shared.fullScreenRequest.compare_exchange_strong(request, 0);
  if (change && !made) return false;
  if (made) cleared = false;
  // A new or cleared surface, or a page touched all over, is drawn whole (and the page kept as
  // shown); otherwise only what changed within the touched rectangle.
  touched = PageRect{std::max(touched.x1, 0), std::max(touched.y1, 0), std::min(touched.x2, w - 1), std::min(touched.y2, h - 1)};
  bool whole = !cleared || shownPageW != w || shownPageH != h ||
               (touched.x1 == 0 && touched.y1 == 0 && touched.x2 == w - 1 && touched.y2 == h - 1);
  PageRect changed = PageRect{0, 0, w - 1, h - 1};
  if (whole) {
    keepShownPage(pixels, w, h);
  } else if (touched.x1 > touched.x2 || touched.y1 > touched.y2) {
    return made;
  } else {
    changed = changedWithin(pixels, touched);
    if (changed.x1 > changed.x2) return made;
  }
  SDL_Surface* surface = windowSurface;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0) return made;
  uint32_t* target = needsConversion ? convertBuffer.data() : static_cast<uint32_t*>(surface->pixels);
  int32_t stride = needsConversion ? windowWidth : surface->pitch / 4;
  if (!cleared)
    for (int32_t y = 0; y < windowHeight; y++)
      std::memset(static_cast<uint8_t*>(surface->pixels) + size_t(y) * surface->pitch, 0, size_t(windowWidth) * 4);
  uint32_t* at = target + size_t(oy) * stride + ox;
  int32_t repeat = shownW / w;
  ShownRect wrote = repeat * w == shownW && repeat * h == shownH
                        ? Scaler_Repeat(shownPage.data(), w, changed, at, stride, repeat)
                        : Scaler_Filter(shownPage.data(), w, h, changed, at, stride, shownW, shownH);
  SDL_Rect drawn{int16_t(wrote.x), int16_t(wrote.y), uint16_t(wrote.w), uint16_t(wrote.h)};
  drawn.x = int16_t(drawn.x + ox), drawn.y = int16_t(drawn.y + oy);
  if (!cleared) drawn = SDL_Rect{0, 0, uint16_t(windowWidth), uint16_t(windowHeight)};
  if (needsConversion) convertInto(surface, drawn);
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  SDL_UpdateRect(surface, drawn.x, drawn.y, drawn.w, drawn.h);
  return made;
}
