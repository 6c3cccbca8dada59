// score_table.cpp: the best-scores table as a file's text and as lines to read. No state.
//
// The file, for a person to read and for the game to check whole:
//   brinemark scores 1
//   # score, levels won, date and time the game ended (local time)
//   1520 4 2026-12-07 23:45:12
//   end
// Lines starting with '#' and empty lines are skipped, and so are blanks around a line. The
// "end" line tells a table that was cut short at a line's end from a whole one. A hand-edited
// file keeps every game that reads: an odd line drops only itself.
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

// c at text[*at]; a blank stands for any run of spaces and tabs, as a hand edit may leave.
static bool expect(const std::string& text, size_t* at, char c) {
  if (*at >= text.size() || text[*at] != (c == ' ' && text[*at] == '\t' ? '\t' : c)) return false;
  ++*at;
  while (c == ' ' && *at < text.size() && (text[*at] == ' ' || text[*at] == '\t')) ++*at;
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
  size_t from[6];
  for (int i = 0; i < 6; i++) {
    from[i] = at;
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
  // Field by field: the line may have more than one blank between date and time.
  char* out = entry->ended;
  for (int i = 0; i < 6; i++) {
    out = std::copy_n(line.data() + from[i], i == 0 ? 4 : 2, out);
    *out++ = after[i];  // the last is the string's end
  }
  return true;
}

// The line without the blanks an editor may leave around it, and a line end's '\r'.
static std::string trimmed(const std::string& line) {
  size_t first = line.find_first_not_of(" \t\r"), last = line.find_last_not_of(" \t\r");
  return first == std::string::npos ? "" : line.substr(first, last - first + 1);
}

// "line 3 is no game", "lines 3, 7 are no games", "lines 3, 4, 5 and 60 more are no games".
static std::string badLines(const std::vector<size_t>& numbers) {
  std::string text = numbers.size() == 1 ? "line " : "lines ";
  for (size_t i = 0; i < numbers.size() && i < 3; i++) text += (i > 0 ? ", " : "") + std::to_string(numbers[i]);
  if (numbers.size() > 3) text += " and " + std::to_string(numbers.size() - 3) + " more";
  return text + (numbers.size() == 1 ? " is no game" : " are no games");
}

bool Scores_Parse(const std::string& bytes, std::vector<ScoreEntry>* table, std::string* why, int64_t* version) {
  table->clear();
  int64_t named = 0;
  bool ended = false;
  std::vector<size_t> bad;
  // A byte-order mark, as some editors put before the first line, is no part of the text.
  size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  for (size_t number = 1; start < bytes.size(); number++) {
    size_t end = std::min(bytes.find('\n', start), bytes.size());
    std::string line = trimmed(bytes.substr(start, end - start));
    start = end + 1;
    if (number == 1) {
      size_t at = sizeof heading - 1;
      if (line.compare(0, at, heading) != 0 || !digits(line, &at, 1, 6, &named) || at != line.size() || named < 1) {
        named = 0;
        break;
      }
      continue;
    }
    ScoreEntry entry;
    if (line.empty() || line[0] == '#') continue;
    if (line == "end") ended = true;
    else if (parseEntry(line, &entry)) table->push_back(entry);
    else bad.push_back(number);
  }
  if (version != nullptr) *version = named;
  size_t read = table->size();
  *table = Scores_Merge(*table, {});
  if (named == 0) {
    *why = "not a score table of this game";
  } else if (named != SCORES_VERSION) {
    *why = "a table of version " + std::to_string(named) + ", this game reads version " + std::to_string(SCORES_VERSION);
  } else {
    why->clear();
    if (!bad.empty()) *why = badLines(bad);
    if (read > SCORES_KEPT) *why += (why->empty() ? "" : "; ") + std::to_string(read - SCORES_KEPT) + " games below the best ten";
    if (!ended) *why += why->empty() ? "cut short" : "; cut short";
  }
  return why->empty();
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
  std::string line = marked ? ">" : " ";
  line += right(std::to_string(rank), 2) + ". " + right(std::to_string(entry.score), 7) + "  ";
  line += right(std::to_string(entry.levels), 6) + "  " + std::string(entry.ended, 16);
  return line + (marked ? " <" : "  ");
}
