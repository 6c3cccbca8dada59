// The best scores kept on disk: the file's text, and that no save loses a table, whatever stops
// it. Every save runs in a child process of its own, with a scores folder of the test's own.
#include <gtest/gtest.h>
#ifndef _WIN32  // Windows makes its processes otherwise: tests/windows/scores_processes_test.cpp
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "game/scores.h"
#include "platform/platform.h"
#include "tests/scratch.h"

namespace fs = std::filesystem;

static std::string read(const fs::path& file) {  // never waiting on a pipe
  std::string bytes, why;
  return Sys_FileReadWhole(file.string(), 1 << 20, &bytes, &why), bytes;
}

struct Scores : ::testing::Test {
  std::string home = (Test_Scratch() / "scores-XXXXXX").string(), path, folder;
  const char* before = getenv(SYS_DATA_HOME_VARIABLE);  // the game tests' own, when they ran first
  void SetUp() override {
    setenv(SYS_DATA_HOME_VARIABLE, mkdtemp(home.data()), 1);
    path = Scores_Path(), folder = fs::path(path).parent_path().string();
    fs::create_directories(folder);
  }
  void TearDown() override {
    fs::remove_all(home);
    before ? setenv(SYS_DATA_HOME_VARIABLE, before, 1) : unsetenv(SYS_DATA_HOME_VARIABLE);
  }
#ifndef _WIN32
  // A game of total lost in a child process between `before` and `after`: the child's exit status
  // (0 when the game entered the table and `shown` games show), or 128 + the signal that ended it.
  static int lose(double total, size_t shown = 0, void (*before)() = [] {}, void (*after)() = [] {}) {
    if (fork() == 0) {
      before();
      Scores_GameOver(total, 3);
      after();
      _exit(Scores_Marked() >= 0 && (shown == 0 || Scores_Table().size() == shown) ? 0 : 1);
    }
    int status = 0;
    wait(&status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
#endif
  std::vector<int64_t> kept() const {
    std::vector<ScoreEntry> table;
    std::string why;
    EXPECT_TRUE(Scores_Parse(read(path), &table, &why)) << why;
    std::vector<int64_t> totals;
    for (const ScoreEntry& e : table) totals.push_back(e.score);
    return totals;
  }
};

TEST_F(Scores, TextReadsBackAndAnythingElseIsNoTable) {
  std::string text = Scores_Format(Scores_Merge({{90, 2, "2026-02-28 23:59:60"}, {120, 4, "2027-01-01 00:00:00"}},
                                                {{120, 5, "2026-12-07 23:45:12"}})), why;
  std::vector<ScoreEntry> back;
  ASSERT_TRUE(Scores_Parse(text, &back, &why)) << why;
  ASSERT_EQ(back.size(), 3u);  // equal scores: the earlier game first
  EXPECT_EQ(std::string(back[0].ended) + back[1].ended + std::to_string(back[2].score), "2026-12-07 23:45:122027-01-01 00:00:0090");
  for (const std::string& bad : std::vector<std::string>{"", text.substr(0, text.size() - 4), text.substr(0, text.size() - 9),
                                 "brinemark scores 2\nend\n", "brinemark scores 1\n90 2 2025-02-29 10:00:00\nend\n",
                                 "brinemark scores 1\n-90 2 2025-02-28 10:00:00\nend\n", "PNG\n", text + "1\n"})
    EXPECT_FALSE(Scores_Parse(bad, &back, &why)) << bad;
  // What an editor or another version leaves: an odd line drops only itself, the best ten of the
  // games that read are kept, best first; a whole table is whole with a byte-order mark or blanks.
  std::string game = "90 2 2026-02-28 10:00:00\n", ten = "", v1 = "brinemark scores 1\n";
  for (int i = 1; i <= 11; i++) ten += std::to_string(i) + " 1 2026-01-01 00:00:00\n";
  const struct { std::string text; bool whole; size_t games; int64_t best; } odd[] = {
      {"\xEF\xBB\xBF" + v1 + game + "end\n", true, 1, 90}, {"brinemark scores 1 \n 90 2 2026-02-28  10:00:00 \nend", true, 1, 90},
      {v1 + game + "90 2 2024-13-01 10:00:00\n" + text.substr(19), false, 4, 120}, {v1 + ten + "end\n", false, 10, 11},
      {text + "9 1 2026-02-28 10:00:00\nx\n", false, 4, 120}, {"brinemark scores 2\n" + game + "end\n", false, 1, 90}};
  for (const auto& row : odd) {
    EXPECT_EQ(Scores_Parse(row.text, &back, &why), row.whole) << row.text << why;
    EXPECT_EQ(back.size(), row.games) << row.text;
    EXPECT_EQ(back.empty() ? 0 : back[0].score, row.best) << row.text;
  }
}

#ifndef _WIN32
// Killed at every step of a save, a child leaves the old table or the new one, whole.
TEST_F(Scores, SaveStoppedAtAnyStepLeavesAWholeTable) {
  for (static int step = SYS_REPLACE_OPENED; step <= SYS_REPLACE_DONE; step++) {
    std::ofstream(path) << Scores_Format({{500, 3, "2026-12-07 23:45:12"}});
    EXPECT_EQ(lose(100, 0, [] { Sys_FileReplaceStepHook = [](int at) { at == step ? raise(SIGKILL) : 0; }; }), 128 + SIGKILL);
    std::vector<int64_t> want = step < SYS_REPLACE_RENAMED ? std::vector<int64_t>{500} : std::vector<int64_t>{500, 100};
    EXPECT_EQ(kept(), want) << "stopped at step " << step;
    ASSERT_EQ(lose(200), 0);  // whatever the stop left beside it
    EXPECT_EQ(kept().size(), want.size() + 1) << "after a stop at step " << step;
  }
}

TEST_F(Scores, TwoProcessesSavingAtOnceLoseNothing) {
  for (int half = 0; half < 2; half++) {  // 1 to 80 in a mixed order, every other one each
    if (fork() != 0) continue;
    for (int i = half; i < 80; i += 2) Scores_GameOver(i * 37 % 80 + 1, 1);
    Scores_End();  // as the program's end does: a save that found the lock held lands now
    _exit(0);
  }
  for (int i = 0; i < 2; i++) wait(nullptr);
  EXPECT_EQ(kept(), (std::vector<int64_t>{80, 79, 78, 77, 76, 75, 74, 73, 72, 71}));
}

// A full disk (writes past 40 bytes fail), a folder that cannot be written, and a damaged file:
// the old table stays as it was, the run's game shows all the same; the damaged file is kept
// aside and a new table begun.
TEST_F(Scores, UnwritableHomeKeepsTheOldTableAndADamagedOneIsMovedAside) {
  ASSERT_EQ(lose(500), 0);
  static const rlimit small = {40, 40};
  EXPECT_EQ(lose(700, 2, [] { signal(SIGXFSZ, SIG_IGN), setrlimit(RLIMIT_FSIZE, &small); }), 0);
  EXPECT_EQ(kept(), std::vector<int64_t>{500});
  // Readable by all, writable by none; root, who writes anywhere, is held to it as another user.
  fs::permissions(home, fs::perms(0755)), fs::permissions(path, fs::perms(0644)), fs::permissions(folder, fs::perms(0555));
  EXPECT_EQ(lose(700, 2, [] { geteuid() == 0 && setuid(65534) != 0 ? _exit(3) : void(); }), 0);
  fs::permissions(folder, fs::perms(0700));
  EXPECT_EQ(kept(), std::vector<int64_t>{500});

  const std::string damaged = "brinemark scores 1\n500 3 2026-12-07 23:4";
  std::ofstream(path) << damaged;
  EXPECT_EQ(lose(0), 1);  // a game that scored nothing only reads, and leaves the file as it is
  EXPECT_EQ(read(path), damaged);
  ASSERT_EQ(lose(100), 0);
  EXPECT_EQ(kept(), std::vector<int64_t>{100});
  int aside = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(folder))
    aside += e.path().filename().string().starts_with("scores.unreadable-20") && read(e.path()) == damaged;
  EXPECT_EQ(aside, 1);

  // A full disk: the save at the program's end lands. A lock another process holds: the table
  // shows and the save is skipped. A newer version's table is never written.
  static rlimit size;  // a soft limit, lifted before the end
  auto fill = [] { getrlimit(RLIMIT_FSIZE, &size), size.rlim_cur = 40, signal(SIGXFSZ, SIG_IGN), setrlimit(RLIMIT_FSIZE, &size); };
  EXPECT_EQ(lose(300, 2, fill, [] { size.rlim_cur = size.rlim_max, setrlimit(RLIMIT_FSIZE, &size), Scores_End(); }), 0);
  std::string why, table = read(path), newer = "brinemark scores 2\n900 9 2026-12-07 23:45:12\nend\n";
  int32_t lock = Sys_FileLock(path + ".lock", 0, &why);
  EXPECT_EQ(lose(400, 3), 0);
  Sys_FileUnlock(lock);
  std::ofstream(path) << newer;
  EXPECT_EQ(lose(400, 2), 0);
  EXPECT_EQ(read(path), newer);
  std::ofstream(path) << table;
  EXPECT_EQ(kept(), (std::vector<int64_t>{300, 100}));

  // Odd things at the names a save uses hold up no save and are not harmed: at scores.new a
  // second name of another file, a link to it, a named pipe, a folder; at scores a pipe and a
  // folder, kept aside. A table behind a symbolic link stays behind it.
  const std::string other = home + "/other", fresh = path + ".new";
  const struct { std::string at; char kind; } odd[] = {
      {fresh, 'h'}, {fresh, 'l'}, {fresh, 'p'}, {fresh, 'd'}, {path, 'p'}, {path, 'd'}, {path, 't'}};
  for (int64_t row = 1; const auto& [at, kind] : odd) {
    std::ofstream(other) << "another file\n";
    if (at == path) fs::rename(path, home + "/kept");
    if (kind == 'h') fs::create_hard_link(other, at);
    if (kind == 'l' || kind == 't') fs::create_symlink(kind == 'l' ? other : home + "/kept", at);
    if (kind == 'p') mkfifo(at.c_str(), 0600);
    if (kind == 'd') fs::create_directory(at);
    EXPECT_EQ(lose(double(row)), 0) << at << kind;
    EXPECT_EQ(std::ranges::count(kept(), row++), 1) << at << kind;
    EXPECT_EQ(read(other), "another file\n") << at << kind;
  }
  EXPECT_TRUE(fs::is_symlink(path));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 5);  // scores, its lock, three kept aside

  // A relative HOME is ignored like a relative XDG_DATA_HOME; a HOME that is not there is not made.
  std::string userHome = getenv("HOME") ? getenv("HOME") : "/";
  unsetenv("XDG_DATA_HOME"), setenv("HOME", "relative", 1);
  EXPECT_EQ(Scores_Path(), std::string(getpwuid(getuid())->pw_dir) + "/.local/share/brinemark/scores");
  setenv("HOME", (home + "/gone").c_str(), 1);
  EXPECT_EQ(lose(100), 0);
  EXPECT_FALSE(fs::exists(home + "/gone"));
  setenv("HOME", userHome.c_str(), 1);
}
#endif
