// text_file.cpp: the file-number table and the line reader.
//
// Owns openFiles, the records of the numbers in use, in no particular order; only the game
// thread touches it (and the shutdown, once the game thread has stopped). A record's position
// is the byte offset of the next read. Bytes come through a small window buffer that is valid
// only within one TextFile_ReadLine: every line starts with a fresh read, so a file that other
// programs change between two lines is read as it is then, and the step back over the byte
// after a line end stays inside the buffer.
#include "text/text_file.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/platform.h"
#include "runtime/error.h"

namespace {

constexpr uint32_t WINDOW_BYTES = 4096;
constexpr uint8_t END_OF_TEXT = 26;

struct OpenFile {
  int32_t number;     // file number naming this record
  uint8_t mode;       // TEXT_FILE_INPUT or TEXT_FILE_BINARY
  uint8_t readable;   // opened with read access
  int32_t handle;     // platform file handle
  uint64_t position;  // offset of the next byte to read
  uint8_t endMark;    // a read met the end or byte 26; cleared by a read that got a byte
  uint64_t windowStart;   // file offset of window[0]
  uint32_t windowLength;  // bytes valid in window; 0 = nothing buffered
  std::unique_ptr<uint8_t[]> window;
};

// Only numbers in use have a record, so a high file number costs nothing extra.
std::vector<OpenFile> openFiles;

OpenFile* findFile(int32_t number) {
  for (OpenFile& file : openFiles)
    if (file.number == number) return &file;
  return nullptr;
}

int32_t readFailureError(SysFileFailure failure) { return failure == SYS_FILE_DENIED ? 70 : 75; }

// Result of readByte: a byte 0..255, or one of these.
constexpr int END_SIGNAL = -1;
constexpr int READ_FAILED = -2;

// One byte at the position: the byte (position advanced, end mark cleared), END_SIGNAL at the
// end of the file or on byte 26 (which stays unread), READ_FAILED after raising 70 or 75.
int readByte(OpenFile* file) {
  uint64_t offset = file->position - file->windowStart;
  if (file->windowLength == 0 || file->position < file->windowStart || offset >= file->windowLength) {
    SysFileFailure failure = SYS_FILE_OK;
    int64_t n = Sys_FileRead(file->handle, file->position, file->window.get(), WINDOW_BYTES, &failure);
    if (n < 0) {
      file->windowLength = 0;
      Runtime_Error(readFailureError(failure));
      return READ_FAILED;
    }
    file->windowStart = file->position;
    file->windowLength = static_cast<uint32_t>(n);
    offset = 0;
    if (n == 0) {
      file->endMark = 1;
      return END_SIGNAL;
    }
  }
  uint8_t byte = file->window[offset];
  if (byte == END_OF_TEXT) {
    file->endMark = 1;
    return END_SIGNAL;
  }
  file->endMark = 0;
  file->position++;
  return byte;
}

void closeRecord(OpenFile* file) {
  Sys_FileClose(file->handle);
  if (file != &openFiles.back()) *file = std::move(openFiles.back());
  openFiles.pop_back();
}

int32_t openError(SysFileFailure failure) {
  switch (failure) {
    case SYS_FILE_NO_PATH: return 76;
    case SYS_FILE_DENIED: return 70;
    default: return 53;
  }
}

}  // namespace

void TextFile_Open(const std::string& name, int32_t mode, int32_t number) {
  if (Error_Pending()) return;
  if (number < 1) return Runtime_Error(52);
  if (mode != TEXT_FILE_INPUT && mode != TEXT_FILE_BINARY) return Runtime_Error(54);
  if (findFile(number) != nullptr) return Runtime_Error(55);
  SysFileFailure failure = SYS_FILE_OK;
  int32_t handle = Sys_FileOpenRead(name, &failure);
  if (handle < 0) return Runtime_Error(openError(failure));

  OpenFile file{number, static_cast<uint8_t>(mode), 1, handle, 0, 0, 0, 0,
                std::make_unique<uint8_t[]>(WINDOW_BYTES)};
  // A text that starts with byte 26 is at its end from the start.
  if (Sys_FileSize(handle) != 0) {
    uint8_t first = 0;
    int64_t n = Sys_FileRead(handle, 0, &first, 1, &failure);
    if (n < 0) {
      Sys_FileClose(handle);
      return Runtime_Error(readFailureError(failure));
    }
    if (n == 1 && first == END_OF_TEXT) file.endMark = 1;
  }
  openFiles.push_back(std::move(file));
}

void TextFile_ReadLine(int32_t number, std::string* line) {
  if (Error_Pending()) return;
  OpenFile* file = findFile(number);
  if (file == nullptr) return Runtime_Error(52);
  if (file->mode != TEXT_FILE_INPUT) return Runtime_Error(54);
  if (!file->readable) return Runtime_Error(75);

  file->windowLength = 0;  // read what the file holds now
  int byte = readByte(file);
  if (byte == READ_FAILED) return;
  if (byte == END_SIGNAL) {
    line->clear();
    return Runtime_Error(62);
  }
  std::string text;
  while (byte >= 0 && byte != '\r' && byte != '\n') {
    text.push_back(static_cast<char>(byte));
    if (text.size() == TEXT_LINE_LIMIT) {
      *line = std::move(text);
      return;
    }
    byte = readByte(file);
  }
  if (byte == READ_FAILED) return;
  if (byte >= 0) {
    // A line end: the other byte of a CR LF or LF CR pair belongs to it; any other byte read
    // here is the start of the next line and is given back.
    int pair = byte == '\r' ? '\n' : '\r';
    int next = readByte(file);
    if (next == READ_FAILED) return;
    if (next == pair) next = readByte(file);
    if (next == READ_FAILED) return;
    if (next >= 0) file->position--;
  }
  *line = std::move(text);
}

bool TextFile_IsOpen(int32_t number) { return findFile(number) != nullptr; }

int32_t TextFile_AtEnd(int32_t number) {
  OpenFile* file = number >= 1 ? findFile(number) : nullptr;
  if (file == nullptr) {
    Runtime_Error(52);
    return 0;
  }
  int64_t size = Sys_FileSize(file->handle);
  if (size >= 0 && file->position >= static_cast<uint64_t>(size)) return -1;
  return file->endMark ? -1 : 0;
}

void TextFile_Close(int32_t number, bool numberGiven) {
  if (Error_Pending()) return;
  if (!numberGiven) return TextFile_CloseAll();
  OpenFile* file = number >= 1 ? findFile(number) : nullptr;
  if (file != nullptr) closeRecord(file);
}

void TextFile_CloseAll() {
  for (OpenFile& file : openFiles) Sys_FileClose(file.handle);
  openFiles.clear();
}
