// score_table.cpp: the best-scores table as a file's text and as lines to read. No state.
//
// The file, for a person to read and for the game to check whole:
//   brinemark scores 1
//   # score, levels won, date and time the game ended (local time)
//   1520 4 2026-12-07 23:45:12
//   end
// Lines starting with '#' and empty lines are skipped. The "end" line tells a table that was
// cut short at a line's end from a whole one.
#include <algorithm>
#include <cstring>

#include "game/scores.h"

static const char heading[] = "brinemark scores ";

// Digits from text[*at], at least min and at most max of them, as a number; false otherwise.
static bool digits(const std::string& text, size_t* at, int min, int max, int64_t* value) {
  int count = 0;
  *value = 0;
  while (*at < text.size() && text[*at] >= '0' && text[*at] <= '9' && count < max) {
    *value = *value * 10 + (text[*at] - '0');
    ++*at, ++count;
  }
  return count >= min && !(*at < text.size() && text[*at] >= '0' && text[*at] <= '9');
}

static bool expect(const std::string& text, size_t* at, char c) {
  if (*at >= text.size() || text[*at] != c) return false;
  ++*at;
  return true;
}

static bool leapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// "score levels YYYY-MM-DD HH:MM:SS", nothing more.
static bool parseEntry(const std::string& line, ScoreEntry* entry) {
  size_t at = 0;
  int64_t score, levels, f[6];
  static const char after[6] = {'-', '-', ' ', ':', ':', '\0'};
  if (!digits(line, &at, 1, 10, &score) || !expect(line, &at, ' ')) return false;
  if (!digits(line, &at, 1, 6, &levels) || !expect(line, &at, ' ')) return false;
  size_t start = at;
  for (int i = 0; i < 6; i++) {
    if (!digits(line, &at, i == 0 ? 4 : 2, i == 0 ? 4 : 2, &f[i])) return false;
    if (i < 5 && !expect(line, &at, after[i])) return false;
  }
  if (at != line.size()) return false;
  static const int days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (f[1] < 1 || f[1] > 12 || f[2] < 1 || f[2] > days[f[1] - 1]) return false;
  if (f[1] == 2 && f[2] == 29 && !leapYear(f[0])) return false;
  if (f[3] > 23 || f[4] > 59 || f[5] > 60) return false;
  entry->score = score;
  entry->levels = int32_t(levels);
  std::memcpy(entry->ended, line.data() + start, 19);
  entry->ended[19] = '\0';
  return true;
}

bool Scores_Parse(const std::string& bytes, std::vector<ScoreEntry>* table, std::string* why) {
  table->clear();
  if (bytes.empty() || bytes.back() != '\n') {
    *why = bytes.empty() ? "empty" : "cut short";
    return false;
  }
  bool ended = false;
  size_t number = 0;
  for (size_t start = 0; start < bytes.size(); number++) {
    size_t end = bytes.find('\n', start);
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 0) {
      size_t at = sizeof heading - 1;
      int64_t version = 0;
      if (line.compare(0, at, heading) != 0 || !digits(line, &at, 1, 6, &version) || at != line.size()) {
        *why = "not a score table of this game";
        return false;
      }
      if (version != SCORES_VERSION) {
        *why = "a table of version " + std::to_string(version) + ", this game reads version " + std::to_string(SCORES_VERSION);
        return false;
      }
      continue;
    }
    if (ended) {
      *why = "text after its end";
      return false;
    }
    if (line.empty() || line[0] == '#') continue;
    if (line == "end") {
      ended = true;
      continue;
    }
    ScoreEntry entry;
    if (table->size() == SCORES_KEPT || !parseEntry(line, &entry)) {
      *why = table->size() == SCORES_KEPT ? "more than ten games" : "line " + std::to_string(number + 1) + " is no game";
      return false;
    }
    table->push_back(entry);
  }
  if (!ended) *why = "cut short";
  return ended;
}

std::string Scores_Format(const std::vector<ScoreEntry>& table) {
  std::string text = heading + std::to_string(SCORES_VERSION) + "\n";
  text += "# score, levels won, date and time the game ended (local time)\n";
  for (const ScoreEntry& e : table) text += std::to_string(e.score) + " " + std::to_string(e.levels) + " " + e.ended + "\n";
  return text + "end\n";
}

static bool better(const ScoreEntry& a, const ScoreEntry& b) {
  if (a.score != b.score) return a.score > b.score;
  int when = std::strcmp(a.ended, b.ended);
  if (when != 0) return when < 0;
  return a.levels > b.levels;
}

std::vector<ScoreEntry> Scores_Merge(std::vector<ScoreEntry> table, const std::vector<ScoreEntry>& added) {
  table.insert(table.end(), added.begin(), added.end());
  std::stable_sort(table.begin(), table.end(), better);
  if (table.size() > SCORES_KEPT) table.resize(SCORES_KEPT);
  return table;
}

// text right-aligned in width characters.
static std::string right(const std::string& text, size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// Columns: mark, rank, score, levels, the minute the game ended, mark.
std::string Scores_Heading() { return std::string(5, ' ') + right("Score", 7) + "  Levels  Game ended"; }

std::string Scores_Line(const ScoreEntry& entry, int rank, bool marked) {
  return std::string(marked ? ">" : " ") + right(std::to_string(rank), 2) + ". " + right(std::to_string(entry.score), 7) +
         "  " + right(std::to_string(entry.levels), 6) + "  " + std::string(entry.ended, 16) + (marked ? " <" : "  ");
}
