// scores.cpp: the kept table of best scores, its file and what the player is told about it.
//
// State: the record below. Written by the game thread at a lost game and by the main thread at
// the program's end after the game thread has stopped. A lost display ends the program from
// whichever thread met it while the other runs on: `busy` then leaves a save to the first of
// them. The file holds the truth: every save reads it under the lock of scores.lock and merges
// this run's games in, so games saved meanwhile by another process are kept. A read takes no
// lock (a save replaces the file whole, in one rename) and never changes the file: only a save,
// about to write, keeps aside a file it cannot read whole.
#include <atomic>
#include <cmath>

#include "game/scores.h"
#include "platform/platform.h"

// How long a save waits for another process's lock (a second copy stuck, a network share):
// then this run's games stay in memory, and the program's end tries again.
static const int32_t lockWaitMs = 1500;

static struct {
  bool off;                         // --no-scores: nothing read, written or shown
  std::vector<std::string> said;    // lines standard error was given: each is said once a run
  std::vector<ScoreEntry> stored;   // the file's table as last read or written
  std::vector<ScoreEntry> unsaved;  // games of this run not in the file (a save failed)
  std::vector<ScoreEntry> shown;    // stored and unsaved merged, best first
  int marked = -1;                  // index in shown of the game that just ended
  std::atomic<bool> busy;           // a thread reads or writes the rest
} scores;

void Scores_Disable() { scores.off = true; }

std::string Scores_Path() {
  std::string home = Sys_DataHome();
  const char separator[] = {SYS_PATH_SEPARATOR, '\0'};
  return home.empty() ? "" : home + separator + SYS_DATA_FOLDER + separator + "scores";
}

const std::vector<ScoreEntry>& Scores_Table() { return scores.shown; }
int Scores_Marked() { return scores.marked; }

