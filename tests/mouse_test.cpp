// The mouse queue: ring arithmetic and overflow, motion and button records, the restart after
// a new window surface, and the page coordinates and button numbering the game reads.
#include <gtest/gtest.h>

#include "graphics/image.h"
#include "graphics/present.h"
#include "graphics/screen.h"
#include "runtime/error.h"
#include "host/input_events.h"
#include "host/mouse.h"
#include "runtime/program.h"

namespace {

SDL_Event motion(int x, int y, int dx, int dy, uint8_t state = 0) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = Uint16(x);
  e.motion.y = Uint16(y);
  e.motion.xrel = Sint16(dx);
  e.motion.yrel = Sint16(dy);
  e.motion.state = state;
  return e;
}

SDL_Event button(bool down, uint8_t which, int x, int y) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = which;
  e.button.x = Uint16(x);
  e.button.y = Uint16(y);
  return e;
}

// A record that says where it was written: its sequence number in buttons and x.
MouseRecord numbered(int32_t i) { return MouseRecord{int16_t(i & 0x7FFF), 0, i, 0, 0}; }

int32_t drain() {
  int32_t n = 0;
  while (Mouse_Input()) n++;
  return n;
}

struct MouseTest : ::testing::Test {
  void SetUp() override {
    pendingError = 0;
    Mouse_InitQueueAt(10, 20);
    Mouse_SetMotionSkip(0);
    Present_SetGeometry({0, 0, 800, 600, 800, 600});
    Image_InitTable();
    if (page == 0) page = Image_Create(800, 600);
    screenPage = page;
  }
  void TearDown() override {
    pendingError = 0;
    eventCheckPending = 0;
  }
  static int32_t page;
};
int32_t MouseTest::page = 0;

}  // namespace

// ---- ring arithmetic ----------------------------------------------------------------------

TEST_F(MouseTest, StartsOnTheFirstRecordWithNothingNewer) {
  EXPECT_EQ(Mouse_Input(), 0);
  EXPECT_EQ(Mouse_X(), 10.0f);
  EXPECT_EQ(Mouse_Y(), 20.0f);
  EXPECT_EQ(Mouse_Current().buttons, 0);
}

TEST_F(MouseTest, WalksRecordsInOrderAndStopsOnTheNewest) {
  for (int i = 1; i <= 3; i++) Mouse_Append(numbered(i));
  for (int i = 1; i <= 3; i++) {
    ASSERT_EQ(Mouse_Input(), -1);
    EXPECT_EQ(Mouse_Current().buttons, i);
  }
  EXPECT_EQ(Mouse_Input(), 0);
  EXPECT_EQ(Mouse_Input(), 0);
  EXPECT_EQ(Mouse_Current().buttons, 3);
}

TEST_F(MouseTest, HoldsExactly65535UnreadRecords) {
  for (int i = 1; i < MOUSE_QUEUE_SIZE; i++) Mouse_Append(numbered(i));
  EXPECT_EQ(Mouse_Current().buttons, 0);  // nothing lost yet
  EXPECT_EQ(drain(), MOUSE_QUEUE_SIZE - 1);
  EXPECT_EQ(Mouse_Current().buttons, MOUSE_QUEUE_SIZE - 1);
}

TEST_F(MouseTest, OverflowLosesTheOldestAndKeepsTheNewest) {
  // The 65,536th record wraps the newest index to 0 and pushes the current record on.
  for (int i = 1; i <= MOUSE_QUEUE_SIZE; i++) Mouse_Append(numbered(i));
  EXPECT_EQ(Mouse_Current().buttons, 1);
  for (int i = MOUSE_QUEUE_SIZE + 1; i < MOUSE_QUEUE_SIZE + 10; i++) Mouse_Append(numbered(i));
  EXPECT_EQ(Mouse_Current().buttons, 10);
  EXPECT_EQ(drain(), MOUSE_QUEUE_SIZE - 1);
  EXPECT_EQ(Mouse_Current().buttons, MOUSE_QUEUE_SIZE + 9);
}

TEST_F(MouseTest, WrapsAroundTheRingWhileReadInStep) {
  for (int i = 1; i <= 3 * MOUSE_QUEUE_SIZE; i++) {
    Mouse_Append(numbered(i));
    ASSERT_EQ(Mouse_Input(), -1);
    ASSERT_EQ(Mouse_Current().buttons, i);
  }
  EXPECT_EQ(Mouse_Input(), 0);
}

// ---- records from events ------------------------------------------------------------------

