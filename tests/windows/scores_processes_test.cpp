// Windows alone: the best scores saved by separate processes, which the Linux tests make with
// fork. A child is this test program again running WindowsScoresChild.Lose alone, with its
// orders in the environment; a child stopped at a step of its save ends there at once, as a
// killed process would, and the system closes what it held.
#include <gtest/gtest.h>
#include <process.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "game/scores.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

static const int stoppedCode = 99;

// BRINE_SCORES_CHILD = "first step count stop": lose count games of 1 + (i * 37 % 80) for i =
// first, first + step, ..., the save stopped at step stop of the last one (0: never). Exit 0,
// or 1 when a single game did not enter the table.
TEST(WindowsScoresChild, Lose) {
  const char* orders = std::getenv("BRINE_SCORES_CHILD");
  if (orders == nullptr || *orders == '\0') GTEST_SKIP() << "run by the tests below, in processes of their own";
  static int first, step, count, stop;
  ASSERT_EQ(std::sscanf(orders, "%d %d %d %d", &first, &step, &count, &stop), 4);
  for (int n = 0; n < count; n++) {
    if (n == count - 1) Sys_FileReplaceStepHook = [](int at) { at == stop ? std::_Exit(stoppedCode) : void(); };
    Scores_GameOver((first + n * step) * 37 % 80 + 1, 3);
  }
  std::_Exit(count == 1 && Scores_Marked() < 0 ? 1 : 0);
}

struct WindowsScores : ::testing::Test {
  std::string home, path, folder, before;
  void SetUp() override {
    const char* was = std::getenv(SYS_DATA_HOME_VARIABLE);
    before = was != nullptr ? was : "";
    char pattern[] = "brine-scores-XXXXXX";
    home = (fs::temp_directory_path() / mkdtemp(pattern)).string();
    _putenv_s(SYS_DATA_HOME_VARIABLE, home.c_str());
    path = Scores_Path(), folder = fs::path(path).parent_path().string();
  }
  void TearDown() override {
    fs::remove_all(home);
    _putenv_s(SYS_DATA_HOME_VARIABLE, before.c_str());
  }
  static intptr_t start(const std::string& orders) {
    _putenv_s("BRINE_SCORES_CHILD", orders.c_str());
    std::string self = "\"" + Sys_ExecutablePath() + "\"";
    intptr_t child = _spawnl(_P_NOWAIT, Sys_ExecutablePath().c_str(), self.c_str(), "--gtest_filter=WindowsScoresChild.Lose", nullptr);
    _putenv_s("BRINE_SCORES_CHILD", "");
    return child;
  }
  static int finish(intptr_t child) {
    int code = -1;
    return child == -1 || _cwait(&code, child, 0) == -1 ? -1 : code;
  }
  // A game of total (i * 37 % 80 + 1 for i = game) lost in a child, stopped at step stop.
  static int lose(int game, int stop = 0) { return finish(start(std::to_string(game) + " 1 1 " + std::to_string(stop))); }
  std::vector<int64_t> kept() const {
    std::ifstream in(path);
    std::vector<ScoreEntry> table;
    std::string why;
    EXPECT_TRUE(Scores_Parse(std::string(std::istreambuf_iterator<char>(in), {}), &table, &why)) << why;
    std::vector<int64_t> totals;
    for (const ScoreEntry& e : table) totals.push_back(e.score);
    return totals;
  }
};

// Stopped at every step of a save, a child leaves the old table or the new one, whole, and the
// next save goes through.
TEST_F(WindowsScores, SaveStoppedAtAnyStepLeavesAWholeTable) {
  for (int step = SYS_REPLACE_OPENED; step <= SYS_REPLACE_DONE; step++) {
    fs::create_directories(folder);
    std::ofstream(path) << Scores_Format({{500, 3, "2026-12-07 23:45:12"}});
    EXPECT_EQ(lose(1, step), stoppedCode);  // a game of 38
    std::vector<int64_t> want = step < SYS_REPLACE_RENAMED ? std::vector<int64_t>{500} : std::vector<int64_t>{500, 38};
    EXPECT_EQ(kept(), want) << "stopped at step " << step;
    ASSERT_EQ(lose(2), 0);  // a game of 75, whatever the stop left beside the table
    EXPECT_EQ(kept().size(), want.size() + 1) << "after a stop at step " << step;
  }
}

TEST_F(WindowsScores, TwoProcessesSavingAtOnceLoseNothing) {
  intptr_t even = start("0 2 40 0"), odd = start("1 2 40 0");
  EXPECT_EQ(finish(even), 0);
  EXPECT_EQ(finish(odd), 0);
  EXPECT_EQ(kept(), (std::vector<int64_t>{80, 79, 78, 77, 76, 75, 74, 73, 72, 71}));
}

TEST_F(WindowsScores, DamagedTableIsMovedAside) {
  const std::string damaged = "brinemark scores 1\n500 3 2026-12-07 23:4";
  fs::create_directories(folder);
  std::ofstream(path) << damaged;
  ASSERT_EQ(lose(1), 0);
  EXPECT_EQ(kept(), std::vector<int64_t>{38});
  int aside = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
    std::ifstream in(e.path());
    aside += e.path().filename().string().starts_with("scores.unreadable-20") &&
             std::string(std::istreambuf_iterator<char>(in), {}) == damaged;
  }
  EXPECT_EQ(aside, 1);
}
