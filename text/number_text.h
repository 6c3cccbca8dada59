// number_text.h: numbers as the text the game prints (scores, levels).
#pragma once

#include <string>

// value in the runtime's number format: a blank or "-" in front, up to seven significant
// digits, fixed-point for exponents from -8 to 6 (" 65", " .5", "-2.25") and otherwise
// " 1.234568E+07"; zero of either sign is " 0". Never raises.
std::string Text_FromNumber(float value);
