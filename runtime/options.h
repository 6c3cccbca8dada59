// options.h: option words given to an operation as one text ("vol,sync", "BOLD, ITALIC").
// Pure functions; no state.
#pragma once

#include <cstdint>
#include <string>

// Parse text into a bit set over words (upper-case, count at most 32): bit i for words[i].
// The text is upper-cased (ASCII letters only), split at every comma and each piece stripped
// of leading and trailing spaces; every piece must be one of the words, none twice, and an
// empty piece counts as unrecognised. An empty text gives 0. Returns false on a bad piece
// (the caller raises error 5), with *bits then undefined.
bool Options_Parse(const std::string& text, const char* const* words, int count, uint32_t* bits);
