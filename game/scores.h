// scores.h: the best games of this user, kept between runs in a small text file.
//
// The table, the file's text and the lines shown are plain functions (score_table.cpp). The
// kept table lives in one record in scores.cpp: written by the game thread when a game is lost,
// and by the main thread at the program's end once the game thread has stopped. The file is
// $XDG_DATA_HOME/brinemark/scores; every process that writes it holds the lock of scores.lock
// beside it around its read, merge and write, so two games ending at once both land. Reading it
// takes no lock and never changes it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// One game: its total score, the levels won, and when it ended (local time, as the file has it).
struct ScoreEntry {
  int64_t score;
  int32_t levels;
  char ended[20];  // "YYYY-MM-DD HH:MM:SS"
};

constexpr size_t SCORES_KEPT = 10;
// A file larger than this is no table of ours: ten lines and a heading take some 400 bytes.
constexpr size_t SCORES_FILE_LIMIT = 16384;
constexpr int SCORES_VERSION = 1;

// ---- the table and its text (no state) ---------------------------------------------------

// The file's text into a table: every game line that reads, the best SCORES_KEPT of them, best
// first. True for a whole table of this version. False otherwise, with *why saying in a few
// words what was dropped, or that the text is no table of this version. *version: the version
// its heading names (0: no heading of this game); a newer table is read as far as its lines
// read as this version's.
bool Scores_Parse(const std::string& bytes, std::vector<ScoreEntry>* table, std::string* why, int64_t* version = nullptr);
// A table as the file's text, which Scores_Parse reads back as the same table.
std::string Scores_Format(const std::vector<ScoreEntry>& table);
// table and added together, best first (the higher score; at equal scores the earlier game,
// then the one with more levels), cut to SCORES_KEPT.
std::vector<ScoreEntry> Scores_Merge(std::vector<ScoreEntry> table, const std::vector<ScoreEntry>& added);
// The lines a person reads: a heading over the columns, and the game of rank 1 to 10 (marked:
// between arrows). All lines of a table are SCORES_LINE_WIDTH characters or a little more.
constexpr int SCORES_LINE_WIDTH = 40;
std::string Scores_Heading();
std::string Scores_Line(const ScoreEntry& entry, int rank, bool marked);

// ---- the kept table ------------------------------------------------------------------------

// --no-scores: nothing is read, written or shown from now on.
void Scores_Disable();
// Where the table is kept; "" when this user has no home folder.
std::string Scores_Path();
// A game ended with total (a whole number) and levels won: one above 0 is added to the file
// (or, when it cannot be written now, kept for the run and tried again by Scores_End); the
// table is brought up to date from the file either way. Only a save, about to write, keeps
// aside a file that is no whole table of this version; a newer version's table is never
// written. Says on standard error, once a run each, what it could not do.
void Scores_GameOver(double total, double levels);
// At the program's end: this run's games that could not be saved are tried once more, and
// said on standard error when they are lost.
void Scores_End();
// The table as Scores_GameOver last left it, best first, this run's unsaved games included;
// and the index in it of the game that ended then (-1: it did not enter the table).
const std::vector<ScoreEntry>& Scores_Table();
int Scores_Marked();
// brinemark --scores: the table on out, best first, with what could not be read of it; or what
// was found instead (nothing yet, a file or folder that cannot be read). 0, or 1 when no table
// could be shown or out could not be written.
int Scores_Print(FILE* out);
