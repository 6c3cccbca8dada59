// box_without_display.cpp: a message box answered on standard error. No state.
#include "platform/shared/box_without_display.h"

#include <cstdio>

SysBoxAnswer SysShared_AnswerWithoutDisplay(const std::string& text, const std::string& caption, SysBoxStyle style) {
  SysBoxAnswer answer = style == SYS_BOX_OK ? SYS_ANSWER_OK : SYS_ANSWER_NO;
  std::fputc('[', stderr);
  std::fwrite(caption.data(), 1, caption.size(), stderr);
  std::fputs("]\n", stderr);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fprintf(stderr, "\n(no box could be shown: answered %s)\n", answer == SYS_ANSWER_OK ? "OK" : "No");
  std::fflush(stderr);
  return answer;
}