TEST_F(MouseTest, MotionWritesTwoRecordsTheSecondWithoutMovement) {
  Mouse_OnEvent(motion(100, 50, 7, -3, SDL_BUTTON(1)));
  ASSERT_EQ(Mouse_Input(), -1);
  MouseRecord r = Mouse_Current();
  EXPECT_EQ(r.x, 100);
  EXPECT_EQ(r.y, 50);
  EXPECT_EQ(r.buttons, 1);
  EXPECT_EQ(r.moveX, 7);
  EXPECT_EQ(r.moveY, -3);
  ASSERT_EQ(Mouse_Input(), -1);
  r = Mouse_Current();
  EXPECT_EQ(r.x, 100);
  EXPECT_EQ(r.y, 50);
  EXPECT_EQ(r.buttons, 1);
  EXPECT_EQ(r.moveX, 0);
  EXPECT_EQ(r.moveY, 0);
  EXPECT_EQ(Mouse_Input(), 0);
}

TEST_F(MouseTest, SkipCounterStripsTheMovementOfTheFirstMotions) {
  Mouse_InitQueueAt(0, 0);  // the start-up counter of 1: the very first motion carries none
  Mouse_OnEvent(motion(5, 5, 5, 5));
  Mouse_OnEvent(motion(9, 9, 4, -4));
  int32_t moves[4][2];
  for (auto& m : moves) {
    ASSERT_EQ(Mouse_Input(), -1);
    m[0] = Mouse_Current().moveX;
    m[1] = Mouse_Current().moveY;
  }
  const int32_t want[4][2] = {{0, 0}, {0, 0}, {4, -4}, {0, 0}};
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(moves[i][0], want[i][0]) << i;
    EXPECT_EQ(moves[i][1], want[i][1]) << i;
  }
  // A counter of 2: of three motions only the last keeps its movement.
  Mouse_SetMotionSkip(2);
  int32_t moved = 0;
  for (int i = 0; i < 3; i++) Mouse_OnEvent(motion(i, i, 1, 1));
  while (Mouse_Input()) moved += Mouse_Current().moveX;
  EXPECT_EQ(moved, 1);
}

TEST_F(MouseTest, ButtonRecordsBuildOnTheNewestRecord) {
  Mouse_OnEvent(motion(30, 40, 0, 0, SDL_BUTTON(2)));  // middle held during the motion
  Mouse_OnEvent(button(true, SDL_BUTTON_LEFT, 31, 41));
  Mouse_OnEvent(button(true, SDL_BUTTON_RIGHT, 32, 42));
  Mouse_OnEvent(button(false, SDL_BUTTON_MIDDLE, 33, 43));
  Mouse_OnEvent(button(false, SDL_BUTTON_MIDDLE, 34, 44));  // not down: left alone
  Mouse_OnEvent(button(false, SDL_BUTTON_LEFT, 35, 45));
  const int32_t want[] = {2, 2, 3, 7, 5, 5, 4};
  for (int32_t b : want) {
    ASSERT_EQ(Mouse_Input(), -1);
    EXPECT_EQ(Mouse_Current().buttons, b);
    EXPECT_EQ(Mouse_Current().moveX, 0);
  }
  EXPECT_EQ(Mouse_Current().x, 35);
  EXPECT_EQ(Mouse_Input(), 0);
}

TEST_F(MouseTest, ClickBetweenTwoDrainsLeavesADownAndAnUpRecord) {
  Mouse_OnEvent(button(true, SDL_BUTTON_LEFT, 200, 200));
  Mouse_OnEvent(button(false, SDL_BUTTON_LEFT, 200, 200));
  EXPECT_EQ(drain(), 2);
  EXPECT_EQ(Mouse_Button(1), 0);  // the newest record alone does not show the click
}

TEST_F(MouseTest, WheelAndHighButtonsSetTheirBitsOrNone) {
  Mouse_OnEvent(button(true, SDL_BUTTON_WHEELDOWN, 1, 1));
  Mouse_OnEvent(button(true, 200, 1, 1));
  Mouse_Input();
  EXPECT_EQ(Mouse_Current().buttons, 16);
  Mouse_Input();
  EXPECT_EQ(Mouse_Current().buttons, 16);
}

// ---- restart after a new window surface ---------------------------------------------------

