// Windows alone: names the code page cannot spell. A game unpacked under a folder named in
// another script (a user name, say) reads its files, changes into its folder and keeps its
// scores there, as the wide-character calls allow and the code page's forms would not.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/platform.h"

namespace fs = std::filesystem;

static std::string utf8Of(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

TEST(WindowsPaths, NamesOutsideTheCodePageWork) {
  // Greek, Cyrillic and Japanese: no one code page of Windows has all three.
  const std::string name = "brine-\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1-\xD0\x96\xD1\x83\xD0\xBA-\xE6\x97\xA5\xE6\x9C\xAC";
  const fs::path folder = fs::temp_directory_path() / std::u8string(name.begin(), name.end());
  const std::string utf8 = utf8Of(folder);
  fs::remove_all(folder);
  std::string why;
  fs::create_directories(folder);
  ASSERT_TRUE(Sys_MakeFolders(utf8, utf8 + "\\kept", &why)) << why;
  ASSERT_TRUE(fs::is_directory(folder / "kept"));
  std::ofstream(folder / "Credits.txt", std::ios::binary) << "aboard";

  char bytes[16] = {};
  SysFileFailure failure;
  int32_t file = Sys_FileOpenRead(utf8 + "\\Credits.txt", &failure);
  ASSERT_GE(file, 0) << failure;
  EXPECT_EQ(Sys_FileRead(file, 0, bytes, sizeof bytes, &failure), 6);
  EXPECT_EQ(std::string(bytes), "aboard");
  EXPECT_EQ(Sys_FileSize(file), 6);
  Sys_FileClose(file);

  const fs::path before = fs::current_path();
  ASSERT_TRUE(Sys_ChangeDirectory(utf8));
  file = Sys_FileOpenRead("Credits.txt", &failure);
  EXPECT_GE(file, 0) << failure;
  Sys_FileClose(file);
  fs::current_path(before);

  const std::string scores = utf8 + "\\kept\\scores";
  int32_t lock = Sys_FileLock(scores + ".lock", 1000, &why);
  ASSERT_GE(lock, 0) << why;
  EXPECT_TRUE(Sys_FileReplace(scores, "old", &why)) << why;
  EXPECT_TRUE(Sys_FileReplace(scores, "new", &why)) << why;
  Sys_FileUnlock(lock);
  std::string kept;
  EXPECT_EQ(Sys_FileReadWhole(scores, 100, &kept, &why), SYS_READ_OK) << why;
  EXPECT_EQ(kept, "new");
  EXPECT_EQ(Sys_FileKeepAside(scores, ".aside", &why), scores + ".aside") << why;
  fs::remove_all(folder);
}
