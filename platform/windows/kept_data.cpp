// kept_data.cpp: the folder of kept data (the best scores) on Windows: its place, its
// lock file, whole reads and the replacement of a file in one step. Holds no state but the tests'
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
// system's roaming application data folder. It is the part kept data never makes.
std::string Sys_DataHome(std::string* existing) {
  const wchar_t* named = _wgetenv(L"APPDATA");
  std::string home;
  if (named != nullptr && named[0] != L'\0' && named[1] == L':' && named[2] == L'\\') {
    // Named by the user, as XDG_DATA_HOME is on Linux: every folder below its drive may be made.
    home = Win_Utf8(named);
    if (existing != nullptr) *existing = home.substr(0, 3);
    return home;
  } else if (named != nullptr && named[0] == L'\\' && named[1] == L'\\') {
    home = Win_Utf8(named);
    if (existing != nullptr) *existing = home;  // a network share: only below it
    return home;
  } else {
    wchar_t* folder = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder))) home = Win_Utf8(folder);
    CoTaskMemFree(folder);
  }
  if (existing != nullptr) *existing = home;
  return home;
}

static bool isFolder(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Sys_MakeFolders(const std::string& existing, const std::string& folder, std::string* why) {
  std::wstring path = Win_WidePath(folder), base = Win_WidePath(existing);
  if (!isFolder(base)) return failed(why, existing, ERROR_PATH_NOT_FOUND);
  if (path.compare(0, base.size(), base) != 0) return failed(why, folder, ERROR_BAD_PATHNAME);
  for (size_t end = base.size() + (base.back() == L'\\' ? 0 : 1); end <= path.size(); end++) {
    if (end < path.size() && path[end] != L'\\') continue;
    std::wstring part = path.substr(0, end);
    if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return failed(why, Win_Utf8(part.c_str()));
  }
  if (!isFolder(path)) return failed(why, folder, ERROR_DIRECTORY);
  return true;
}

// The application data folder is the user's own by its access list: nobody else writes in it.
bool Sys_FolderOpenToOthers(const std::string&, uint32_t* mode) {
  *mode = 0;
  return false;
}

// The lock is the first byte of the lock file, tried without blocking until waitMs have passed.
int32_t Sys_FileLock(const std::string& lockFile, int32_t waitMs, std::string* why) {
  HANDLE lock = CreateFileW(Win_WidePath(lockFile).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (lock == INVALID_HANDLE_VALUE) return failed(why, lockFile), -1;
  ULONGLONG until = GetTickCount64() + ULONGLONG(waitMs < 0 ? 0 : waitMs);
  for (DWORD pause = 2;; pause = pause * 2 > 20 ? 20 : pause * 2) {
    OVERLAPPED first{};
    if (toHandle(lock) >= 0 && LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &first))
      return toHandle(lock);
    DWORD error = GetLastError();
    if (toHandle(lock) < 0 || error != ERROR_LOCK_VIOLATION) {
      failed(why, "lock on " + lockFile, error);
    } else if (GetTickCount64() >= until) {
      *why = lockFile + " is held by another process";
    } else {
      Sleep(pause);
      continue;
    }
    CloseHandle(lock);
    return -1;
  }
}

void Sys_FileUnlock(int32_t handle) { CloseHandle(fromHandle(handle)); }  // closing lets the lock go

static HANDLE openToRead(const std::string& path) {
  return CreateFileW(Win_WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

SysWholeRead Sys_FileReadWhole(const std::string& path, size_t limit, std::string* bytes, std::string* why) {
  bytes->clear();
  if (isFolder(Win_WidePath(path))) return SYS_READ_NOT_PLAIN;
  HANDLE file = openToRead(path);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return SYS_READ_MISSING;
    return failed(why, path, error), SYS_READ_FAILED;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    *why = path + ": not a plain file";
    CloseHandle(file);
    return SYS_READ_NOT_PLAIN;
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
  // The same name each time: writers hold the lock, and a crash leaves at most one. Whatever
  // stands there is removed first and the file made afresh, so it is never another's file.
  std::string freshName = path + ".new";
  std::wstring fresh = Win_WidePath(freshName), wide = Win_WidePath(path);
  if (!DeleteFileW(fresh.c_str())) RemoveDirectoryW(fresh.c_str());
  HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
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

// A second name that never replaces an existing one: a hard link, so that the file keeps its
// own name until the save replaces it; what cannot have two names (a folder) is moved.
std::string Sys_FileKeepAside(const std::string& path, const std::string& suffix, std::string* why) {
  std::wstring from = Win_WidePath(path);
  for (int n = 1; n <= 100; n++) {
    std::string aside = path + suffix;
    if (n > 1) aside.append(1, '-').append(std::to_string(n));
    std::wstring to = Win_WidePath(aside);
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    if (CreateHardLinkW(to.c_str(), from.c_str(), nullptr) || MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
      return aside;
    failed(why, path);
    return "";
  }
  failed(why, path + suffix, ERROR_FILE_EXISTS);
  return "";
}