TEST_F(MouseTest, RestartDropsUnreadRecordsAndKeepsTheButtons) {
  Mouse_OnEvent(button(true, SDL_BUTTON_LEFT, 5, 5));
  for (int i = 0; i < 100; i++) Mouse_OnEvent(motion(i, i, 1, 1, SDL_BUTTON(1)));
  Mouse_RestartQueueAt(321, 123);
  EXPECT_EQ(Mouse_Input(), 0);
  MouseRecord r = Mouse_Current();
  EXPECT_EQ(r.x, 321);
  EXPECT_EQ(r.y, 123);
  EXPECT_EQ(r.buttons, 1);
  EXPECT_EQ(r.moveX, 0);
  EXPECT_EQ(r.moveY, 0);
  Mouse_OnEvent(motion(322, 124, 1, 1, SDL_BUTTON(1)));
  EXPECT_EQ(drain(), 2);
}

TEST_F(MouseTest, RestartOnAFullRingStillEndsOnTheRestartRecord) {
  for (int i = 1; i < MOUSE_QUEUE_SIZE; i++) Mouse_Append(numbered(i));
  Mouse_RestartQueueAt(7, 8);
  EXPECT_EQ(Mouse_Input(), 0);
  EXPECT_EQ(Mouse_Current().x, 7);
  EXPECT_EQ(Mouse_Current().buttons, MOUSE_QUEUE_SIZE - 1);
}

// ---- what the game reads ------------------------------------------------------------------

TEST_F(MouseTest, PositionClampsAtAllFourEdgesOfThePage) {
  const struct {
    int16_t x, y;
    float px, py;
  } cases[] = {{-5, 300, 0, 300}, {400, -1, 400, 0}, {800, 300, 799, 300}, {400, 600, 400, 599},
               {32767, 32767, 799, 599}, {0, 0, 0, 0}, {799, 599, 799, 599}};
  for (const auto& c : cases) {
    Mouse_Append(MouseRecord{c.x, c.y, 0, 0, 0});
    Mouse_Input();
    EXPECT_EQ(Mouse_X(), c.px) << c.x;
    EXPECT_EQ(Mouse_Y(), c.py) << c.y;
  }
}

TEST_F(MouseTest, PositionUndoesTheFullScreenOffsetAndDoubling) {
  // A 320 x 200 page doubled in a 1024 x 768 mode: offsets (1024 - 640) / 2 and (768 - 400) / 2.
  Present_SetGeometry({192, 184, 640, 400, 320, 200});
  const struct {
    int16_t x, y;
    float px, py;
  } cases[] = {{192, 184, 0, 0},    {193, 185, 0, 0},     {194, 186, 1, 1},      {100, 100, 0, 0},
               {831, 583, 319, 199}, {832, 584, 319, 199}, {1023, 767, 319, 199}, {512, 384, 160, 100}};
  for (const auto& c : cases) {
    Mouse_Append(MouseRecord{c.x, c.y, 0, 0, 0});
    Mouse_Input();
    EXPECT_EQ(Mouse_X(), c.px) << c.x;
    EXPECT_EQ(Mouse_Y(), c.py) << c.y;
  }
}

TEST_F(MouseTest, ButtonNumbersTwoRightAndThreeMiddle) {
  const struct {
    int32_t bits, left, right, middle;
  } cases[] = {{1, -1, 0, 0}, {2, 0, 0, -1}, {4, 0, -1, 0}, {7, -1, -1, -1}, {24, 0, 0, 0}};
  for (const auto& c : cases) {
    Mouse_Append(MouseRecord{0, 0, c.bits, 0, 0});
    Mouse_Input();
    EXPECT_EQ(Mouse_Button(1), c.left) << c.bits;
    EXPECT_EQ(Mouse_Button(2), c.right) << c.bits;
    EXPECT_EQ(Mouse_Button(3), c.middle) << c.bits;
    EXPECT_EQ(Mouse_Button(4), 0);
    EXPECT_EQ(Mouse_Button(5), 0);
  }
  EXPECT_EQ(pendingError.load(), 0);
}

TEST_F(MouseTest, ButtonBelowOneIsError5AndThenEverythingIsInert) {
  Mouse_Append(MouseRecord{50, 60, 1, 0, 0});
  EXPECT_EQ(Mouse_Button(0), 0);
  EXPECT_EQ(pendingError.load(), 5);
  EXPECT_EQ(Mouse_Input(), 0);  // the newer record stays unread while the error is pending
  EXPECT_EQ(Mouse_X(), 0.0f);
  EXPECT_EQ(Mouse_Button(1), 0);
  pendingError = 0;
  EXPECT_EQ(Mouse_Button(-7), 0);
  EXPECT_EQ(pendingError.load(), 5);
  pendingError = 0;
  EXPECT_EQ(Mouse_Input(), -1);
  EXPECT_EQ(Mouse_X(), 50.0f);
}
