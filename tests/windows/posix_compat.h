// posix_compat.h: the few POSIX calls the tests use that Windows' runtime library names
// otherwise, included before every source of the Windows test programs.
#pragma once

#include <direct.h>
#include <io.h>
#include <stdlib.h>

#include <cstring>

inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }

// The template's six trailing X become a name no file has, made as a folder.
inline char* mkdtemp(char* pattern) {
  size_t n = std::strlen(pattern) + 1;
  for (int attempt = 0; attempt < 100; attempt++) {
    std::memcpy(pattern + n - 7, "XXXXXX", 6);
    if (_mktemp_s(pattern, n) == 0 && _mkdir(pattern) == 0) return pattern;
  }
  return nullptr;
}
