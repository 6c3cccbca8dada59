// The working directory comes from the executable's path.
#include <gtest/gtest.h>

#include "host/host.h"

TEST(ProgramFolder, CutsAtTheLastSeparator) {
  EXPECT_EQ(Host_FolderOf("/usr/games/brinemark/brinemark"), "/usr/games/brinemark");
  EXPECT_EQ(Host_FolderOf("C:\\Games\\Brinemark\\brinemark.exe"), "C:\\Games\\Brinemark");
  EXPECT_EQ(Host_FolderOf("C:\\Games/mixed\\x.exe"), "C:\\Games/mixed");
  EXPECT_EQ(Host_FolderOf("/brinemark"), "");
}

TEST(ProgramFolder, DriveLetterKeepsItsColon) {
  EXPECT_EQ(Host_FolderOf("C:brinemark.exe"), "C:");
  EXPECT_EQ(Host_FolderOf("D:\\x:y"), "D:\\x:");
}

TEST(ProgramFolder, NoSeparatorGivesTheWholePath) {
  EXPECT_EQ(Host_FolderOf("brinemark"), "brinemark");
  EXPECT_EQ(Host_FolderOf(""), "");
}
