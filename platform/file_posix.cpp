// file_posix.cpp: read-only files on POSIX for the text-file reader. Holds no state of its own:
// a handle is the file descriptor, owned by whoever opened it.
#include "platform/platform.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
