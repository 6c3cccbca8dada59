// scores.cpp: the kept table of best scores, its file and what the player is told about it.
//
// State: the record below. Written by the game thread at a lost game and by the main thread at
// the program's end after the game thread has stopped; never by two threads at once. The file
// holds the truth: every save reads it under the folder's lock and merges this run's games in,
// so games saved meanwhile by another process are kept.
#include <cmath>

#include "game/scores.h"
#include "platform/platform.h"

static struct {
  bool off;                         // --no-scores: nothing read, written or shown
  bool toldUnkept;                  // standard error has said the scores cannot be kept
  std::vector<ScoreEntry> stored;   // the file's table as last read or written
  std::vector<ScoreEntry> unsaved;  // games of this run not in the file (a save failed)
  std::vector<ScoreEntry> shown;    // stored and unsaved merged, best first
  int marked = -1;                  // index in shown of the game that just ended
} scores;

void Scores_Disable() { scores.off = true; }

std::string Scores_Path() {
  std::string home = Sys_DataHome();
  const char separator[] = {SYS_PATH_SEPARATOR, '\0'};
  return home.empty() ? "" : home + separator + SYS_DATA_FOLDER + separator + "scores";
}

const std::vector<ScoreEntry>& Scores_Table() { return scores.shown; }
int Scores_Marked() { return scores.marked; }

static void tellUnkept(const std::string& why) {
  if (scores.toldUnkept) return;
  scores.toldUnkept = true;
  std::fprintf(stderr, "brinemark: the best scores cannot be kept (%s); this run's are shown but not saved\n", why.c_str());
}

// The local time now as "YYYY-MM-DD HH:MM:SS" (into 20 bytes), or as "YYYY-MM-DD-HHMMSS".
static void timeNow(char* text, bool forFileName) {
  int64_t seconds = 0;
  uint32_t ms;
  int f[6] = {1970, 1, 1, 0, 0, 0};
  if (Sys_CalendarTime(&seconds, &ms)) Sys_LocalTime(seconds, f);
  const char* form = forFileName ? "%04d-%02d-%02d-%02d%02d%02d" : "%04d-%02d-%02d %02d:%02d:%02d";
  std::snprintf(text, 20, form, f[0] % 10000, f[1], f[2], f[3], f[4], f[5]);
}

// Under the folder's lock: the file's table into *table; a file that is no table is moved
// aside (and said so) and counts as an empty table. False when the file could not be read or
// moved: it must then not be replaced.
static bool readStored(const std::string& path, std::vector<ScoreEntry>* table) {
  std::string bytes, why;
  switch (Sys_FileReadWhole(path, SCORES_FILE_LIMIT, &bytes, &why)) {
    case SYS_READ_MISSING: table->clear(); return true;
    case SYS_READ_FAILED: tellUnkept(why); return false;
    case SYS_READ_TOO_LARGE: why = "larger than " + std::to_string(SCORES_FILE_LIMIT) + " bytes"; break;
    case SYS_READ_OK:
      if (Scores_Parse(bytes, table, &why)) return true;
      break;
  }
  // Not a table this game can read: kept for its owner under a dated name, and a new one begun.
  char stamp[20];
  timeNow(stamp, true);
  std::string failure;
  std::string aside = Sys_FileMoveAside(path, std::string(".unreadable-") + stamp, &failure);
  if (aside.empty()) {
    tellUnkept(path + " is no table (" + why + ") and cannot be moved aside: " + failure);
    return false;
  }
  std::fprintf(stderr, "brinemark: %s could not be read as scores (%s); it is kept as %s and a new table begun\n",
               path.c_str(), why.c_str(), aside.c_str());
  table->clear();
  return true;
}

// Bring stored up to date from the file and, with write, put this run's unsaved games into it.
static void sync(bool write) {
  std::string path = Scores_Path(), why;
  if (path.empty()) {
    if (write) tellUnkept("no home folder");
    return;
  }
  std::string folder = path.substr(0, path.rfind(SYS_PATH_SEPARATOR));
  if (write && !Sys_MakeFolders(folder, &why)) return tellUnkept(why);
  int32_t lock = Sys_FolderLock(folder, &why);
  if (lock < 0) {
    if (write) tellUnkept(why);
    return;
  }
  std::vector<ScoreEntry> table;
  if (readStored(path, &table)) {
    scores.stored = table;
    if (write && !scores.unsaved.empty()) {
      std::vector<ScoreEntry> merged = Scores_Merge(table, scores.unsaved);
      if (Sys_FileReplace(path, Scores_Format(merged), &why)) {
        scores.stored = merged;
        scores.unsaved.clear();
      } else {
        tellUnkept(why);
      }
    }
  }
  Sys_FolderUnlock(lock);
}

void Scores_GameOver(double total, double levels) {
  if (scores.off) return;
  // Scores are whole numbers; the file keeps at most ten digits.
  bool counted = total >= 1;
  ScoreEntry game = {int64_t(std::fmin(total, 9999999999.0)), int32_t(std::fmin(std::fmax(levels, 0.0), 999999.0)), {}};
  if (counted) {
    timeNow(game.ended, false);
    scores.unsaved.push_back(game);
  }
  sync(counted);
  scores.shown = Scores_Merge(scores.stored, scores.unsaved);
  scores.marked = -1;
  for (size_t i = 0; counted && i < scores.shown.size(); i++) {
    const ScoreEntry& e = scores.shown[i];
    if (e.score == game.score && e.levels == game.levels && std::string(e.ended) == game.ended) scores.marked = int(i);
  }
}

int Scores_Print(FILE* out) {
  sync(false);
  std::string text;
  if (scores.stored.empty()) {
    text = "No scores yet: a game that ends with a score above 0 is kept in " + Scores_Path() + "\n";
  } else {
    text = "The best games, kept in " + Scores_Path() + ":\n" + Scores_Heading() + "\n";
    for (size_t i = 0; i < scores.stored.size(); i++) {
      std::string line = Scores_Line(scores.stored[i], int(i + 1), false);
      text += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
    }
  }
  return std::fputs(text.c_str(), out) >= 0 && std::fflush(out) == 0 ? 0 : 1;
}
