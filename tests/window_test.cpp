// The window's icon picture and the checks of Window_Move that need no window.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <atomic>
#include <thread>

#include "graphics/blit.h"
#include "graphics/draw.h"
#include "graphics/present.h"
#include "graphics/window.h"
#include "graphics_fixture.h"

namespace {

using WindowTest = ImageFixture;

TEST_F(WindowTest, IconAlphaBecomesShownFrom127AndHiddenBelow) {
  int32_t source = make(32, 32, 0xFF102030);
  at(source, 0, 0) = 0x7E405060;  // 126
  at(source, 1, 0) = 0x7F405060;  // 127
  at(source, 2, 0) = 0x00FFFFFF;
  at(source, 3, 0) = 0x80123456;
  uint32_t icon[1024];
  ASSERT_TRUE(Window_MakeIcon(source, icon));
  // Blending is off for the icon, so colours arrive as they are and only alpha is forced.
  EXPECT_EQ(icon[0], 0x00405060u);
  EXPECT_EQ(icon[1], 0xFF405060u);
  EXPECT_EQ(icon[2], 0x00FFFFFFu);
  EXPECT_EQ(icon[3], 0xFF123456u);
  EXPECT_EQ(icon[1023], 0xFF102030u);
}

TEST_F(WindowTest, IconIsTheImageStretchedTo32By32AndLeavesNoImageBehind) {
  int32_t source = make(64, 48);
  for (int y = 0; y < 48; y++)
    for (int x = 0; x < 64; x++) at(source, x, y) = 0xFF000000u | uint32_t(y) << 8 | uint32_t(x);
  int32_t probe = Image_Create(1, 1);
  Image_Release(probe);
  uint32_t icon[1024];
  ASSERT_TRUE(Window_MakeIcon(source, icon));
  EXPECT_EQ(icon[0], 0xFF000000u);
  EXPECT_EQ(icon[31], 0xFF00003Fu);                // the last column reads the last column
  EXPECT_EQ(icon[31 * 32 + 31], 0xFF002F3Fu);      // and the last row the last row
  EXPECT_EQ(icon[16 * 32 + 16] & 0xFF, 33u);
  // The temporary image took the free number on top and gave it back.
  EXPECT_EQ(make(1, 1), -probe);
  EXPECT_EQ(drawDest, -page);
}

TEST_F(WindowTest, IconOfNoImageIsError258) {
  uint32_t icon[1024];
  EXPECT_FALSE(Window_MakeIcon(-60000, icon));
  EXPECT_EQ(pendingError, 258);
  pendingError = 0;
  Window_SetIcon(-60000);
  EXPECT_EQ(pendingError, 258);
}

TEST_F(WindowTest, MovePassedZeroOrThreeIsError5AndWithoutAWindowNothingHappens) {
  Window_Move(100, 1, 0);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  Window_Move(100, 1, 3);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  Window_Move(100, 1, WINDOW_AT);
  Window_Move(0, 0, WINDOW_CENTRE);
  EXPECT_EQ(pendingError, 0);
}

}  // namespace

// ---- the presentation of the screen page, over SDL's dummy video driver ---------------------

namespace {

class Presentation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SDL_putenv(const_cast<char*>("SDL_VIDEODRIVER=dummy"));
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    Present_SetWindowScale(1);
    Screen_Init();
  }
  static void TearDownTestSuite() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
  void SetUp() override { pendingError = 0; }

  // A new w x h page whose pixel (x, y) is 0xFF000000 + salt + y * 4096 + x, made the screen page.
  static int32_t showPage(int32_t w, int32_t h, uint32_t salt = 0) {
    int32_t n = Image_Create(w, h);
    for (int32_t y = 0; y < h; y++)
      for (int32_t x = 0; x < w; x++) Image_Record(n)->pixels[y * w + x] = 0xFF000000u + salt + uint32_t(y * 4096 + x);
    Screen_Set(-n);
    return -n;
  }
  static uint32_t& shown(int32_t x, int32_t y) {
    SDL_Surface* s = SDL_GetVideoSurface();
    return static_cast<uint32_t*>(s->pixels)[y * (s->pitch / 4) + x];
  }
  // Alt+Enter presses, each taken by a pass of its own.
  static void toggle(int presses) {
    for (int i = 0; i < presses; i++) {
      Present_RequestFullScreenToggle();
      Screen_Present();
    }
  }
  static void backToWindow() {
    for (int i = 0; i < 3 && Present_IsFullScreen(); i++) toggle(1);
    ASSERT_FALSE(Present_IsFullScreen());
  }
  // The surface is w x h, full screen or not, with the page shown sw x sh at (ox, oy): its
  // corner pixels in the corners (whole blocks for a whole repeat), the border black.
  static void expectShown(int32_t page, int32_t w, int32_t h, bool full, int32_t sw, int32_t sh, int32_t ox, int32_t oy) {
    SDL_Surface* s = SDL_GetVideoSurface();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->w, w);
    EXPECT_EQ(s->h, h);
    EXPECT_EQ((s->flags & SDL_FULLSCREEN) != 0, full);
    EXPECT_EQ(Present_IsFullScreen(), full);
    const ImageRecord* r = Image_Record(-page);
    PresentGeometry g = Present_Geometry();
    EXPECT_EQ((std::vector<int32_t>{g.offsetX, g.offsetY, g.shownW, g.shownH, g.pageW, g.pageH}),
              (std::vector<int32_t>{ox, oy, sw, sh, r->width, r->height}));
    int32_t scale = sw % r->width == 0 && sh % r->height == 0 ? sw / r->width : 1;
    for (auto [px, py] : {std::pair{0, 0}, {r->width - 1, 0}, {0, r->height - 1}, {r->width - 1, r->height - 1}})
      for (int32_t dy = 0; dy < scale; dy++)
        for (int32_t dx = 0; dx < scale; dx++)
          EXPECT_EQ(shown(ox + (px ? sw - scale : 0) + dx, oy + (py ? sh - scale : 0) + dy), r->pixels[py * r->width + px])
              << px << "," << py;
    if (ox > 0) { EXPECT_EQ(shown(ox - 1, oy), 0u) << "the border left of the page is not cleared"; }
    if (oy > 0) { EXPECT_EQ(shown(ox, oy - 1), 0u) << "the border above the page is not cleared"; }
  }
};

