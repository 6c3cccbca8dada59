// text_file.h: text files opened by number and read line by line.
//
// File numbers are positive. The game opens one file for input, reads lines while
// TextFile_AtEnd is 0, and closes it. Lines are bytes as they stand: a line ends at CR, LF,
// CR LF or LF CR, and byte 26 ends the text. Game thread only (TextFile_CloseAll also at
// shutdown, after the game thread has stopped).
#pragma once

#include <cstdint>
#include <string>

enum TextFileMode : uint8_t {
  TEXT_FILE_INPUT = 1,   // sequential text input, read with TextFile_ReadLine
  TEXT_FILE_BINARY = 2,  // opened read-only for byte access; nothing here writes files
};

// A line stops growing at this many bytes; the rest of it is read as the following line(s).
constexpr size_t TEXT_LINE_LIMIT = 1u << 20;

// Open the existing file name under number. Errors: 52 number below 1, 54 unknown mode,
// 55 number in use, 76 a folder of the path missing, 70 access refused (a folder included),
// 53 missing file or other cause, 70/75 a failed first read; the number stays free on failure.
void TextFile_Open(const std::string& name, int32_t mode, int32_t number);
// Read the next line into *line. Errors: 52 number not open, 54 not opened for input,
// 75 not readable, 70/75 a failed read (*line unchanged), 62 nothing left (*line emptied first).
void TextFile_ReadLine(int32_t number, std::string* line);
// -1 when the file has nothing left to read (its size reached, or byte 26 met), else 0.
// Error 52 and 0 for a number that is not open.
int32_t TextFile_AtEnd(int32_t number);
// Whether number names an open file; false after an open that failed.
bool TextFile_IsOpen(int32_t number);
// Close number when given (a number not open is ignored), else every open file.
void TextFile_Close(int32_t number, bool numberGiven);

// Close every open text file (shutdown, main thread, after the game thread has stopped).
void TextFile_CloseAll();
