// libFuzzer driver for the line reader: random bytes go into a file, which is read line by
// line as the game reads it, and the lines are compared with a second splitter written from
// the rules (CR, LF, CR LF, LF CR end a line; byte 26 ends the text). Built with clang alone,
// so it brings its own stand-ins for the runtime's error queue.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_support.h"
#include "text/text_file.h"

static std::vector<std::string> referenceLines(const std::string& bytes) {
  std::string text = bytes.substr(0, bytes.find('\x1a'));
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find_first_of("\r\n", i);
    if (end == std::string::npos) end = text.size();
    // A line longer than the limit goes on as the next line.
    if (end - i > TEXT_LINE_LIMIT) {
      lines.push_back(text.substr(i, TEXT_LINE_LIMIT));
      i += TEXT_LINE_LIMIT;
      continue;
    }
    lines.push_back(text.substr(i, end - i));
    if (end == text.size()) break;
    i = end + 1;
    if (i < text.size() && (text[i] == '\r' || text[i] == '\n') && text[i] != text[end]) i++;
  }
  return lines;
}

static void fail(const char* what) {
  std::fprintf(stderr, "line reader disagrees: %s\n", what);
  std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = Fuzz_WriteFile(data, size);
  std::string bytes(reinterpret_cast<const char*>(data), size);

  pendingError = 0;
  TextFile_Open(path, TEXT_FILE_INPUT, 1);
  if (pendingError != 0) fail("open");
  std::vector<std::string> lines;
  while (TextFile_AtEnd(1) == 0) {
    std::string line;
    TextFile_ReadLine(1, &line);
    if (pendingError != 0) fail("read");
    lines.push_back(line);
    if (lines.size() > size + 1) fail("more lines than bytes");
  }
  std::string line = "x";
  TextFile_ReadLine(1, &line);
  if (pendingError != 62 || !line.empty()) fail("reading past the end");
  pendingError = 0;
  TextFile_Close(1, true);
  if (lines != referenceLines(bytes)) fail("lines");
  return 0;
}
