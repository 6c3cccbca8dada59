// kept_data_windows.cpp: the folder of kept data (the best scores) on Windows: its place, its
// lock, whole reads and the replacement of a file in one step. Holds no state but the tests'
// step hook: a lock handle is the system's handle of the lock file, owned by its taker.
//
// Paths are UTF-8 and go to the wide-character calls, so that a user name in any script works.
#include "platform/platform.h"

#include <shlobj.h>
#include <windows.h>

#include <cwchar>

#include "platform/windows/wide.h"

void (*Sys_FileReplaceStepHook)(int step);

static void passStep(int step) {
  if (Sys_FileReplaceStepHook != nullptr) Sys_FileReplaceStepHook(step);
}

static bool failed(std::string* why, const std::string& what, DWORD error = GetLastError()) {
  *why = what + ": " + Win_ErrorText(error);
  return false;
}

static int32_t toHandle(HANDLE file) { return int32_t(reinterpret_cast<intptr_t>(file)); }
static HANDLE fromHandle(int32_t handle) { return reinterpret_cast<HANDLE>(intptr_t(handle)); }

// %APPDATA% as the user's environment names it (tests and portable setups move it), else the
// system's roaming application data folder.
std::string Sys_DataHome() {
  const wchar_t* named = _wgetenv(L"APPDATA");
  if (named != nullptr && named[0] != L'\0' && named[1] == L':') return Win_Utf8(named);
  if (named != nullptr && named[0] == L'\\' && named[1] == L'\\') return Win_Utf8(named);
  wchar_t* folder = nullptr;
  std::string home;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder))) home = Win_Utf8(folder);
  CoTaskMemFree(folder);
  return home;
}

static bool isFolder(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Sys_MakeFolders(const std::string& folder, std::string* why) {
  std::wstring path = Win_WidePath(folder);
  // Past the root: "C:\", or the server and share of "\\server\share\".
  size_t start = path.size() >= 3 && path[1] == L':' ? 3 : 0;
  if (path.compare(0, 2, L"\\\\") == 0) {
    size_t share = path.find(L'\\', 2);
    start = share == std::wstring::npos ? path.size() : path.find(L'\\', share + 1);
    if (start == std::wstring::npos) start = path.size();
  }
  for (size_t end = start + 1; end <= path.size(); end++) {
    if (end < path.size() && path[end] != L'\\') continue;
    std::wstring part = path.substr(0, end);
    if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return failed(why, Win_Utf8(part.c_str()));
  }
  if (!isFolder(path)) return failed(why, folder, ERROR_DIRECTORY);
  return true;
}

// A folder cannot be locked itself: its lock is the first byte of a lock file inside it.
int32_t Sys_FolderLock(const std::string& folder, std::string* why) {
  std::wstring name = Win_WidePath(folder) + L"\\.lock";
  HANDLE lock = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (lock == INVALID_HANDLE_VALUE) return failed(why, folder), -1;
  OVERLAPPED first{};
  if (toHandle(lock) < 0 || !LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &first)) {
    failed(why, "lock on " + folder);
    CloseHandle(lock);
    return -1;
  }
  return toHandle(lock);
}

void Sys_FolderUnlock(int32_t handle) { CloseHandle(fromHandle(handle)); }  // closing lets the lock go

static HANDLE openToRead(const std::string& path) {
  return CreateFileW(Win_WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

SysWholeRead Sys_FileReadWhole(const std::string& path, size_t limit, std::string* bytes, std::string* why) {
  bytes->clear();
  HANDLE file = openToRead(path);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return SYS_READ_MISSING;
    return failed(why, path, error), SYS_READ_FAILED;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    *why = path + ": not a plain file";
    CloseHandle(file);
    return SYS_READ_FAILED;
  }
  bytes->resize(limit + 1);
  size_t got = 0;
  while (got < bytes->size()) {
    DWORD n = 0;
    if (!ReadFile(file, bytes->data() + got, DWORD(bytes->size() - got), &n, nullptr)) {
      failed(why, path);
      CloseHandle(file);
      bytes->clear();
      return SYS_READ_FAILED;
    }
    if (n == 0) break;
    got += n;
  }
  CloseHandle(file);
  bytes->resize(got);
  return got > limit ? SYS_READ_TOO_LARGE : SYS_READ_OK;
}

static bool writeAll(HANDLE file, const char* data, size_t size) {
  while (size > 0) {
    DWORD n = 0;
    if (!WriteFile(file, data, DWORD(size), &n, nullptr)) return false;
    if (n == 0) return SetLastError(ERROR_WRITE_FAULT), false;
    data += n;
    size -= n;
  }
  return true;
}

// Another program that reads the old file without letting it be replaced (a virus scanner, an
// indexer) holds it for a moment: the replacement is tried again for up to about a second.
static bool replaceInOneStep(const std::wstring& fresh, const std::wstring& path) {
  for (int attempt = 0;; attempt++) {
    if (MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DWORD error = GetLastError();
    if (attempt == 20 || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)) return false;
    Sleep(50);
  }
}

bool Sys_FileReplace(const std::string& path, const std::string& bytes, std::string* why) {
  // The same name each time: writers hold the folder's lock, and a crash leaves at most one.
  std::string freshName = path + ".new";
  std::wstring fresh = Win_WidePath(freshName), wide = Win_WidePath(path);
  HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return failed(why, freshName);
  passStep(SYS_REPLACE_OPENED);
  size_t half = bytes.size() / 2;
  bool written = writeAll(file, bytes.data(), half);
  if (written) passStep(SYS_REPLACE_HALF_WRITTEN);
  written = written && writeAll(file, bytes.data() + half, bytes.size() - half);
  if (written) passStep(SYS_REPLACE_WRITTEN);
  written = written && FlushFileBuffers(file);
  if (!written) failed(why, freshName);
  if (!CloseHandle(file) && written) written = failed(why, freshName);
  if (!written) {
    DeleteFileW(fresh.c_str());  // a full disk gets its space back
    return false;
  }
  passStep(SYS_REPLACE_FLUSHED);
  // One step, written through to the disk before it returns: readers see the old file or the
  // new one, and so does the disk after a power cut.
  if (!replaceInOneStep(fresh, wide)) {
    failed(why, path);
    DeleteFileW(fresh.c_str());
    return false;
  }
  passStep(SYS_REPLACE_RENAMED);
  passStep(SYS_REPLACE_DONE);
  return true;
}

// A move that never replaces: an existing name makes it fail, and the next name is tried.
std::string Sys_FileMoveAside(const std::string& path, const std::string& suffix, std::string* why) {
  std::wstring from = Win_WidePath(path);
  for (int n = 1; n <= 100; n++) {
    std::string aside = path + suffix;
    if (n > 1) aside.append(1, '-').append(std::to_string(n));
    if (MoveFileExW(from.c_str(), Win_WidePath(aside).c_str(), MOVEFILE_WRITE_THROUGH)) return aside;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) continue;
    failed(why, path, error);
    return "";
  }
  failed(why, path + suffix, ERROR_FILE_EXISTS);
  return "";
}
