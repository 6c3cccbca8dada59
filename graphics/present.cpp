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
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Window pixel -> page pixel on one axis: the page pixel whose share of the shown size holds
// the window pixel's centre, inside the page. For a whole repeat k it is (window - offset) / k.
static int32_t toPage(int32_t window, int32_t offset, int32_t shown, int32_t size) {
  int64_t v = window - offset;
  if (v < 0) return 0;
  v = (2 * v + 1) * size / (2 * int64_t(shown));
  return v >= size ? size - 1 : int32_t(v);
}

void Present_WindowToPage(int32_t wx, int32_t wy, int32_t* px, int32_t* py) {
  *px = toPage(wx, shared.offsetX.load(), shared.shownW.load(), shared.pageW.load());
  *py = toPage(wy, shared.offsetY.load(), shared.shownH.load(), shared.pageH.load());
}

void Present_ChooseModes(const std::vector<ScreenMode>& modes, int32_t w, int32_t h, int* nearest, int* fourThree) {
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

void Present_FillSize(int32_t w, int32_t h, int32_t modeW, int32_t modeH, int32_t* shownW, int32_t* shownH) {
  if (int64_t(modeW) * h <= int64_t(modeH) * w) {
    *shownW = modeW;
    *shownH = int32_t(int64_t(h) * modeW / w);
  } else {
    *shownW = int32_t(int64_t(w) * modeH / h);
    *shownH = modeH;
  }
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
  bool leaving = wasFull && !full, entering = full && !wasFull && Present_LibraryOverSdl2();
  if (leaving) Sys_WindowWithdraw();
  // The library over SDL 2 grows the window before it covers the screen: what it shows
  // meanwhile is black, not the page unscaled in its corner.
  if (entering) showBlack();
  // Where the system's full screen would change the display's mode, a borderless window covers
  // the monitor instead.
  int32_t monitorW, monitorH;
  bool overMonitor = full && Sys_FullScreenAsWindow(&monitorW, &monitorH);
  SDL_Surface* surface =
      SDL_SetVideoMode(w, h, 32, SDL_SWSURFACE | (overMonitor ? SDL_NOFRAME : full ? SDL_FULLSCREEN : 0));
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

// ---- drawing the page --------------------------------------------------------------------
//
// The game may be drawing into the page while it is copied; a frame can show a drawing in
// progress, and nothing depends on it. ThreadSanitizer is kept out of the page reads (plain
// loops, not memcpy, which it intercepts): each pixel the game draws would otherwise be a race
// to look up and match to its suppression, which slows the presentation to a crawl once the
// game draws whole screens, and loses the reading stack when the history runs out.

// A whole repeat: every page pixel a scale x scale block. The common repeats get loops of their
// own (fixed), which the compiler unrolls into vector stores.
template <int32_t fixed>
static void repeatRow(const uint32_t* from, uint32_t* to, int32_t w, int32_t scale) {
  if (fixed != 0) scale = fixed;
  for (int32_t x = 0; x < w; x++)
    for (int32_t k = 0; k < scale; k++) to[scale * x + k] = from[x];
}

static void copyPage(const uint32_t* pixels, int32_t pageW, const PageRect& r, uint32_t* target, int32_t stride,
                     int32_t scale) {
  int32_t w = r.x2 - r.x1 + 1;
  for (int32_t y = r.y1; y <= r.y2; y++) {
    const uint32_t* from = pixels + size_t(y) * pageW + r.x1;
    uint32_t* to = target + size_t(y) * scale * stride + size_t(r.x1) * scale;
    switch (scale) {
      case 1: repeatRow<1>(from, to, w, 1); break;
      case 2: repeatRow<2>(from, to, w, 2); break;
      case 3: repeatRow<3>(from, to, w, 3); break;
      case 4: repeatRow<4>(from, to, w, 4); break;
      default: repeatRow<0>(from, to, w, scale);
    }
    for (int32_t k = 1; k < scale; k++) std::memcpy(to + k * stride, to, size_t(w) * scale * 4);
  }
}

// Any other size: the page repeated by the next whole number n (each pixel n x n), then
// stepped down linearly to the shown size. Within a block the repeat is flat, so an output
// pixel mixes two page pixels only where a block edge passes through it: every page pixel
// keeps the same size to within one output pixel, and its edges soften by one at most.
//
// Per axis, output pixel i samples the repeated image at (i + 1/2) * n * size / shown - 1/2,
// kept exactly as a fraction over 2 * shown. A step names the page pixels left and right of
// the sample and the weight (of 256) of the right one; both are the same pixel, weight 0,
// where the sample lies inside a block.
struct FilterStep {
  int32_t left, right;
  uint16_t weight;
};

static void filterSteps(int32_t size, int32_t shown, std::vector<FilterStep>* steps) {
  int64_t n = (shown + size - 1) / size, span = n * size, twice = 2 * int64_t(shown);
  steps->resize(size_t(shown));
  for (int32_t i = 0; i < shown; i++) {
    int64_t at = (2 * int64_t(i) + 1) * span - shown;  // the sample, in units of 1 / (2 shown)
    int64_t left = at / twice, fraction = at % twice;
    int32_t l = int32_t(left / n), r = int32_t(std::min(left + 1, span - 1) / n);
    (*steps)[size_t(i)] = FilterStep{l, r, uint16_t(l == r ? 0 : (fraction * 256 + shown) / twice)};
  }
}

static struct {
  int32_t pageW, pageH, shownW, shownH;
  std::vector<FilterStep> columns, rows;
#if defined(__SSE2__)
  std::vector<uint16_t> laneWeights;  // per column: 256 - weight four times, then weight four times
#else
  std::vector<uint16_t> byteWeights;  // each column's weight, once for each of its four bytes
  std::vector<uint32_t> lefts, rights;
#endif
  std::vector<uint32_t> lines[2];  // buffers for page rows stretched across
  int32_t fromColumn, toColumn;    // the output columns this pass draws
} filter;

// One loop, compiled twice: with the wider registers where the processor has them. Chosen by
// hand rather than by an ifunc, which runs before the sanitizers' runtimes are up.
__attribute__((always_inline)) static inline void mixRowsLoop(const uint32_t* a, const uint32_t* b, uint16_t weight,
                                                              uint32_t* to, int32_t pixels) {
  const uint8_t *pa = reinterpret_cast<const uint8_t*>(a), *pb = reinterpret_cast<const uint8_t*>(b);
  uint8_t* out = reinterpret_cast<uint8_t*>(to);
  uint16_t keep = uint16_t(256 - weight);
  for (int32_t i = 0; i < 4 * pixels; i++) out[i] = uint8_t((pa[i] * keep + pb[i] * weight + 128) >> 8);
}
#if defined(__x86_64__)
__attribute__((target("avx2"))) static void mixRowsWide(const uint32_t* a, const uint32_t* b, uint16_t weight,
                                                        uint32_t* to, int32_t pixels) {
  mixRowsLoop(a, b, weight, to, pixels);
}
#endif

static void mixRows(const uint32_t* a, const uint32_t* b, uint16_t weight, uint32_t* to, int32_t pixels) {
#if defined(__x86_64__)
  static const bool wide = __builtin_cpu_supports("avx2");
  if (wide) return mixRowsWide(a, b, weight, to, pixels);
#endif
  mixRowsLoop(a, b, weight, to, pixels);
}

#if defined(__SSE2__)
// The same mix with one 8-byte load per output pixel: a pixel and its right neighbour, weighted
// by the column's (256 - w, w) pair of lanes. The last page pixel has no neighbour to load; its
// columns (weight 0) take the plain copy.
static void stretchRow(const uint32_t* from, uint32_t* to) {
  const FilterStep* c = filter.columns.data();
  const __m128i* weights = reinterpret_cast<const __m128i*>(filter.laneWeights.data());
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
  int32_t x = filter.fromColumn, n = filter.toColumn + 1, last = filter.pageW - 1;
  // Two output pixels at a time: their pairs side by side, summed across in one register.
  for (; x + 1 < n && c[x + 1].left < last; x += 2) {
    __m128i pairs = _mm_castpd_si128(_mm_loadh_pd(_mm_castsi128_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(from + c[x].left))),
                                                  reinterpret_cast<const double*>(from + c[x + 1].left)));
    __m128i first = _mm_mullo_epi16(_mm_unpacklo_epi8(pairs, zero), _mm_loadu_si128(weights + x));
    __m128i second = _mm_mullo_epi16(_mm_unpackhi_epi8(pairs, zero), _mm_loadu_si128(weights + x + 1));
    __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(first, second), _mm_unpackhi_epi64(first, second));
    sum = _mm_srli_epi16(_mm_add_epi16(sum, half), 8);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to + x), _mm_packus_epi16(sum, zero));
  }
  for (; x < n && c[x].left < last; x++) {
    __m128i pair = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(from + c[x].left)), zero);
    __m128i parts = _mm_mullo_epi16(pair, _mm_loadu_si128(weights + x));
    __m128i sum = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(parts, _mm_srli_si128(parts, 8)), half), 8);
    to[x] = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(sum, zero)));
  }
  for (; x < n; x++) to[x] = from[last];
}
#else
// Each byte: (256 - weight) parts of a's and weight parts of b's, rounded. Byte-wise loops of
// 16-bit arithmetic, which the compiler turns into vector multiplies.
static void mixBytes(const uint32_t* a, const uint32_t* b, const uint16_t* weights, uint32_t* to, int32_t pixels) {
  const uint8_t *pa = reinterpret_cast<const uint8_t*>(a), *pb = reinterpret_cast<const uint8_t*>(b);
  uint8_t* out = reinterpret_cast<uint8_t*>(to);
  for (int32_t i = 0; i < 4 * pixels; i++)
    out[i] = uint8_t((pa[i] * (256 - weights[i]) + pb[i] * weights[i] + 128) >> 8);
}

