// number_text.cpp: Text_FromNumber. No state.
#include "text/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string Text_FromNumber(float value) {
  double v = value;
  // Working form " d.ddddddE+xx": the seven significant digits and the exponent, rounded once.
  char work[32];
  std::snprintf(work, sizeof work, "% .6E", v);
  if (!std::isfinite(v)) return work;  // " INF", "-INF", " NAN": no digits to count

  // Significant digits: seven less the trailing zeros of the digits d.dddddd.
  static const int digitAt[7] = {8, 7, 6, 5, 4, 3, 1};
  int significant = 7;
  for (int i = 0; i < 7 && work[digitAt[i]] == '0'; i++) significant--;
  if (significant == 0) return " 0";

  int exponent = std::atoi(work + 10);
  if (exponent <= 6 && exponent - significant >= -8) {
    int decimals = significant - exponent - 1;
    if (decimals < 0) decimals = 0;
    char fixed[64];
    std::snprintf(fixed, sizeof fixed, "% .*f", decimals, v);
    std::string text = fixed;
    if (text[1] == '0') text.erase(1, 1);  // " 0.5" -> " .5"
    return text;
  }

  std::string text;
  text += work[0];
  text += work[1];
  if (significant > 1) {
    text += '.';
    text.append(work + 3, static_cast<size_t>(significant - 1));
  }
  int magnitude = std::abs(exponent);
  char tail[16];
  std::snprintf(tail, sizeof tail, "E%c%0*d", exponent < 0 ? '-' : '+', magnitude > 99 ? 3 : 2, magnitude);
  return text + tail;
}
