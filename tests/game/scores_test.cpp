// The best scores kept on disk: the file's text, and that no save loses a table, whatever stops
// it. Every save runs in a child process of its own, with a scores folder of the test's own.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "game/scores.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

struct Scores : ::testing::Test {
  std::string home = (fs::temp_directory_path() / "brine-scores-XXXXXX").string(), path, before;
  void SetUp() override {
    ASSERT_NE(mkdtemp(home.data()), nullptr);
    before = getenv("XDG_DATA_HOME") ? getenv("XDG_DATA_HOME") : "";
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    path = Scores_Path();
  }
  void TearDown() override {
    setenv("XDG_DATA_HOME", before.c_str(), 1);
    fs::remove_all(home);
  }
  // run in a child process: its exit status, or 128 + the signal that ended it.
  static int inChild(const std::function<int()>& run) {
    pid_t child = fork();
    if (child == 0) _exit(run());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  static int lose(double total) { return Scores_GameOver(total, 3), Scores_Marked() >= 0 ? 0 : 1; }
  std::vector<int64_t> kept() const {
    std::ifstream file(path);
    std::string text((std::istreambuf_iterator<char>(file)), {}), why;
    std::vector<ScoreEntry> table;
    EXPECT_TRUE(Scores_Parse(text, &table, &why)) << why;
    std::vector<int64_t> totals;
    for (const ScoreEntry& e : table) totals.push_back(e.score);
    return totals;
  }
};

TEST_F(Scores, TextReadsBackAndAnythingElseIsNoTable) {
  std::vector<ScoreEntry> table = Scores_Merge({{90, 2, "2026-02-28 23:59:60"}, {120, 4, "2027-01-01 00:00:00"}},
                                               {{120, 5, "2026-12-07 23:45:12"}});
  std::string text = Scores_Format(table), why;
  std::vector<ScoreEntry> back;
  ASSERT_TRUE(Scores_Parse(text, &back, &why)) << why;
  ASSERT_EQ(back.size(), 3u);  // equal scores: the earlier game first
  EXPECT_EQ(std::string(back[0].ended) + std::string(back[1].ended) + std::to_string(back[2].score),
            "2026-12-07 23:45:122027-01-01 00:00:0090");
  std::string eleven = "brinemark scores 1\n";
  for (int i = 0; i < 11; i++) eleven += "7 1 2026-12-07 23:45:12\n";
  for (const std::string& bad : std::vector<std::string>{"", text.substr(0, text.size() - 4), text.substr(0, text.size() - 9),
                                 "brinemark scores 2\nend\n", "brinemark scores 1\n90 2 2025-02-29 10:00:00\nend\n",
                                 "brinemark scores 1\n-90 2 2025-02-28 10:00:00\nend\n", "PNG\n", text + "1\n", eleven + "end\n"})
    EXPECT_FALSE(Scores_Parse(bad, &back, &why)) << bad;
  EXPECT_TRUE(Scores_Parse(eleven.substr(0, 19) + eleven.substr(43) + "end\n", &back, &why)) << why;
}

// Killed at every step of a save, a child leaves the old table or the new one, whole.
TEST_F(Scores, SaveStoppedAtAnyStepLeavesAWholeTable) {
  for (int step = SYS_REPLACE_OPENED; step <= SYS_REPLACE_DONE; step++) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << Scores_Format({{500, 3, "2026-12-07 23:45:12"}});
    static int stopAt;
    stopAt = step;
    Sys_FileReplaceStepHook = [](int at) {
      if (at == stopAt) raise(SIGKILL);
    };
    EXPECT_EQ(inChild([] { return lose(100); }), 128 + SIGKILL);
    Sys_FileReplaceStepHook = nullptr;
    std::vector<int64_t> want = {500};
    if (step >= SYS_REPLACE_RENAMED) want.push_back(100);
    EXPECT_EQ(kept(), want) << "stopped at step " << step;
    ASSERT_EQ(inChild([] { return lose(200); }), 0);  // whatever the stop left beside it
    EXPECT_EQ(kept().size(), want.size() + 1) << "after a stop at step " << step;
  }
}

TEST_F(Scores, TwoProcessesSavingAtOnceLoseNothing) {
  std::vector<int> totals(80);
  for (int i = 0; i < 80; i++) totals[i] = i + 1;
  std::shuffle(totals.begin(), totals.end(), std::mt19937(27));
  pid_t children[2];
  for (int half = 0; half < 2; half++) {
    if ((children[half] = fork()) != 0) continue;
    for (int i = half; i < 80; i += 2) Scores_GameOver(totals[i], 1);
    _exit(0);
  }
  for (pid_t child : children) waitpid(child, nullptr, 0);
  EXPECT_EQ(kept(), (std::vector<int64_t>{80, 79, 78, 77, 76, 75, 74, 73, 72, 71}));
}

// A full disk (writes past a few bytes fail) and a folder that cannot be written: the old
// table stays as it was, and the run's game is shown all the same.
TEST_F(Scores, UnwritableHomeKeepsTheOldTable) {
  ASSERT_EQ(inChild([] { return lose(500); }), 0);
  EXPECT_EQ(inChild([] {
              signal(SIGXFSZ, SIG_IGN);
              rlimit small = {40, 40};
              setrlimit(RLIMIT_FSIZE, &small);
              return lose(700) + (Scores_Table().size() == 2 ? 0 : 2);
            }), 0);
  EXPECT_EQ(kept(), std::vector<int64_t>{500});
  // Readable by all, writable by none but root, who is held to it as another user.
  fs::permissions(home, fs::perms(0755));
  fs::permissions(path, fs::perms(0644));
  fs::permissions(fs::path(path).parent_path(), fs::perms(0555));
  EXPECT_EQ(inChild([] {
              if (geteuid() == 0 && setuid(65534) != 0) return 3;  // root writes anywhere
              return lose(700) + (Scores_Table().size() == 2 ? 0 : 2);
            }), 0);
  fs::permissions(fs::path(path).parent_path(), fs::perms(0700));
  EXPECT_EQ(kept(), std::vector<int64_t>{500});
}

TEST_F(Scores, DamagedTableIsMovedAsideAndANewOneBegun) {
  const std::string damaged = "brinemark scores 1\n500 3 2026-12-07 23:4";
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path) << damaged;
  ASSERT_EQ(inChild([] { return lose(100); }), 0);
  EXPECT_EQ(kept(), std::vector<int64_t>{100});
  int aside = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(fs::path(path).parent_path())) {
    std::ifstream file(e.path());
    std::string text((std::istreambuf_iterator<char>(file)), {});
    aside += e.path().filename().string().starts_with("scores.unreadable-20") && text == damaged;
  }
  EXPECT_EQ(aside, 1);
}

}  // namespace