static void gatherRow(const uint32_t* from) {
  const FilterStep* c = filter.columns.data();
  uint32_t *l = filter.lefts.data(), *r = filter.rights.data();
  for (int32_t x = filter.fromColumn; x <= filter.toColumn; x++) {
    l[x] = from[c[x].left];
    r[x] = from[c[x].right];
  }
}

static void stretchRow(const uint32_t* from, uint32_t* to) {
  gatherRow(from);
  int32_t x = filter.fromColumn;
  mixBytes(filter.lefts.data() + x, filter.rights.data() + x, filter.byteWeights.data() + 4 * x, to + x,
           filter.toColumn - x + 1);
}
#endif

// Two page rows stretched across, and which rows they are. A line lives in one of the two
// buffers, or in an output row already written this pass (surface rows are not written twice).
static struct {
  int32_t row[2];
  const uint32_t* at[2];
} cache;

static void remember(int32_t y, const uint32_t* at) {
  int k = cache.row[0] < cache.row[1] ? 0 : 1;  // a pass walks the rows downwards
  cache.row[k] = y, cache.at[k] = at;
}

static const uint32_t* cached(int32_t y) {
  for (int k = 0; k < 2; k++)
    if (cache.row[k] == y) return cache.at[k];
  return nullptr;
}

// Page row y stretched across, into a buffer that the other cached line does not use.
static const uint32_t* stretched(const uint32_t* pixels, int32_t y) {
  if (const uint32_t* at = cached(y)) return at;
  // The older line gives way (remember replaces it), so its buffer may be taken when both are.
  const uint32_t* newer = cache.at[cache.row[0] < cache.row[1] ? 1 : 0];
  uint32_t* line = filter.lines[newer == filter.lines[0].data() ? 1 : 0].data();
  stretchRow(pixels + size_t(y) * filter.pageW, line);
  remember(y, line);
  return line;
}

