// libFuzzer driver for the best-scores reader: the input read as the game reads its file, then
// parsed; whatever reads of it holds at most ten games and reads back whole, the same, from its
// own text.
#include <cstring>

#include "game/scores.h"
#include "platform/platform.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes, why;
  std::vector<ScoreEntry> table, back;
  if (Sys_FileReadWhole(Fuzz_WriteFile(data, size), SCORES_FILE_LIMIT, &bytes, &why) != SYS_READ_OK) return 0;
  Scores_Parse(bytes, &table, &why);
  bool same = table.size() <= SCORES_KEPT && Scores_Parse(Scores_Format(table), &back, &why) && back.size() == table.size();
  for (size_t i = 0; same && i < table.size(); i++)
    same = back[i].score == table[i].score && back[i].levels == table[i].levels && !std::strcmp(back[i].ended, table[i].ended);
  if (!same) std::abort();
  return 0;
}
