// The working directory comes from the executable's path.
#include <gtest/gtest.h>

#include "runtime/program.h"

TEST(ProgramFolder, CutsAtTheLastSeparator) {
  EXPECT_EQ(Program_FolderOf("/usr/games/brinemark/brinemark"), "/usr/games/brinemark");
  EXPECT_EQ(Program_FolderOf("C:\\Games\\Brinemark\\brinemark.exe"), "C:\\Games\\Brinemark");
  EXPECT_EQ(Program_FolderOf("C:\\Games/mixed\\x.exe"), "C:\\Games/mixed");
  EXPECT_EQ(Program_FolderOf("/brinemark"), "");
}

TEST(ProgramFolder, DriveLetterKeepsItsColon) {
  EXPECT_EQ(Program_FolderOf("C:brinemark.exe"), "C:");
  EXPECT_EQ(Program_FolderOf("D:\\x:y"), "D:\\x:");
}

TEST(ProgramFolder, NoSeparatorGivesTheWholePath) {
  EXPECT_EQ(Program_FolderOf("brinemark"), "brinemark");
  EXPECT_EQ(Program_FolderOf(""), "");
}
