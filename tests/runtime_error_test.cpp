// The error queue and the texts of the error box.
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/error.h"
#include "runtime/program.h"

namespace {

struct ErrorQueue : ::testing::Test {
  void SetUp() override {
    pendingError = 0;
    eventCheckPending = 0;
  }
  void TearDown() override {
    pendingError = 0;
    eventCheckPending = 0;
  }
};

TEST_F(ErrorQueue, FirstErrorOfAStepWins) {
  Runtime_Error(53);
  Runtime_Error(258);
  EXPECT_EQ(pendingError, 53);
  EXPECT_EQ(eventCheckPending, 1);
  EXPECT_TRUE(Error_Pending());
}

TEST_F(ErrorQueue, ZeroOrNegativeBecomesIllegalFunctionCall) {
  Runtime_Error(0);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  Runtime_Error(-7);
  EXPECT_EQ(pendingError, 5);
}

TEST(ErrorText, BoxForAnOrdinaryError) {
  std::string text, caption;
  Error_DialogText(5, 286, &text, &caption);
  EXPECT_EQ(text, "Line:286\nIllegal function call\nContinue?");
  EXPECT_EQ(caption, "Unhandled Error #5");
}

TEST(ErrorText, CodesWithoutTextAreUnprintable) {
  std::string text, caption;
  Error_DialogText(15, 3, &text, &caption);
  EXPECT_EQ(text, "Line:3\nUnprintable error\nContinue?");
  EXPECT_EQ(caption, "Unhandled Error #15");
  EXPECT_STREQ(Error_Message(999), "Unprintable error");
  EXPECT_STREQ(Error_Message(76), "Path not found");
  EXPECT_STREQ(Error_Message(258), "Invalid handle");
}

TEST(ErrorText, CriticalCodesOfferNoChoice) {
  std::string text, caption;
  Error_DialogText(300, 12, &text, &caption);
  EXPECT_EQ(text, "Line:12\nMemory region out of range");
  EXPECT_EQ(caption, "Critical Error #300");
  Error_DialogText(313, 1, &text, &caption);
  EXPECT_EQ(caption, "Critical Error #313");
  Error_DialogText(314, 1, &text, &caption);
  EXPECT_EQ(caption, "Unhandled Error #314");
}

// Fatal codes end the process at once with exit code 0 after their box (here written to
// standard error, as there is no display in the child).
void raiseWithoutDisplay(int32_t n) {
  unsetenv("DISPLAY");
  setenv("SDL_VIDEODRIVER", "dummy", 1);  // Windows' boxes: no window system
  Runtime_Error(n);
}

TEST(FatalErrors, EndTheProcessWithCodeZero) {
  EXPECT_EXIT(raiseWithoutDisplay(11), ::testing::ExitedWithCode(0), "Critical Error\\]\nDivision by zero");
  EXPECT_EXIT(raiseWithoutDisplay(257), ::testing::ExitedWithCode(0), "Critical Error #1\\]\nOut of memory");
  EXPECT_EXIT(raiseWithoutDisplay(502), ::testing::ExitedWithCode(0), "Critical Error #2\\]\nOut of memory");
  EXPECT_EXIT(raiseWithoutDisplay(518), ::testing::ExitedWithCode(0), "Critical Error #18\\]\nOut of memory");
}

// The fault is the point here, so the undefined-behaviour checker must let it happen.
__attribute__((no_sanitize("undefined"))) void divideByZeroWithoutDisplay() {
  unsetenv("DISPLAY");
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  Error_CatchArithmeticFaults();
  volatile int zero = 0;
  volatile int quotient = 7 / zero;
  (void)quotient;
}

TEST(FatalErrors, IntegerDivisionByZeroRaisesError11) {
  EXPECT_EXIT(divideByZeroWithoutDisplay(), ::testing::ExitedWithCode(0), "Division by zero");
}

}  // namespace
