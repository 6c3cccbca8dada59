// Shared by the fuzz drivers, each of which is one program built with clang alone: stand-ins
// for the runtime's error queue, and the file a loader reads its input from.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "runtime/error.h"

std::atomic<int32_t> pendingError{0};
int32_t errorLine;
void Runtime_Error(int32_t n) {
  if (pendingError == 0) pendingError = n;
}

// Write the input to this process's own file and return its path. Memory-backed when the system
// has it: writing a file on disk for every input is slow.
inline std::string Fuzz_WriteFile(const uint8_t* data, size_t size) {
  static const std::string path = ((std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                                               : std::filesystem::temp_directory_path()) /
                                   ("brine-fuzz-" + std::to_string(std::random_device{}())))
                                      .string();
  static const struct Cleanup {
    ~Cleanup() { std::filesystem::remove(path); }
  } cleanup;
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
  return path;
}
