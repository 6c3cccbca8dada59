// libFuzzer driver for the best-scores reader: random bytes go into a file, which is read as
// the game reads it (whole, within its size limit) and parsed. A table that parses must hold
// at most ten games and come back the same from its own text.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/scores.h"
#include "platform/platform.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = Fuzz_WriteFile(data, size), bytes, why;
  if (Sys_FileReadWhole(path, SCORES_FILE_LIMIT, &bytes, &why) != SYS_READ_OK) return 0;
  std::vector<ScoreEntry> table, back;
  if (!Scores_Parse(bytes, &table, &why)) return 0;
  bool same = table.size() <= SCORES_KEPT && Scores_Parse(Scores_Format(table), &back, &why) && back.size() == table.size();
  for (size_t i = 0; same && i < table.size(); i++)
    same = back[i].score == table[i].score && back[i].levels == table[i].levels && !std::strcmp(back[i].ended, table[i].ended);
  if (!same) {
    std::fprintf(stderr, "a table that does not read back: %s\n", why.c_str());
    std::abort();
  }
  for (size_t i = 0; i < table.size(); i++) Scores_Line(table[i], int(i + 1), i == 0);
  return 0;
}
