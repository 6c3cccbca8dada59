// screen.cpp: the screen page, the page-swap handshake and the presentation pass.
//
// Owns the current-image references (game thread), windowSurfaceValid and the bound of what
// drawing touched on the page (game thread widens it, the pass takes it, both atomically); the
// window itself belongs to graphics/present.cpp. pageSwapState is the handshake of a swap: the
// game thread asks (1), the presenter grants (2) and skips its passes, the game thread swaps
// and releases (0).
#include "graphics/screen.h"

#include <algorithm>
#include <atomic>

#include "graphics/image.h"
#include "graphics/present.h"
#include "platform/platform.h"
#include "runtime/error.h"
#include "runtime/program.h"
#include "runtime/wake.h"

int32_t screenPage, drawDest, drawSource;

static std::atomic<int32_t> pageSwapState{0};      // 0 idle, 1 asked, 2 granted
static std::atomic<int32_t> windowSurfaceValid{0};  // 0: clear the whole surface before the next copy
static std::atomic<bool> presenting{false};
static int32_t startUpPage;  // the built-in page, until the game names its own
std::atomic<uint32_t> pageChanges{0};
static std::atomic<uint32_t> presentedChanges{0};  // pageChanges when the last frame was copied

// The bound of what drawing touched on the screen page since the last pass took it: four
// 16-bit corners in one word (left, top, right, bottom from the low end), so that the game
// thread widens it and the pass takes it whole without a lock. Pages are narrower than 65536
// pixels; the pass clips the bound to its page. Nothing touched reads as left 65535, right 0.
static constexpr uint64_t nothingTouched = 0xFFFFu | uint64_t(0xFFFFu) << 16;
static std::atomic<uint64_t> touched{nothingTouched};

void Screen_NoteTouched(int32_t n, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
  if (n != screenPage) return;
  auto fit = [](int64_t v) { return uint64_t(std::clamp<int64_t>(v, 0, 0xFFFF)); };
  uint64_t was = touched.load();
  for (;;) {
    uint64_t wider = std::min(was & 0xFFFF, fit(std::min(x1, x2))) | std::min(was >> 16 & 0xFFFF, fit(std::min(y1, y2))) << 16 |
                     std::max(was >> 32 & 0xFFFF, fit(std::max(x1, x2))) << 32 | std::max(was >> 48, fit(std::max(y1, y2))) << 48;
    if (wider == was || touched.compare_exchange_weak(was, wider)) return;
  }
}

static PageRect takeTouched() {
  uint64_t taken = touched.exchange(nothingTouched);
  return PageRect{int32_t(taken & 0xFFFF), int32_t(taken >> 16 & 0xFFFF), int32_t(taken >> 32 & 0xFFFF), int32_t(taken >> 48)};
}

void Screen_Init() {
  Present_Init();
  Image_InitTable();
  int32_t n = Image_Create(640, 400);
  ImageRecord* page = Image_Record(n);
  for (size_t i = 0; i < size_t(640) * 400; i++) page->pixels[i] = 0xFF000000;
  page->isTextPage = 1;
  page->ownership |= IMAGE_IS_SCREEN_PAGE;
  screenPage = drawDest = drawSource = startUpPage = n;
}

void Screen_StartPresenting() { presenting = true; }

void Screen_Redraw() { windowSurfaceValid = 0; }

// While a swap is granted a pass does nothing; the swap itself is a change, and wakes the loop.
bool Screen_PassWanted() {
  int32_t swap = pageSwapState.load();
  if (swap == 2) return false;
  return swap == 1 || pageChanges.load() != presentedChanges.load(std::memory_order_relaxed) ||
         windowSurfaceValid.load() == 0 || Present_ModeChangeAsked();
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
  startUpPage = 0;
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

// A pass while a swap is asked only grants it; while it is granted, passes do nothing.
static bool grantPageSwap(bool* justGranted) {
  int32_t asked = 1;
  if (pageSwapState.compare_exchange_strong(asked, 2)) {
    Wake_Game();
    if (justGranted != nullptr) *justGranted = true;
    return true;
  }
  return pageSwapState.load() == 2;
}

bool Screen_Present(bool* onlyGranted) {
  if (onlyGranted != nullptr) *onlyGranted = false;
  if (grantPageSwap(onlyGranted)) return false;
  // Until the game names its page the window may wait for it, to be first shown at its size.
  if (screenPage == startUpPage && Present_WaitsForFirstPage()) return false;
  presentedChanges.store(pageChanges.load(), std::memory_order_relaxed);
  const ImageRecord* page = Image_Record(screenPage);
  bool made = Present_Frame(page->pixels, page->width, page->height, windowSurfaceValid != 0, takeTouched());
  windowSurfaceValid = 1;
  grantPageSwap(nullptr);
  return made;
}
