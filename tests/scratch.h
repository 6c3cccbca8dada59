// The files a test process makes: one folder of the process's own, made fresh under TMPDIR at
// first use and removed with all it holds when the process ends, so that two runs at once or
// two users one after the other never meet in the shared temporary folder. A write that fails
// ends the running test there and then, naming the file and the reason.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

inline const std::filesystem::path& Test_Scratch() {
  static const std::filesystem::path folder = [] {
    std::string name = (std::filesystem::temp_directory_path() / "brine-test-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) {
      std::fprintf(stderr, "cannot make the test folder %s: %s\n", name.c_str(), std::strerror(errno));
      std::abort();
    }
    // Open to all for reading, as mkdtemp's is not: a test run as root may act as another user
    // in it. Nobody else can write in it all the same.
    std::filesystem::permissions(name, std::filesystem::perms(0755));
    return std::filesystem::path(name);
  }();
  // Only the process that made it removes it: a forked child that exits leaves it to its parent.
  static const struct Remove {
    pid_t owner = getpid();
    ~Remove() {
      std::error_code ignored;
      if (getpid() == owner) std::filesystem::remove_all(folder, ignored);
    }
  } remove;
  return folder;
}

// The file `name` in the process's folder.
inline std::string Test_ScratchPath(const std::string& name) { return (Test_Scratch() / name).string(); }

// Write bytes to path whole (mode "ab" appends), or throw, which fails the running test.
inline void Test_WriteFile(const std::filesystem::path& path, std::string_view bytes, const char* mode = "wb") {
  FILE* out = std::fopen(path.string().c_str(), mode);
  bool written = out != nullptr && (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size());
  if (out != nullptr && std::fclose(out) != 0) written = false;
  if (!written) throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(errno));
}

inline void Test_WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, const char* mode = "wb") {
  Test_WriteFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), mode);
}
