// options.cpp: parsing option words. No state.
#include "runtime/options.h"

bool Options_Parse(const std::string& text, const char* const* words, int count, uint32_t* bits) {
  *bits = 0;
  if (text.empty()) return true;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    size_t end = comma == std::string::npos ? text.size() : comma;
    size_t first = start, last = end;
    while (first < last && text[first] == ' ') first++;
    while (last > first && text[last - 1] == ' ') last--;
    std::string piece = text.substr(first, last - first);
    for (char& c : piece)
      if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    int found = -1;
    for (int i = 0; i < count && found < 0; i++)
      if (piece == words[i]) found = i;
    if (found < 0 || (*bits & (1u << found))) return false;
    *bits |= 1u << found;
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}
