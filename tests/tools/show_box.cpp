// show_box: one message box with the text of a file, for the tests of the box itself.
// Usage: show_box <caption> <text file> [ok]. Prints the answer: Yes, No or OK.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/platform.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: show_box <caption> <text file> [ok]\n");
    return 2;
  }
  Sys_InitThreads();
  std::ifstream file(argv[2], std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  SysBoxStyle style = argc > 3 && std::string(argv[3]) == "ok" ? SYS_BOX_OK : SYS_BOX_YES_NO;
  SysBoxAnswer answer = Sys_MessageBox(text, argv[1], style);
  std::printf("%s\n", answer == SYS_ANSWER_YES ? "Yes" : answer == SYS_ANSWER_NO ? "No" : "OK");
  return 0;
}