static void say(const std::string& line) {
  for (const std::string& before : scores.said)
    if (before == line) return;
  scores.said.push_back(line);
  std::fprintf(stderr, "brinemark: %s\n", line.c_str());
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

// What a read of the file found: nothing, a whole table, part of one (something dropped, *why
// says what; perhaps no game at all), a newer version's table, or a file it could not read.
enum Found { FOUND_NOTHING, FOUND_WHOLE, FOUND_PART, FOUND_NEWER, FOUND_UNREADABLE };

static Found readTable(const std::string& path, std::vector<ScoreEntry>* table, std::string* why) {
  std::string bytes;
  int64_t version = 0;
  table->clear();
  switch (Sys_FileReadWhole(path, SCORES_FILE_LIMIT, &bytes, why)) {
    case SYS_READ_MISSING: return FOUND_NOTHING;
    case SYS_READ_FAILED: return FOUND_UNREADABLE;
    case SYS_READ_NOT_PLAIN: return FOUND_PART;
    case SYS_READ_TOO_LARGE: *why = "larger than " + std::to_string(SCORES_FILE_LIMIT) + " bytes"; return FOUND_PART;
    case SYS_READ_OK: break;
  }
  if (Scores_Parse(bytes, table, why, &version)) return FOUND_WHOLE;
  return version > SCORES_VERSION ? FOUND_NEWER : FOUND_PART;
}

// Read only: stored from the file, as far as it reads.
static Found look(const std::string& path, std::string* why) {
  std::vector<ScoreEntry> table;
  Found found = readTable(path, &table, why);
  if (found != FOUND_UNREADABLE) scores.stored = table;
  return found;
}

// Under the lock: the file's table into stored, and this run's games written into it. A file
// that is no whole table is kept aside first (and said so); one that cannot be read, or a newer
// version's, is left as it is. False, with *why, when the games could not be written.
static bool writeLocked(const std::string& path, std::string* why) {
  std::vector<ScoreEntry> table;
  std::string odd;
  Found found = readTable(path, &table, &odd);
  if (found == FOUND_UNREADABLE) return *why = odd, false;
  scores.stored = table;
  if (found == FOUND_NEWER) return *why = path + " holds " + odd + "; it is left as it is", false;
  if (found == FOUND_PART) {
    char stamp[20];
    timeNow(stamp, true);
    std::string failure, aside = Sys_FileKeepAside(path, std::string(".unreadable-") + stamp, &failure);
    if (aside.empty()) return *why = path + " is no whole table (" + odd + ") and cannot be kept aside: " + failure, false;
    say(path + " could not be read whole as scores (" + odd + "); it is kept as " + aside +
        (table.empty() ? " and a new table begun" : " and the games that read are kept"));
  }
  std::vector<ScoreEntry> merged = Scores_Merge(table, scores.unsaved);
  if (!Sys_FileReplace(path, Scores_Format(merged), why)) return false;
  scores.stored = merged;
  scores.unsaved.clear();
  return true;
}

// This run's unsaved games into the file; false, with *why, when they stay in memory.
static bool save(std::string* why) {
  std::string path = Scores_Path(), existing;
  if (path.empty()) return *why = "no home folder", false;
  Sys_DataHome(&existing);
  std::string folder = path.substr(0, path.rfind(SYS_PATH_SEPARATOR));
  if (!Sys_MakeFolders(existing, folder, why)) return false;
  uint32_t mode = 0;
  if (Sys_FolderOpenToOthers(folder, &mode)) {
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", unsigned(mode));
    say(folder + " is open to other users (mode " + octal + "), who can change the scores or hold up their saving; " +
        "it is left so");
  }
  int32_t lock = Sys_FileLock(path + ".lock", lockWaitMs, why);
  if (lock < 0) {
    std::string ignored;
    look(path, &ignored);  // the table is still shown
    return false;
  }
  bool saved = writeLocked(path, why);
  Sys_FileUnlock(lock);
  return saved;
}

// Only a lost display makes two callers at once: the second leaves it to the first, which
// ends the process after it.
static bool enter() {
  if (!scores.busy.exchange(true)) return true;
  while (scores.busy.load()) Sys_Sleep(5);
  return false;
}

void Scores_GameOver(double total, double levels) {
  if (scores.off || !enter()) return;
  // Scores are whole numbers; the file keeps at most ten digits.
  bool counted = total >= 1;
  ScoreEntry game = {int64_t(std::fmin(total, 9999999999.0)), int32_t(std::fmin(std::fmax(levels, 0.0), 999999.0)), {}};
  std::string path = Scores_Path(), why;
  if (counted) {
    timeNow(game.ended, false);
    scores.unsaved.push_back(game);
    if (!save(&why))
      say("the best scores are not saved now (" + why + "); this run's are shown, and saved at its end if they can be");
  } else if (!path.empty()) {
    Found found = look(path, &why);
    if (found == FOUND_UNREADABLE) say("the best scores cannot be read: " + why);
    if (found == FOUND_PART) say(path + " could not be read whole as scores (" + why + "); it is left as it is");
  }
  scores.shown = Scores_Merge(scores.stored, scores.unsaved);
  scores.marked = -1;
  for (size_t i = 0; counted && i < scores.shown.size(); i++) {
    const ScoreEntry& e = scores.shown[i];
    if (e.score == game.score && e.levels == game.levels && std::string(e.ended) == game.ended) scores.marked = int(i);
  }
  scores.busy = false;
}

void Scores_End() {
  if (scores.off || !enter()) return;
  std::string why;
  size_t count = scores.unsaved.size();
  if (count > 0 && !save(&why))
    say(std::to_string(count) + (count == 1 ? " game" : " games") + " of this run could not be kept (" + why + ")");
  scores.busy = false;
}

int Scores_Print(FILE* out) {
  std::string path = Scores_Path(), why, text;
  Found found = path.empty() ? FOUND_UNREADABLE : look(path, &why);
  if (path.empty()) {
    text = "No best scores are kept: this user has no home folder\n";
  } else if (found == FOUND_UNREADABLE) {
    text = "The best scores cannot be read: " + why + "\n";
  } else if (found == FOUND_NOTHING) {
    text = "No scores yet: a game that ends with a score above 0 is kept in " + path + "\n";
  } else if (scores.stored.empty()) {
    text = path + " could not be read as scores (" + why + "); it is left as it is\n";
  } else {
    text = "The best games, kept in " + path + ":\n" + Scores_Heading() + "\n";
    for (size_t i = 0; i < scores.stored.size(); i++) {
      std::string line = Scores_Line(scores.stored[i], int(i + 1), false);
      text += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
    }
    if (found == FOUND_PART) text += "Left out: " + why + " (the next game saved keeps the file as it is now aside)\n";
    if (found == FOUND_NEWER) text += "Shown as far as it reads, and never changed: " + why + "\n";
  }
  bool shown = std::fputs(text.c_str(), out) >= 0 && std::fflush(out) == 0;
  return shown && (found == FOUND_WHOLE || found == FOUND_NOTHING || !scores.stored.empty()) ? 0 : 1;
}
