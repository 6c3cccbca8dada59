// The window's icon picture and the checks of Window_Move that need no window.
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