TEST_F(Presentation, PageGeometryAndModeChoice) {
  struct Case {
    const char* what;
    std::vector<ScreenMode> modes;
    int32_t pageW, pageH, presses;
    int32_t w, h;
    bool full;
    int32_t shownW, shownH, ox, oy;
  };
  const Case cases[] = {
      {"a window is the page's size", {{1024, 768}}, 800, 600, 0, 800, 600, false, 800, 600, 0, 0},
      {"a small page in a window is 1:1", {{1024, 768}}, 320, 200, 0, 320, 200, false, 320, 200, 0, 0},
      {"a small page is doubled and centred", {{640, 380}, {640, 480}}, 320, 200, 1, 640, 480, true, 640, 400, 0, 40},
      {"512 x 384 is still small", {{1024, 768}, {700, 500}}, 512, 384, 1, 1024, 768, true, 1024, 768, 0, 0},
      {"513 wide is not: it fills the width", {{1024, 768}}, 513, 384, 1, 1024, 768, true, 1024, 766, 0, 1},
      {"a larger mode is filled, 1.28 times", {{1280, 720}, {1024, 768}}, 800, 600, 1, 1024, 768, true, 1024, 768, 0, 0},
      {"a later mode wins a tie; 1:1 fits", {{1000, 600}, {800, 800}}, 800, 600, 1, 800, 800, true, 800, 600, 0, 100},
      {"modes narrower than 640 are left out", {{600, 450}, {1024, 768}}, 200, 150, 1, 1024, 768, true, 1024, 768, 0, 0},
      {"the second press takes the 4:3 mode", {{1024, 768}, {840, 600}}, 800, 600, 2, 1024, 768, true, 1024, 768, 0, 0},
      {"no mode large enough: the window stays", {{1024, 500}, {600, 800}}, 800, 600, 1, 800, 600, false, 800, 600, 0, 0},
      {"no modes at all: the window stays", {}, 800, 600, 1, 800, 600, false, 800, 600, 0, 0},
      {"1920 x 1080: as high as it goes", {{1920, 1080}}, 800, 600, 1, 1920, 1080, true, 1440, 1080, 240, 0},
      {"3840 x 2160: 3.6 times", {{3840, 2160}}, 800, 600, 1, 3840, 2160, true, 2880, 2160, 480, 0},
      {"a whole multiple: 2 x 2 blocks", {{1920, 1200}}, 800, 600, 1, 1920, 1200, true, 1600, 1200, 160, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Present_SetModes(c.modes);
    int32_t page = showPage(c.pageW, c.pageH);
    Screen_Present();
    toggle(c.presses);
    Screen_Present();
    expectShown(page, c.w, c.h, c.full, c.shownW, c.shownH, c.ox, c.oy);
    backToWindow();
  }
  // The choice alone, for the lists the passes above cannot tell apart.
  int nearest, fourThree;
  Present_ChooseModes({{1024, 768}, {1024, 768}, {640, 480}}, 640, 480, &nearest, &fourThree);
  EXPECT_EQ(nearest, 2);
  EXPECT_EQ(fourThree, 2);
  Present_ChooseModes({{640, 480}, {1024, 768}, {1024, 768}}, 800, 600, &nearest, &fourThree);
  EXPECT_EQ(nearest, 2);
  EXPECT_EQ(fourThree, 2);
  Present_ChooseModes({{1282, 962}}, 800, 600, &nearest, &fourThree);  // 4:3 by whole quarters and thirds
  EXPECT_EQ(fourThree, 0);
  EXPECT_EQ(pendingError, 0);
}

// Pointer mapping and filter steps against the same sums in floating point: the window pixel
// of a page pixel maps back to it, and each step samples the right pair with the right weight.
TEST(PresentGeometry, PointerMappingAndFilterStepsAgreeWithAModel) {
  for (auto [size, shown] : {std::pair{800, 800}, {800, 1600}, {800, 1440}, {600, 1080}, {800, 2880}, {513, 1024}}) {
    SCOPED_TRACE(shown);
    for (int32_t p = 0; p < size; p++) ASSERT_EQ(Present_ToPage(Present_ToWindow(p, 7, shown, size), 7, shown, size), p);
    EXPECT_EQ(Present_ToPage(6, 7, shown, size), 0);
    EXPECT_EQ(Present_ToPage(7 + shown, 7, shown, size), size - 1);
    std::vector<FilterStep> steps;
    Present_FilterSteps(size, shown, &steps);
    double n = std::ceil(double(shown) / size);
    for (int32_t i = 0; i < shown; i++) {
      double at = (i + 0.5) * n * size / shown - 0.5, left = std::floor(at);
      int32_t l = int32_t(left / n), r = int32_t(std::min(left + 1, n * size - 1) / n);
      ASSERT_EQ(steps[size_t(i)].left, l) << i;
      ASSERT_EQ(steps[size_t(i)].right, r) << i;
      if (l != r) { ASSERT_NEAR(steps[size_t(i)].weight, (at - left) * 256, 0.5) << i; }
    }
  }
}

// A page of 2-pixel stripes (red across, green down) filling a larger mode: along each axis the
// stripes stay sharp (one mixed pixel at most between two of them) and even (their pure parts
// differ by one pixel at most), and the page spans the whole shown size.
TEST_F(Presentation, FractionalFullScreenKeepsStripesSharpAndEven) {
  for (auto [modeW, modeH] : {std::pair{1920, 1080}, {3840, 2160}, {1024, 768}}) {
    SCOPED_TRACE(modeW);
    Present_SetModes({{uint16_t(modeW), uint16_t(modeH)}});
    int32_t page = showPage(800, 600);
    ImageRecord* r = Image_Record(-page);
    for (int32_t y = 0; y < 600; y++)
      for (int32_t x = 0; x < 800; x++) r->pixels[y * 800 + x] = 0xFF000000u | (x / 2 % 2 ? 0 : 0xFF0000) | (y / 2 % 2 ? 0 : 0xFF00);
    toggle(1);
    PresentGeometry g = Present_Geometry();
    for (int axis = 0; axis < 2; axis++) {
      std::vector<uint32_t> line;  // red across the middle row, green down the middle column
      for (int32_t i = 0; i < (axis ? g.shownH : g.shownW); i++)
        line.push_back(axis ? shown(g.offsetX + g.shownW / 2, g.offsetY + i) >> 8 & 255
                            : shown(g.offsetX + i, g.offsetY + g.shownH / 2) >> 16 & 255);
      std::vector<int32_t> runs;  // the stripes' pure stretches
      for (size_t i = 0; i < line.size(); i++) {
        if (line[i] != 0 && line[i] != 255) {
          EXPECT_TRUE(i > 0 && (line[i - 1] == 0 || line[i - 1] == 255)) << "two mixed pixels at " << i;
          continue;
        }
        if (i > 0 && line[i - 1] == line[i]) runs.back()++;
        else runs.push_back(1);
      }
      EXPECT_EQ(runs.size(), axis ? 300u : 400u);
      EXPECT_LE(*std::max_element(runs.begin(), runs.end()) - *std::min_element(runs.begin(), runs.end()), 1) << axis;
    }
    backToWindow();
  }
}

std::vector<uint32_t> surfacePixels() {
  SDL_Surface* s = SDL_GetVideoSurface();
  std::vector<uint32_t> all;
  for (int32_t y = 0; y < s->h; y++) {
    const uint32_t* row = static_cast<const uint32_t*>(s->pixels) + y * (s->pitch / 4);
    all.insert(all.end(), row, row + s->w);
  }
  return all;
}

// A moving sight as the game draws it (the scope view restored from a clean copy, the sight put
// over it) and a box and a line: the passes that draw only what changed leave the window as a
// whole pass draws it, in a window, in 2 x 2 blocks and filtered to 1.8 times.
TEST_F(Presentation, PassesOfWhatChangedShowWhatAWholePassShows) {
  for (auto [modeW, modeH] : {std::pair{0, 0}, {1600, 1200}, {1920, 1080}}) {
    SCOPED_TRACE(modeW);
    Present_SetModes({{uint16_t(modeW ? modeW : 800), uint16_t(modeH ? modeH : 600)}});
    int32_t page = showPage(800, 600, uint32_t(modeW));
    Screen_Present();
    if (modeW != 0) toggle(1);
    int32_t clean = Image_New(800, 600), sight = Image_New(25, 25);
    Image_Put(0, 0, 0, 0, page, clean, 0, 0, 0, 0, PUT_SOURCE | PUT_DEST);
    for (int32_t i = 0; i < 625; i++) Image_Record(-sight)->pixels[i] = i % 7 ? 0x80FF8000u : 0u;
    auto moveSight = [&](int32_t x, int32_t y) {
      Image_Put(125, 22, 0, 0, clean, 0, 125, 22, 675, 570, PUT_DEST_FIRST | PUT_SOURCE | PUT_SOURCE_FIRST | PUT_SOURCE_SECOND);
      Image_Put(x - 12, y - 12, 0, 0, sight, 0, 0, 0, 0, 0, PUT_DEST_FIRST | PUT_SOURCE);
    };
    std::vector<uint32_t> before = surfacePixels();
    for (auto [x, y] : {std::pair{300, 200}, {301, 200}, {303, 205}, {662, 557}, {126, 23}}) {
      moveSight(x, y);
      Screen_Present();
    }
    Draw_FillBox(790, 0, 799, 3, 0xFF00FF00);
    Draw_Line(10, 599, 200, 590, 0xFFFFFFFF, SHAPE_LINE, 0, LINE_FIRST | LINE_COLOR);
    Screen_Present();
    std::vector<uint32_t> changed = surfacePixels();
    EXPECT_NE(changed, before) << "nothing drawn";
    { ScreenChangeNote whole; }
    Screen_Present();
    EXPECT_TRUE(surfacePixels() == changed);
    // The game draws on while a pass compares and copies: once the sight rests, one more pass
    // leaves no trace of where it went by.
    for (int32_t rest = 0, left = 0; rest < 30 && left == 0; rest++) {
      std::atomic<bool> stop{false};
      std::thread presenter([&] {
        while (!stop) Screen_Present();
      });
      for (int32_t i = 0; i < 40; i++) moveSight(140 + (rest + i) * 37 % 520, 40 + (rest + i) * 53 % 510);
      stop = true;
      presenter.join();
      Screen_Present();
      std::vector<uint32_t> rested = surfacePixels();
      { ScreenChangeNote whole; }
      Screen_Present();
      left = surfacePixels() != rested;
      EXPECT_EQ(left, 0) << "a pass left a sight behind";
    }
    Image_Release(-clean), Image_Release(-sight);
    backToWindow();
  }
  EXPECT_EQ(pendingError, 0);
}

TEST_F(Presentation, FullScreenCycleAndPageSwaps) {
  // Three states when the 4:3 mode differs from the nearest, two when it is the same.
  Present_SetModes({{1024, 768}, {840, 600}});
  int32_t page = showPage(800, 600);
  Screen_Present();
  toggle(1);
  expectShown(page, 840, 600, true, 800, 600, 20, 0);
  toggle(1);
  expectShown(page, 1024, 768, true, 1024, 768, 0, 0);
  toggle(1);
  expectShown(page, 800, 600, false, 800, 600, 0, 0);
  Present_SetModes({{800, 600}});
  toggle(1);
  expectShown(page, 800, 600, true, 800, 600, 0, 0);
  toggle(1);
  expectShown(page, 800, 600, false, 800, 600, 0, 0);
  // A press with no usable mode is taken all the same: it does not wait for one.
  Present_SetModes({});
  toggle(1);
  Present_SetModes({{1024, 600}});
  Screen_Present();
  expectShown(page, 800, 600, false, 800, 600, 0, 0);

  // Setting the page again changes nothing, not even the border; a new page clears it once.
  toggle(1);
  shown(111, 0) = 0x12345678;  // just left of the page
  Screen_Set(page);
  Screen_Present();
  EXPECT_EQ(shown(111, 0), 0x12345678u);
  int32_t other = showPage(800, 600, 7);
  Screen_Present();
  expectShown(other, 1024, 600, true, 800, 600, 112, 0);

  // While the presentation runs, a swap waits for its grant and the next pass shows the new page.
  Screen_StartPresenting();
  std::atomic<bool> stop{false};
  std::thread presenter([&] {
    while (!stop) Screen_Present();
  });
  for (int swap = 0; swap < 20; swap++) Screen_Set(swap % 2 ? page : other);
  stop = true;
  presenter.join();
  Screen_Present();
  expectShown(page, 1024, 600, true, 800, 600, 112, 0);  // the last swap's
  backToWindow();
  EXPECT_EQ(pendingError, 0);
}

}  // namespace

