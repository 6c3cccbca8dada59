// libFuzzer driver for the number text and the option words. The first four bytes are a float:
// its text must read back as the value rounded to seven significant digits, in the runtime's
// form. The rest is an options text: what Options_Parse accepts must parse to the same bits when
// written back out in another order and case.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/options.h"
#include "text/number_text.h"

static void fail(const char* what, const std::string& text) {
  std::fprintf(stderr, "%s: \"%s\"\n", what, text.c_str());
  std::abort();
}

static void checkNumber(float value) {
  std::string text = Text_FromNumber(value);
  if (text.empty() || (text[0] != ' ' && text[0] != '-')) fail("sign", text);
  if (!std::isfinite(value)) return;
  if (text.size() > 14 || text.find_first_not_of(" -.0123456789E+") != std::string::npos) fail("form", text);
  char rounded[32];
  std::snprintf(rounded, sizeof rounded, "%.6E", double(value));
  char* end = nullptr;
  double back = std::strtod(text.c_str(), &end);
  if (*end != '\0' || back != std::strtod(rounded, nullptr)) fail("reads back wrong", text);
}

static void checkOptions(const std::string& text) {
  static const char* const words[] = {"BOLD", "ITALIC", "UNDERLINE", "DONTBLEND", "MONOSPACE", "UNICODE"};
  uint32_t bits = 0;
  if (!Options_Parse(text, words, 6, &bits)) return;
  if (bits >> 6 != 0 || (bits == 0) != text.empty()) fail("bits", text);
  std::string again;
  for (int i = 5; i >= 0; i--)
    if (bits & (1u << i)) {
      if (!again.empty()) again += " ,";
      for (const char* c = words[i]; *c != '\0'; c++) again += char(*c | 0x20);  // lower case
    }
  uint32_t reparsed = 0;
  if (!Options_Parse(again, words, 6, &reparsed) || reparsed != bits) fail("written back", again);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  float value;
  std::memcpy(&value, data, 4);
  checkNumber(value);
  checkOptions(std::string(reinterpret_cast<const char*>(data) + 4, size - 4));
  return 0;
}
