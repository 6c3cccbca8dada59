// box_without_display.h: the message box's answer where no box can be shown, shared by every
// system's layer.
#pragma once

#include <string>

#include "platform/platform.h"

// The box's caption and text on standard error, and the answer a closed box gives: OK for an
// OK box, No for a Yes/No box.
SysBoxAnswer SysShared_AnswerWithoutDisplay(const std::string& text, const std::string& caption, SysBoxStyle style);
