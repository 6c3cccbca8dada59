// file.cpp: files on POSIX: read-only files for the text-file reader, and the kept-data
// folder with its lock file, whole reads and crash-safe replacement for the best scores. Holds
// no state of its own but the tests' step hook: a handle is the file descriptor, owned by
// whoever opened it.
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// ENOENT says only that some part of the path is missing. The runtime tells a missing file in
// an existing folder (file not found) from a missing folder (path not found), so look at the
// folder the name lies in: everything before its last slash, or the working directory.
static SysFileFailure missingCause(const std::string& name) {
  size_t slash = name.find_last_of('/');
  if (slash == std::string::npos) return SYS_FILE_NOT_FOUND;
  std::string folder = slash == 0 ? "/" : name.substr(0, slash);
  struct stat info;
  if (stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return SYS_FILE_NOT_FOUND;
  return SYS_FILE_NO_PATH;
}

static SysFileFailure openCause(int error, const std::string& name) {
  switch (error) {
    case ENOTDIR: return SYS_FILE_NO_PATH;
    case ENOENT: return missingCause(name);
    case EACCES:
    case EPERM:
    case EISDIR: return SYS_FILE_DENIED;
    default: return SYS_FILE_NOT_FOUND;
  }
}

int32_t Sys_FileOpenRead(const std::string& name, SysFileFailure* failure) {
  // A name with a NUL byte in it would silently name a shorter path.
  if (name.empty() || name.find('\0') != std::string::npos) {
    *failure = SYS_FILE_NOT_FOUND;
    return -1;
  }
  // Non-blocking so that a named pipe without a writer cannot hold the open; it is refused below.
  int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    *failure = openCause(errno, name);
    return -1;
  }
  struct stat info;
  SysFileFailure refused = SYS_FILE_OK;
  if (fstat(fd, &info) != 0) refused = SYS_FILE_NOT_FOUND;
  else if (S_ISDIR(info.st_mode)) refused = SYS_FILE_DENIED;
  else if (!S_ISREG(info.st_mode)) refused = SYS_FILE_NOT_FOUND;  // pipes and devices never end
  if (refused != SYS_FILE_OK) {
    close(fd);
    *failure = refused;
    return -1;
  }
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  *failure = SYS_FILE_OK;
  return fd;
}

int64_t Sys_FileRead(int32_t handle, uint64_t offset, void* buffer, uint32_t count, SysFileFailure* failure) {
  if (offset > static_cast<uint64_t>(INT64_MAX)) return 0;
  for (;;) {
    ssize_t n = pread(handle, buffer, count, static_cast<off_t>(offset));
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    *failure = (errno == EACCES || errno == EPERM) ? SYS_FILE_DENIED : SYS_FILE_FAILED;
    return -1;
  }
}

int64_t Sys_FileSize(int32_t handle) {
  struct stat info;
  if (fstat(handle, &info) != 0) return -1;
  return info.st_size;
}

void Sys_FileClose(int32_t handle) { close(handle); }

// ---- kept data -----------------------------------------------------------------------------

void (*Sys_FileReplaceStepHook)(int step);

static void passStep(int step) {
  if (Sys_FileReplaceStepHook != nullptr) Sys_FileReplaceStepHook(step);
}

static bool failed(std::string* why, const std::string& what) {
  *why = what + ": " + std::strerror(errno);
  return false;
}

static std::string folderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string Sys_DataHome(std::string* existing) {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') {  // a relative one is to be ignored
    if (existing != nullptr) existing->assign(1, '/');
    return data;
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] != '/') return "";
  if (existing != nullptr) *existing = home;
  return std::string(home) + "/.local/share";
}

bool Sys_MakeFolders(const std::string& existing, const std::string& folder, std::string* why) {
  struct stat info;
  if (stat(existing.c_str(), &info) != 0) return failed(why, existing);
  size_t from = folder.compare(0, existing.size(), existing) == 0 ? existing.size() : 1;
  for (size_t end = std::max<size_t>(from, 1); end <= folder.size(); end++) {
    if (end < folder.size() && folder[end] != '/') continue;
    std::string part = folder.substr(0, end);
    if (mkdir(part.c_str(), 0700) == 0) {
      chmod(part.c_str(), 0700);  // whatever the umask left of it
    } else if (errno != EEXIST) {
      return failed(why, part);
    }
  }
  if (stat(folder.c_str(), &info) != 0) return failed(why, folder);
  if (!S_ISDIR(info.st_mode)) {
    errno = ENOTDIR;
    return failed(why, folder);
  }
  return true;
}

