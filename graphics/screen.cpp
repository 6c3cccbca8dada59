// screen.cpp: the screen page, the page-swap handshake and the presentation pass.
//
// Owns the current-image references (game thread) and the presentation state (main thread):
// the window surface, its size, the conversion buffer, the full-screen state and mode list.
// pageSwapState is the only synchronisation: the game thread asks (1), the presenter grants
// (2) and skips its passes, the game thread swaps and releases (0).
#include "graphics/screen.h"

#include <SDL.h>

#include <cstring>

#include "graphics/image.h"
#include "platform/platform.h"
#include "runtime/error.h"
#include "runtime/mouse.h"
#include "runtime/program.h"
#include "runtime/wake.h"

int32_t screenPage, drawDest, drawSource;
std::atomic<int32_t> presentOffsetX{0}, presentOffsetY{0}, presentScaleX{1}, presentScaleY{1};

static std::atomic<int32_t> pageSwapState{0};      // 0 idle, 1 asked, 2 granted
static std::atomic<int32_t> windowSurfaceValid{0};  // 0: clear the whole surface before the next copy
static std::atomic<int32_t> fullScreenState{0};     // 0 window, 1 nearest mode, 2 nearest 4:3 mode
static std::atomic<bool> presenting{false};
// Full-screen state the game thread asks the presenter to take, plus one; 0 = no request.
static std::atomic<int32_t> fullScreenRequest{0};
std::atomic<uint32_t> pageChanges{0};
static std::atomic<uint32_t> presentedChanges{0};  // pageChanges when the last frame was copied

static SDL_Surface* windowSurface;
static int32_t windowWidth, windowHeight;
static bool needsConversion;
static std::vector<uint32_t> convertBuffer;
static int32_t fullScreenToggles;
static std::vector<ScreenMode> fullScreenModes;
// The window's pixel repeat: 1 to 4, or 0 for the largest that fits the work area, found once
// per page size (autoScaleW x autoScaleH) as autoScale. Set in main before the threads start.
static int32_t windowScale = 1;
static int32_t autoScale, autoScaleW, autoScaleH;

// That library reports itself as 1.2.50 or later; the classic one ended at 1.2.15.
bool Screen_LibraryOverSdl2() { return SDL_Linked_Version()->patch >= 50; }

void Screen_Init() {
  SDL_Rect** modes = SDL_ListModes(nullptr, SDL_FULLSCREEN | SDL_SWSURFACE);
  // The library over SDL 2 never switches the display: it lists sizes it would only stretch to
  // the desktop. Of its list the desktop's own size is the one it shows pixel for pixel, as the
  // classic library shows every mode it lists.
  const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
  bool desktopOnly = Screen_LibraryOverSdl2() && desktop != nullptr;
  if (modes != nullptr && modes != reinterpret_cast<SDL_Rect**>(-1))
    for (int i = 0; modes[i] != nullptr; i++)
      if (!desktopOnly || (modes[i]->w == desktop->current_w && modes[i]->h == desktop->current_h))
        fullScreenModes.push_back({modes[i]->w, modes[i]->h});
  Image_InitTable();
  int32_t n = Image_Create(640, 400);
  ImageRecord* page = Image_Record(n);
  for (size_t i = 0; i < size_t(640) * 400; i++) page->pixels[i] = 0xFF000000;
  page->isTextPage = 1;
  page->ownership |= IMAGE_IS_SCREEN_PAGE;
  screenPage = drawDest = drawSource = n;
}

void Screen_SetWindowScale(int32_t scale) { windowScale = scale; }

