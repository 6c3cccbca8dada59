// message_box_x11.cpp: the modal message box. Owns nothing between calls.
#include "platform/platform.h"

#include <cstdio>

SysBoxAnswer Sys_MessageBox(const std::string& text, const std::string& caption, SysBoxStyle style) {
  std::fprintf(stderr, "[%s]\n%s\n", caption.c_str(), text.c_str());
  return style == SYS_BOX_OK ? SYS_ANSWER_OK : SYS_ANSWER_NO;
}
