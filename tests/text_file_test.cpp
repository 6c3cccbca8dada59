// The line reader: line ends, byte 26, the file-number table, open and read errors, and files
// that are odd or change while they are read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "runtime/error.h"
#include "tests/scratch.h"
#include "text/text_file.h"

namespace fs = std::filesystem;

namespace {

struct TextFiles : ::testing::Test {
  fs::path folder;

  void SetUp() override {
    pendingError = 0;
    folder = Test_Scratch() / ("text-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override {
    TextFile_CloseAll();
    pendingError = 0;
    std::error_code ignored;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(folder, ignored);
  }

  std::string write(const std::string& name, const std::string& bytes) {
    fs::path path = folder / name;
    Test_WriteFile(path, bytes);
    return path.string();
  }

  // Every line of the file, read the way the game reads it.
  std::vector<std::string> lines(const std::string& bytes) {
    TextFile_Open(write("f.txt", bytes), TEXT_FILE_INPUT, 1);
    EXPECT_EQ(pendingError, 0);
    std::vector<std::string> result;
    while (TextFile_AtEnd(1) == 0 && result.size() < 100) {
      std::string line;
      TextFile_ReadLine(1, &line);
      EXPECT_EQ(pendingError, 0);
      result.push_back(line);
    }
    TextFile_Close(1, true);
    return result;
  }
};

using Lines = std::vector<std::string>;

TEST_F(TextFiles, EachLineEndFormEndsOneLine) {
  EXPECT_EQ(lines("a\r\nb"), (Lines{"a", "b"}));
  EXPECT_EQ(lines("a\n\rb"), (Lines{"a", "b"}));
  EXPECT_EQ(lines("a\rb\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(lines("a\r\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(lines("a\n\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(lines("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(lines("a\n\r\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(lines("\r\n"), (Lines{""}));
}

TEST_F(TextFiles, LastLineWithoutLineEndIsRead) {
  EXPECT_EQ(lines("one\r\ntwo"), (Lines{"one", "two"}));
  EXPECT_EQ(lines("x"), (Lines{"x"}));
}

TEST_F(TextFiles, EmptyFileIsAtItsEndAtOnce) {
  EXPECT_EQ(lines(""), Lines{});
  TextFile_Open(write("e.txt", ""), TEXT_FILE_INPUT, 1);
  std::string line = "old";
  TextFile_ReadLine(1, &line);
  EXPECT_EQ(pendingError, 62);
  EXPECT_EQ(line, "");
}

TEST_F(TextFiles, Byte26EndsTheText) {
  EXPECT_EQ(lines(std::string("\x1a" "abc", 4)), Lines{});
  EXPECT_EQ(lines("abc\x1a" "def"), (Lines{"abc"}));
  EXPECT_EQ(lines("abc\r\n\x1a" "def"), (Lines{"abc"}));
  EXPECT_EQ(lines("abc\r\x1a\ndef"), (Lines{"abc"}));

  // The position stays on byte 26: reading on is past the end, however often it is tried.
  TextFile_Open(write("z.txt", "abc\x1a" "def"), TEXT_FILE_INPUT, 1);
  std::string line;
  TextFile_ReadLine(1, &line);
  EXPECT_EQ(line, "abc");
  EXPECT_EQ(TextFile_AtEnd(1), -1);
  TextFile_ReadLine(1, &line);
  EXPECT_EQ(pendingError, 62);
  EXPECT_EQ(line, "");
}

TEST_F(TextFiles, BytesOfEveryValueOtherThanLineEndsAnd26AreData) {
  std::string all;
  for (int b = 0; b < 256; b++)
    if (b != '\r' && b != '\n' && b != 26) all.push_back(static_cast<char>(b));
  EXPECT_EQ(lines(all + "\r\n" + all), (Lines{all, all}));
}

TEST_F(TextFiles, LineEndsAcrossTheReadBufferEdge) {
  // Line ends that straddle the reader's internal buffer boundaries, at many offsets.
  for (size_t n = 4090; n < 4100; n++) {
    std::string a(n, 'a');
    EXPECT_EQ(lines(a + "\r\nb\n\rc\r\rd"), (Lines{a, "b", "c", "", "d"})) << n;
  }
}

TEST_F(TextFiles, HugeLineIsCutIntoPiecesNothingLost) {
  std::string big(2 * TEXT_LINE_LIMIT + 5, 'x');
  Lines got = lines(big + "\r\nend");
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].size(), TEXT_LINE_LIMIT);
  EXPECT_EQ(got[1].size(), TEXT_LINE_LIMIT);
  EXPECT_EQ(got[2], "xxxxx");
  EXPECT_EQ(got[3], "end");
}

TEST_F(TextFiles, NumberTableErrors) {
  std::string name = write("a.txt", "a");
  TextFile_Open(name, TEXT_FILE_INPUT, 0);
  EXPECT_EQ(pendingError, 52);
  pendingError = 0;
  TextFile_Open(name, TEXT_FILE_INPUT, 1);
  TextFile_Open(name, TEXT_FILE_INPUT, 1);
  EXPECT_EQ(pendingError, 55);
  pendingError = 0;

  std::string line;
  TextFile_ReadLine(2, &line);
  EXPECT_EQ(pendingError, 52);
  pendingError = 0;
  EXPECT_EQ(TextFile_AtEnd(2), 0);
  EXPECT_EQ(pendingError, 52);
  pendingError = 0;
  EXPECT_EQ(TextFile_AtEnd(-1), 0);
  EXPECT_EQ(pendingError, 52);
  pendingError = 0;

  TextFile_Open(name, TEXT_FILE_BINARY, 2);
  TextFile_ReadLine(2, &line);
  EXPECT_EQ(pendingError, 54);
  pendingError = 0;
  TextFile_Open(name, 7, 3);
  EXPECT_EQ(pendingError, 54);
  pendingError = 0;

  // A very high number is as cheap as 1; closing numbers not open is harmless.
  TextFile_Open(name, TEXT_FILE_INPUT, 2147483647);
  EXPECT_EQ(pendingError, 0);
  TextFile_Close(3, true);
  TextFile_Close(-5, true);
  TextFile_Close(2147483647, true);
  EXPECT_EQ(pendingError, 0);
  TextFile_Close(1, true);
  TextFile_Open(name, TEXT_FILE_INPUT, 1);  // 1 is free again
  EXPECT_EQ(pendingError, 0);
  TextFile_Close(0, false);  // every file
  TextFile_Open(name, TEXT_FILE_INPUT, 2);
  EXPECT_EQ(pendingError, 0);
}

TEST_F(TextFiles, OpenFailuresByCauseLeaveTheNumberFree) {
  std::string present = write("here.txt", "x");
  struct Case {
    std::string name;
    int32_t error;
  } cases[] = {
      {(folder / "missing.txt").string(), 53},
      {(folder / "no-folder" / "missing.txt").string(), 76},
      {(folder / "no-folder" / "deeper" / "x.txt").string(), 76},
      {present + "/x.txt", 76},      // a file used as a folder
      {folder.string(), 70},         // a folder cannot be read as a file
      {"", 53},
      {std::string("here.txt\0tail", 13), 53},
  };
  for (const Case& c : cases) {
    pendingError = 0;
    TextFile_Open(c.name, TEXT_FILE_INPUT, 1);
    EXPECT_EQ(pendingError, c.error) << c.name;
    pendingError = 0;
    TextFile_Open(present, TEXT_FILE_INPUT, 1);
    EXPECT_EQ(pendingError, 0) << "number 1 was left in use after " << c.name;
    TextFile_Close(1, true);
  }
}

TEST_F(TextFiles, AccessRefusedIsPermissionDenied) {
  std::string name = write("locked.txt", "secret");
  fs::permissions(name, fs::perms::none);
  if (std::ifstream(name).is_open()) GTEST_SKIP() << "running with rights that bypass file modes";
  TextFile_Open(name, TEXT_FILE_INPUT, 1);
  EXPECT_EQ(pendingError, 70);
}

TEST_F(TextFiles, NothingHappensWhileAnErrorIsPending) {
  std::string name = write("a.txt", "a\r\nb");
  TextFile_Open(name, TEXT_FILE_INPUT, 1);
  pendingError = 5;
  TextFile_Open(name, TEXT_FILE_INPUT, 2);
  std::string line = "kept";
  TextFile_ReadLine(1, &line);
  EXPECT_EQ(line, "kept");
  TextFile_Close(1, true);
  pendingError = 0;
  TextFile_ReadLine(1, &line);
  EXPECT_EQ(line, "a");
  TextFile_Open(name, TEXT_FILE_INPUT, 2);
  EXPECT_EQ(pendingError, 0);
}

TEST_F(TextFiles, FileThatShrinksOrGrowsWhileRead) {
  std::string name = write("live.txt", "first\r\nsecond line\r\nthird\r\n");
  TextFile_Open(name, TEXT_FILE_INPUT, 1);
  std::string line;
  TextFile_ReadLine(1, &line);
  EXPECT_EQ(line, "first");

  fs::resize_file(name, 3);  // now shorter than the position
  EXPECT_EQ(TextFile_AtEnd(1), -1);
  TextFile_ReadLine(1, &line);
  EXPECT_EQ(pendingError, 62);
  EXPECT_EQ(line, "");
  pendingError = 0;

  Test_WriteFile(name, "0123456789\r\nmore", "ab");
  // The end mark of the failed read stands until a read gets bytes again.
  EXPECT_EQ(TextFile_AtEnd(1), -1);
  TextFile_ReadLine(1, &line);
  EXPECT_EQ(line, "456789");
  TextFile_ReadLine(1, &line);
  EXPECT_EQ(line, "more");
  EXPECT_EQ(TextFile_AtEnd(1), -1);
}

// A second splitter written from the rules, byte by byte over the whole text.
Lines referenceLines(const std::string& bytes) {
  std::string text = bytes.substr(0, bytes.find('\x1a'));
  Lines result;
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find_first_of("\r\n", i);
    if (end == std::string::npos) {
      result.push_back(text.substr(i));
      break;
    }
    result.push_back(text.substr(i, end - i));
    i = end + 1;
    if (i < text.size() && (text[i] == '\r' || text[i] == '\n') && text[i] != text[end]) i++;
  }
  return result;
}

TEST_F(TextFiles, RandomBytesSplitAsTheRulesSay) {
  std::mt19937 random(1234);
  const char alphabet[] = {'a', 'b', '\r', '\n', '\x1a', '\0', '\xff'};
  for (int round = 0; round < 300; round++) {
    std::string bytes;
    size_t length = random() % 40;
    for (size_t i = 0; i < length; i++) bytes.push_back(alphabet[random() % sizeof alphabet]);
    EXPECT_EQ(lines(bytes), referenceLines(bytes)) << testing::PrintToString(bytes);
  }
}

}  // namespace
