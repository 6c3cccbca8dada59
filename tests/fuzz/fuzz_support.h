// Shared by the fuzz drivers, each of which is one program built with clang alone: stand-ins
// for the runtime's error queue, and the file a loader reads its input from.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/error.h"

std::atomic<int32_t> pendingError{0};
int32_t errorLine;
void Runtime_Error(int32_t n) {
  if (pendingError == 0) pendingError = n;
}

// Write the input to this process's own file and return its path: a file in memory with no name
// in any folder (reopened through /proc), so that it is quick to write for every input and goes
// with the process however the process ends.
inline std::string Fuzz_WriteFile(const uint8_t* data, size_t size) {
  static const int fd = memfd_create("brine-fuzz-input", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) {
    std::fprintf(stderr, "cannot write the input to a file in memory: %s\n", std::strerror(errno));
    std::abort();
  }
  return "/proc/self/fd/" + std::to_string(fd);
}