// The largest repeat (at most 4, at least 1) whose window, frame included once the window
// manager has framed it, fits the desktop's work area.
static int32_t scaleToFit(int32_t w, int32_t h) {
  if (windowScale != 0) return windowScale;
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

void Screen_SetModes(const std::vector<ScreenMode>& modes) { fullScreenModes = modes; }

void Screen_StartPresenting() { presenting = true; }

void Screen_RequestFullScreenToggle() { fullScreenToggles++; }

bool Screen_PassWanted() {
  return pageChanges.load() != presentedChanges.load(std::memory_order_relaxed) || pageSwapState.load() == 1 ||
         windowSurfaceValid.load() == 0 || fullScreenToggles > 0 || fullScreenRequest.load() != 0;
}

bool Screen_IsFullScreen() { return fullScreenState.load(std::memory_order_relaxed) != 0; }

// Ask the presenter for a full-screen state and wait (at most 2 s) until a pass has taken it.
static void requestFullScreenState(int32_t state) {
  if (!presenting.load()) return;
  fullScreenRequest = state + 1;
  Wake_Main();
  for (int waited = 0; fullScreenRequest.load() != 0 && !exitRequested.load() && waited < 200; waited++) Sys_Sleep(10);
}

int32_t Screen_LeaveFullScreen() {
  int32_t state = fullScreenState;
  if (state != 0) requestFullScreenState(0);
  return state;
}

void Screen_ReturnToFullScreen(int32_t state) {
  if (state != 0) requestFullScreenState(state);
}

void Screen_Set(int32_t handle) {
  if (Error_Pending()) return;
  int32_t n = Image_Lookup(handle);
  if (n == 0 || n == screenPage) return;
  if (presenting.load()) {
    int32_t idle = 0;
    pageSwapState.compare_exchange_strong(idle, 1);
    Wake_Main();
    // Shutdown stops the presentation; the swap is then safe without its grant. Both are news.
    for (uint32_t news = Wake_GameNews(); pageSwapState.load() != 2 && !exitRequested.load(); news = Wake_GameNews())
      Wake_GameWait(news);
  }
  windowSurfaceValid = 0;
  ImageRecord* old = Image_Record(screenPage);
  if (old->isTextPage) {
    Image_Release(screenPage);
  } else {
    old->ownership &= ~IMAGE_IS_SCREEN_PAGE;
  }
  Image_Record(n)->ownership |= IMAGE_IS_SCREEN_PAGE;
  screenPage = drawDest = drawSource = n;
  pageSwapState = 0;
  Screen_NoteChange();
}

void Screen_ChooseModes(const std::vector<ScreenMode>& modes, int32_t w, int32_t h, int* nearest, int* fourThree) {
  *nearest = *fourThree = -1;
  int32_t bestExcess = 0, bestFourThree = 0;
  for (size_t i = 0; i < modes.size(); i++) {
    int32_t mw = modes[i].width, mh = modes[i].height;
    if (mw < 640 || mw < w || mh < h) continue;
    int32_t excess = mw + mh - w - h;
    if (*nearest < 0 || excess <= bestExcess) {
      *nearest = int(i);
      bestExcess = excess;
    }
    if (mw / 4 == mh / 3 && (*fourThree < 0 || excess <= bestFourThree)) {
      *fourThree = int(i);
      bestFourThree = excess;
    }
  }
}

// One Alt+Enter moves the state on, if the modes for the page allow it.
static void takeFullScreenToggle(int nearest, int fourThree) {
  if (fullScreenToggles <= 0) return;
  fullScreenToggles--;
  int32_t state = fullScreenState;
  if (state == 0) {
    if (nearest >= 0) state = 1;
  } else if (state == 1) {
    state = (fourThree >= 0 && fourThree != nearest) ? 2 : 0;
  } else {
    state = 0;
  }
  fullScreenState = state;
}

// Ask SDL for a surface of the wanted size; the mouse queue restarts from the pointer's place,
// and the motion that the mode change itself produces carries no movement.
static bool requestSurface(int32_t w, int32_t h, bool full, bool wasFull) {
  Mouse_SetMotionSkip(65536);
  SDL_Surface* surface = SDL_SetVideoMode(w, h, 32, SDL_SWSURFACE | (full ? SDL_FULLSCREEN : 0));
  if (surface == nullptr) return false;
  // The native window is known from the first mode set on; a place the game gave it holds.
  Sys_WindowFetchHandle();
  if (!full) Sys_WindowKeepPlace();
  windowSurface = surface;
  windowWidth = w;
  windowHeight = h;
  Mouse_RestartQueue();
  Mouse_SetMotionSkip(4);
  const SDL_PixelFormat* f = surface->format;
  needsConversion = f->Rmask != 0x00FF0000 || f->Gmask != 0x0000FF00 || f->Bmask != 0x000000FF;
  if (needsConversion) convertBuffer.assign(size_t(w) * h, 0);
  if (!Mouse_CursorVisibilitySet()) Mouse_ShowPointer(!full);
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

// Write the buffer's colour bytes where the surface's masks want them; its fourth byte stays.
static void convertInto(SDL_Surface* surface) {
  const SDL_PixelFormat* f = surface->format;
  int rb = maskByte(f->Rmask), gb = maskByte(f->Gmask), bb = maskByte(f->Bmask);
  for (int32_t y = 0; y < windowHeight; y++) {
    uint8_t* row = static_cast<uint8_t*>(surface->pixels) + size_t(y) * surface->pitch;
    const uint32_t* from = convertBuffer.data() + size_t(y) * windowWidth;
    for (int32_t x = 0; x < windowWidth; x++) {
      uint32_t c = from[x];
      row[x * 4 + bb] = uint8_t(c);
      row[x * 4 + gb] = uint8_t(c >> 8);
      row[x * 4 + rb] = uint8_t(c >> 16);
    }
  }
}

// The game may be drawing into the page while it is copied; a frame can show a drawing in
// progress, and nothing depends on it. ThreadSanitizer is kept out of the page reads (a plain
// loop, not memcpy, which it intercepts): each pixel the game draws would otherwise be a race
// to look up and match to its suppression, which slows the presentation to a crawl once the
// game draws whole screens, and loses the reading stack when the history runs out.
__attribute__((no_sanitize("thread")))
static void copyPage(const ImageRecord* page, uint32_t* target, int32_t stride, int32_t scale, int32_t ox, int32_t oy) {
  int32_t w = page->width, h = page->height;
  for (int32_t y = 0; y < h; y++) {
    const uint32_t* from = page->pixels + size_t(y) * w;
    uint32_t* to = target + size_t(oy + y * scale) * stride + ox;
    if (scale == 1) {
      for (int32_t x = 0; x < w; x++) to[x] = from[x];
      continue;
    }
    for (int32_t x = 0; x < w; x++)
      for (int32_t k = 0; k < scale; k++) to[scale * x + k] = from[x];
    for (int32_t k = 1; k < scale; k++) std::memcpy(to + k * stride, to, size_t(w) * scale * 4);
  }
}

// A pass while a swap is asked only grants it; while it is granted, passes do nothing.
static bool grantPageSwap() {
  int32_t asked = 1;
  if (pageSwapState.compare_exchange_strong(asked, 2)) {
    Wake_Game();
    return true;
  }
  return pageSwapState.load() == 2;
}

void Screen_Present() {
  if (grantPageSwap()) return;
  presentedChanges.store(pageChanges.load(), std::memory_order_relaxed);
  const ImageRecord* page = Image_Record(screenPage);
  int32_t w = page->width, h = page->height;

  int32_t stateBefore = fullScreenState;
  if (int32_t request = fullScreenRequest.exchange(0)) fullScreenState = request - 1;
  // A window shows each page pixel as a block of the asked repeat; full screen has its own.
  int32_t scale = 1, wantW = w, wantH = h, ox = 0, oy = 0;
  // Full screen shows a small page doubled, so the modes are chosen for the doubled size.
  bool small = w <= 512 && h <= 384;
  int32_t pageW = small ? 2 * w : w, pageH = small ? 2 * h : h;
  int nearest = -1, fourThree = -1;
  Screen_ChooseModes(fullScreenModes, pageW, pageH, &nearest, &fourThree);
  takeFullScreenToggle(nearest, fourThree);
  int32_t state = fullScreenState;
  int mode = state == 1 ? nearest : state == 2 ? fourThree : -1;
  if (state != 0 && mode < 0) fullScreenState = state = 0;
  if (state != 0) {
    if (small) scale = 2;
    wantW = fullScreenModes[size_t(mode)].width;
    wantH = fullScreenModes[size_t(mode)].height;
    ox = (wantW - w * scale) / 2;
    oy = (wantH - h * scale) / 2;
  } else {
    scale = scaleToFit(w, h);
    wantW = w * scale, wantH = h * scale;
  }
  presentScaleX = presentScaleY = scale;
  presentOffsetX = ox;
  presentOffsetY = oy;

  if (wantW != windowWidth || wantH != windowHeight || state != stateBefore) {
    if (!requestSurface(wantW, wantH, state != 0, stateBefore != 0)) {
      fullScreenState = 0;
      return;
    }
    windowSurfaceValid = 0;
  }
  SDL_Surface* surface = windowSurface;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0) return;
  uint32_t* target = needsConversion ? convertBuffer.data() : static_cast<uint32_t*>(surface->pixels);
  int32_t stride = needsConversion ? windowWidth : surface->pitch / 4;
  if (windowSurfaceValid == 0)
    for (int32_t y = 0; y < windowHeight; y++)
      std::memset(static_cast<uint8_t*>(surface->pixels) + size_t(y) * surface->pitch, 0, size_t(windowWidth) * 4);
  copyPage(page, target, stride, scale, ox, oy);
  if (needsConversion) convertInto(surface);
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  SDL_UpdateRect(surface, 0, 0, 0, 0);
  windowSurfaceValid = 1;
  grantPageSwap();
}