bool Sys_FolderOpenToOthers(const std::string& folder, uint32_t* mode) {
  struct stat info;
  if (stat(folder.c_str(), &info) != 0) return false;
  *mode = info.st_mode & 07777;
  return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

static int64_t monotonicMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int32_t Sys_FileLock(const std::string& lockFile, int32_t waitMs, std::string* why) {
  int fd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) return failed(why, lockFile), -1;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    *why = lockFile + ": not a plain file";
    close(fd);
    return -1;
  }
  // The process's lock on the whole file. Any close of the file in the process lets it go, so
  // the lock file is opened nowhere else.
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  int64_t until = monotonicMs() + waitMs;
  for (uint32_t pause = 2; fcntl(fd, F_SETLK, &whole) != 0; pause = std::min(pause * 2, 20u)) {
    if (errno != EACCES && errno != EAGAIN && errno != EINTR) {
      failed(why, "lock on " + lockFile);
    } else if (monotonicMs() >= until) {
      *why = lockFile + " is held by another process";
    } else {
      timespec wait{0, long(pause) * 1000000L};
      nanosleep(&wait, nullptr);
      continue;
    }
    close(fd);
    return -1;
  }
  return fd;
}

void Sys_FileUnlock(int32_t handle) { close(handle); }  // closing lets the lock go

SysWholeRead Sys_FileReadWhole(const std::string& path, size_t limit, std::string* bytes, std::string* why) {
  bytes->clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? SYS_READ_MISSING : (failed(why, path), SYS_READ_FAILED);
  struct stat info;
  if (fstat(fd, &info) != 0) {
    failed(why, path);
    close(fd);
    return SYS_READ_FAILED;
  }
  if (!S_ISREG(info.st_mode)) {
    *why = "not a plain file";
    close(fd);
    return SYS_READ_NOT_PLAIN;
  }
  bytes->resize(limit + 1);
  size_t got = 0;
  while (got < bytes->size()) {
    ssize_t n = read(fd, bytes->data() + got, bytes->size() - got);
    if (n == 0) break;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      failed(why, path);
      close(fd);
      bytes->clear();
      return SYS_READ_FAILED;
    }
    got += size_t(n);
  }
  close(fd);
  bytes->resize(got);
  return got > limit ? SYS_READ_TOO_LARGE : SYS_READ_OK;
}

static bool writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    data += n;
    size -= size_t(n);
  }
  return true;
}

// The file a chain of symbolic links at path ends in; path itself when it is no link.
static std::string linkEnd(std::string path) {
  for (int hops = 0; hops < 40; hops++) {
    char target[4096];
    ssize_t n = readlink(path.c_str(), target, sizeof target);
    if (n <= 0 || size_t(n) == sizeof target) break;
    std::string next(target, size_t(n));
    path = next[0] == '/' ? next : folderOf(path) + "/" + next;
  }
  return path;
}

bool Sys_FileReplace(const std::string& named, const std::string& bytes, std::string* why) {
  std::string path = linkEnd(named);
  // The same name each time: writers hold the lock, and a crash leaves at most one. Whatever
  // stands there goes first (a stale file, a link to some other file, a pipe, an empty
  // folder), so the new file is always made afresh and never written through another name; a
  // folder that cannot go leaves a name of this process's own.
  std::string fresh = path + ".new";
  if (unlink(fresh.c_str()) != 0 && errno != ENOENT && rmdir(fresh.c_str()) != 0) {
    fresh.append(1, '-').append(std::to_string(getpid()));
    unlink(fresh.c_str());
  }
  int fd = open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) return failed(why, fresh);
  passStep(SYS_REPLACE_OPENED);
  size_t half = bytes.size() / 2;
  bool written = fchmod(fd, 0600) == 0 && writeAll(fd, bytes.data(), half);
  if (written) passStep(SYS_REPLACE_HALF_WRITTEN);
  written = written && writeAll(fd, bytes.data() + half, bytes.size() - half);
  if (written) passStep(SYS_REPLACE_WRITTEN);
  written = written && fsync(fd) == 0;
  if (!written) failed(why, fresh);
  if (close(fd) != 0 && written) written = failed(why, fresh);
  if (!written) {
    unlink(fresh.c_str());  // a full disk gets its space back
    return false;
  }
  passStep(SYS_REPLACE_FLUSHED);
  if (rename(fresh.c_str(), path.c_str()) != 0) {
    failed(why, path);
    unlink(fresh.c_str());
    return false;
  }
  passStep(SYS_REPLACE_RENAMED);
  // The rename is done and seen by every reader; flushing the folder makes it last through a
  // power cut. Should that fail, the new file still stands, so the replacement counts as made.
  int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  passStep(SYS_REPLACE_DONE);
  return true;
}

std::string Sys_FileKeepAside(const std::string& named, const std::string& suffix, std::string* why) {
  std::string path = linkEnd(named);
  for (int n = 1; n <= 100; n++) {
    std::string aside = path + suffix;
    if (n > 1) aside.append(1, '-').append(std::to_string(n));
    struct stat info;
    if (lstat(aside.c_str(), &info) == 0) continue;
    if (link(path.c_str(), aside.c_str()) == 0 || rename(path.c_str(), aside.c_str()) == 0) return aside;
    failed(why, path);
    return "";
  }
  errno = EEXIST;
  failed(why, path + suffix);
  return "";
}