// Page row y stretched straight into output row to.
static const uint32_t* place(const uint32_t* pixels, int32_t y, uint32_t* to) {
  if (const uint32_t* at = cached(y)) {
    std::memcpy(to + filter.fromColumn, at + filter.fromColumn, size_t(filter.toColumn - filter.fromColumn + 1) * 4);
  } else {
    stretchRow(pixels + size_t(y) * filter.pageW, to);
  }
  remember(y, to);
  return to;
}

// The output steps that read page pixels first..last: from the first whose right one is at
// least first to the last whose left one is at most last (both move on with the output).
static void stepsReading(const std::vector<FilterStep>& steps, int32_t first, int32_t last, int32_t* from, int32_t* to) {
  auto a = std::partition_point(steps.begin(), steps.end(), [&](const FilterStep& s) { return s.right < first; });
  auto b = std::partition_point(steps.begin(), steps.end(), [&](const FilterStep& s) { return s.left <= last; });
  *from = int32_t(a - steps.begin()), *to = int32_t(b - steps.begin()) - 1;
}

// Page rectangle p filtered into the output; the output rectangle it drew goes to *drawn.
static void filterPage(const uint32_t* pixels, int32_t w, int32_t h, const PageRect& p, uint32_t* target, int32_t stride,
                       int32_t shownW, int32_t shownH, SDL_Rect* drawn) {
  if (filter.pageW != w || filter.pageH != h || filter.shownW != shownW || filter.shownH != shownH) {
    filterSteps(w, shownW, &filter.columns);
    filterSteps(h, shownH, &filter.rows);
#if defined(__SSE2__)
    filter.laneWeights.resize(8 * size_t(shownW));
    for (size_t i = 0; i < filter.laneWeights.size(); i++)
      filter.laneWeights[i] = i % 8 < 4 ? uint16_t(256 - filter.columns[i / 8].weight) : filter.columns[i / 8].weight;
#else
    filter.byteWeights.resize(4 * size_t(shownW));
    for (size_t i = 0; i < filter.byteWeights.size(); i++) filter.byteWeights[i] = filter.columns[i / 4].weight;
    filter.lefts.resize(size_t(shownW));
    filter.rights.resize(size_t(shownW));
#endif
    for (auto& line : filter.lines) line.resize(size_t(shownW));
    filter.pageW = w, filter.pageH = h, filter.shownW = shownW, filter.shownH = shownH;
  }
  cache.row[0] = cache.row[1] = -1;
  cache.at[0] = cache.at[1] = nullptr;
  int32_t fromRow, toRow;
  stepsReading(filter.columns, p.x1, p.x2, &filter.fromColumn, &filter.toColumn);
  stepsReading(filter.rows, p.y1, p.y2, &fromRow, &toRow);
  int32_t c0 = filter.fromColumn, width = filter.toColumn - c0 + 1;
  *drawn = SDL_Rect{int16_t(c0), int16_t(fromRow), uint16_t(width), uint16_t(toRow - fromRow + 1)};
  const FilterStep* r = filter.rows.data();
  for (int32_t y = fromRow, ahead = -1; y <= toRow; y++) {
    uint32_t* to = target + size_t(y) * stride;
    if (y == ahead) continue;
    if (r[y].weight == 0 && y > fromRow && r[y - 1].weight == 0 && r[y - 1].left == r[y].left) {
      std::memcpy(to + c0, to - stride + c0, size_t(width) * 4);
    } else if (r[y].weight == 0) {
      place(pixels, r[y].left, to);
    } else {
      // A mixed row before a plain one of its lower page row writes that one first and reads it.
      const uint32_t* a = stretched(pixels, r[y].left);
      bool next = y + 1 <= toRow && r[y + 1].weight == 0 && r[y + 1].left == r[y].right;
      const uint32_t* b = next ? place(pixels, r[y].right, to + stride) : stretched(pixels, r[y].right);
      if (next) ahead = y + 1;
      mixRows(a + c0, b + c0, r[y].weight, to + c0, width);
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

// The window pixel at the middle of page pixel p on one axis, the inverse of toPage.
static int32_t toWindow(int32_t p, int32_t offset, int32_t shown, int32_t size) {
  return offset + int32_t((2 * int64_t(p) + 1) * shown / (2 * int64_t(size)));
}

static void pointerToPage(int32_t px, int32_t py) {
  PresentGeometry g = Present_Geometry();
  int32_t x = toWindow(px, g.offsetX, g.shownW, g.pageW), y = toWindow(py, g.offsetY, g.shownH, g.pageH);
  // The library learns the place (its own warp may be skipped while the window is new), the
  // window system puts the pointer there.
  SDL_WarpMouse(Uint16(x), Uint16(y));
  Sys_WarpPointer(x, y);
}

// ---- the pass ----------------------------------------------------------------------------

// ---- what changed since the last pass ----------------------------------------------------
//
// The page as the last pass showed it. A moving sight has the game restore the whole scope
// view and draw the sight again: thousands of pixels change, not the hundreds of thousands
// drawn, so the pass compares the touched rectangle with the shown page and draws only the
// bound of what differs. The window is drawn from this copy, never from the page itself: the
// game draws on while the pass runs, and a pixel read twice could be shown as it was after
// the comparison yet kept as it was before, and then never drawn again.
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
    while (now[last] == was[last]) last--;
    for (int32_t x = first; x <= last; x++) was[x] = now[x];
    changed.x1 = std::min(changed.x1, first), changed.x2 = std::max(changed.x2, last);
    changed.y1 = std::min(changed.y1, y), changed.y2 = y;
  }
  return changed;
}

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
  SDL_Rect drawn;
  if (repeat * w == shownW && repeat * h == shownH) {
    copyPage(shownPage.data(), w, changed, at, stride, repeat);
    drawn = SDL_Rect{int16_t(changed.x1 * repeat), int16_t(changed.y1 * repeat), uint16_t((changed.x2 - changed.x1 + 1) * repeat),
                     uint16_t((changed.y2 - changed.y1 + 1) * repeat)};
  } else {
    filterPage(shownPage.data(), w, h, changed, at, stride, shownW, shownH, &drawn);
  }
  drawn.x = int16_t(drawn.x + ox), drawn.y = int16_t(drawn.y + oy);
  if (!cleared) drawn = SDL_Rect{0, 0, uint16_t(windowWidth), uint16_t(windowHeight)};
  if (needsConversion) convertInto(surface, drawn);
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  SDL_UpdateRect(surface, drawn.x, drawn.y, drawn.w, drawn.h);
  return made;
}
