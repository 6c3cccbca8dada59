// scores.h: the best games of this user, kept between runs in a small text file.
//
// The table, the file's text and the lines shown are plain functions (score_table.cpp). The
// kept table lives in one record in scores.cpp: written by the game thread when a game is lost,
// and by the main thread at the program's end once the game thread has stopped, never by both
// at once. The file is $XDG_DATA_HOME/brinemark/scores; every process that writes it holds the
// lock of its folder around its read, merge and write, so two games ending at once both land.
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

// The file's text into a table (in the file's order). False, with *why in a few words, for
// anything that is not a whole table of this version; *table is then undefined.
bool Scores_Parse(const std::string& bytes, std::vector<ScoreEntry>* table, std::string* why);
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
// (or, when it cannot be written, kept for the run); the table is brought up to date from the
// file either way. A file that is no table is moved aside first. Says on standard error, once
// a run, when the scores cannot be kept.
void Scores_GameOver(double total, double levels);
// The table as Scores_GameOver last left it, best first, this run's unsaved games included;
// and the index in it of the game that ended then (-1: it did not enter the table).
const std::vector<ScoreEntry>& Scores_Table();
int Scores_Marked();
// brinemark --scores: the table on out, or a word that there is none yet. 0, or 1 when out
// could not be written.
int Scores_Print(FILE* out);
