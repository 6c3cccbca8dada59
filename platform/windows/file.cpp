// file.cpp: read-only files for the text-file reader, on Windows. Holds no state: a
// handle is the system's file handle, which fits 32 bits on every Windows, owned by whoever
// opened it.
//
// Names are UTF-8 and go to the wide-character calls: the code page's forms could not open a
// file under a folder whose name the code page cannot spell (a user name in another script).
#include "platform/platform.h"

#include <windows.h>

#include "platform/windows/wide.h"

static int32_t toHandle(HANDLE file) { return int32_t(reinterpret_cast<intptr_t>(file)); }
static HANDLE fromHandle(int32_t handle) { return reinterpret_cast<HANDLE>(intptr_t(handle)); }

static SysFileFailure openCause(DWORD error) {
  switch (error) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return SYS_FILE_NO_PATH;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return SYS_FILE_DENIED;
    default: return SYS_FILE_NOT_FOUND;
  }
}

int32_t Sys_FileOpenRead(const std::string& name, SysFileFailure* failure) {
  // A name with a NUL byte in it would silently name a shorter path.
  if (name.empty() || name.find('\0') != std::string::npos) {
    *failure = SYS_FILE_NOT_FOUND;
    return -1;
  }
  HANDLE file = CreateFileW(Win_WidePath(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // A folder cannot be opened as a file and says "access denied", as it should here.
    *failure = openCause(GetLastError());
    return -1;
  }
  // Pipes, consoles and devices never end: only files on a disk are read.
  if (GetFileType(file) != FILE_TYPE_DISK || toHandle(file) < 0) {
    CloseHandle(file);
    *failure = SYS_FILE_NOT_FOUND;
    return -1;
  }
  *failure = SYS_FILE_OK;
  return toHandle(file);
}

int64_t Sys_FileRead(int32_t handle, uint64_t offset, void* buffer, uint32_t count, SysFileFailure* failure) {
  if (offset > static_cast<uint64_t>(INT64_MAX)) return 0;
  OVERLAPPED at{};
  at.Offset = DWORD(offset);
  at.OffsetHigh = DWORD(offset >> 32);
  DWORD got = 0;
  if (ReadFile(fromHandle(handle), buffer, count, &got, &at)) return got;
  DWORD error = GetLastError();
  if (error == ERROR_HANDLE_EOF) return 0;
  *failure = (error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION) ? SYS_FILE_DENIED : SYS_FILE_FAILED;
  return -1;
}

int64_t Sys_FileSize(int32_t handle) {
  DWORD high = 0;
  SetLastError(NO_ERROR);
  DWORD low = GetFileSize(fromHandle(handle), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
  return int64_t((uint64_t(high) << 32) | low);
}

void Sys_FileClose(int32_t handle) { CloseHandle(fromHandle(handle)); }
