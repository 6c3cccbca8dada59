// The window's icon picture and the checks of Window_Move that need no window.
#include <SDL.h>

#include <atomic>
#include <thread>

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
      Screen_RequestFullScreenToggle();
      Screen_Present();
    }
  }
  static void backToWindow() {
    for (int i = 0; i < 3 && Screen_IsFullScreen(); i++) toggle(1);
    ASSERT_FALSE(Screen_IsFullScreen());
  }
  // The surface is w x h, full screen or not, with the page drawn at (ox, oy) scale times over.
  static void expectShown(int32_t page, int32_t w, int32_t h, bool full, int32_t scale, int32_t ox, int32_t oy) {
    SDL_Surface* s = SDL_GetVideoSurface();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->w, w);
    EXPECT_EQ(s->h, h);
    EXPECT_EQ((s->flags & SDL_FULLSCREEN) != 0, full);
    EXPECT_EQ(Screen_IsFullScreen(), full);
    EXPECT_EQ(presentScaleX.load(), scale);
    EXPECT_EQ(presentScaleY.load(), scale);
    EXPECT_EQ(presentOffsetX.load(), ox);
    EXPECT_EQ(presentOffsetY.load(), oy);
    const ImageRecord* r = Image_Record(-page);
    for (auto [px, py] : {std::pair{0, 0}, {r->width - 1, 0}, {0, r->height - 1}, {r->width - 1, r->height - 1}})
      for (int32_t dy = 0; dy < scale; dy++)
        for (int32_t dx = 0; dx < scale; dx++)
          EXPECT_EQ(shown(ox + px * scale + dx, oy + py * scale + dy), r->pixels[py * r->width + px]) << px << "," << py;
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
    int32_t scale, ox, oy;
  };
  const Case cases[] = {
      {"a window is the page's size", {{1024, 768}}, 800, 600, 0, 800, 600, false, 1, 0, 0},
      {"a small page in a window is 1:1", {{1024, 768}}, 320, 200, 0, 320, 200, false, 1, 0, 0},
      {"a small page is doubled and centred", {{640, 480}}, 320, 200, 1, 640, 480, true, 2, 0, 40},
      {"512 x 384 is still small", {{1024, 768}}, 512, 384, 1, 1024, 768, true, 2, 0, 0},
      {"513 wide is not", {{1024, 768}}, 513, 384, 1, 1024, 768, true, 1, 255, 192},
      {"a page centred in a larger mode", {{1280, 720}, {1024, 768}}, 800, 600, 1, 1024, 768, true, 1, 112, 84},
      {"a later mode wins a tie", {{1000, 600}, {800, 800}}, 800, 600, 1, 800, 800, true, 1, 0, 100},
      {"modes narrower than 640 are left out", {{600, 450}, {1024, 768}}, 200, 150, 1, 1024, 768, true, 2, 312, 234},
      {"the second press takes the 4:3 mode", {{1024, 768}, {840, 600}}, 800, 600, 2, 1024, 768, true, 1, 112, 84},
      {"no mode large enough: the window stays", {{1024, 500}, {600, 800}}, 800, 600, 1, 800, 600, false, 1, 0, 0},
      {"no modes at all: the window stays", {}, 800, 600, 1, 800, 600, false, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Screen_SetModes(c.modes);
    int32_t page = showPage(c.pageW, c.pageH);
    Screen_Present();
    toggle(c.presses);
    Screen_Present();
    expectShown(page, c.w, c.h, c.full, c.scale, c.ox, c.oy);
    backToWindow();
  }
  // The choice alone, for the lists the passes above cannot tell apart.
  int nearest, fourThree;
  Screen_ChooseModes({{1024, 768}, {1024, 768}, {640, 480}}, 640, 480, &nearest, &fourThree);
  EXPECT_EQ(nearest, 2);
  EXPECT_EQ(fourThree, 2);
  Screen_ChooseModes({{640, 480}, {1024, 768}, {1024, 768}}, 800, 600, &nearest, &fourThree);
  EXPECT_EQ(nearest, 2);
  EXPECT_EQ(fourThree, 2);
  Screen_ChooseModes({{1282, 962}}, 800, 600, &nearest, &fourThree);  // 4:3 by whole quarters and thirds
  EXPECT_EQ(fourThree, 0);
  EXPECT_EQ(pendingError, 0);
}

TEST_F(Presentation, FullScreenCycleAndPageSwaps) {
  // Three states when the 4:3 mode differs from the nearest, two when it is the same.
  Screen_SetModes({{1024, 768}, {840, 600}});
  int32_t page = showPage(800, 600);
  Screen_Present();
  toggle(1);
  expectShown(page, 840, 600, true, 1, 20, 0);
  toggle(1);
  expectShown(page, 1024, 768, true, 1, 112, 84);
  toggle(1);
  expectShown(page, 800, 600, false, 1, 0, 0);
  Screen_SetModes({{800, 600}});
  toggle(1);
  expectShown(page, 800, 600, true, 1, 0, 0);
  toggle(1);
  expectShown(page, 800, 600, false, 1, 0, 0);
  // A press with no usable mode is taken all the same: it does not wait for one.
  Screen_SetModes({});
  toggle(1);
  Screen_SetModes({{1024, 768}});
  Screen_Present();
  expectShown(page, 800, 600, false, 1, 0, 0);

  // Setting the page again changes nothing, not even the border; a new page clears it once.
  toggle(1);
  shown(111, 84) = 0x12345678;  // just left of the page
  Screen_Set(page);
  Screen_Present();
  EXPECT_EQ(shown(111, 84), 0x12345678u);
  int32_t other = showPage(800, 600, 7);
  Screen_Present();
  expectShown(other, 1024, 768, true, 1, 112, 84);

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
  expectShown(page, 1024, 768, true, 1, 112, 84);  // the last swap's
  backToWindow();
  EXPECT_EQ(pendingError, 0);
}

}  // namespace
