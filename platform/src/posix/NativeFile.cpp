// The services for one open file over POSIX descriptors. Share locks are flock() locks, which
// belong to the open file description, so that every open of the file takes part, from any
// thread or process.
#include "NativeFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <limits>

#include <Utility/Platform/Error.h>

#include "posix/Errno.h"

namespace utility::platform {
namespace {

using utility::platform::ErrorFromErrno;
using utility::platform::RetryInterrupted;

HANDLE HandleOf(int fd) noexcept { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(fd)); }

int FdOf(HANDLE file) noexcept { return static_cast<int>(reinterpret_cast<INT_PTR>(file)); }

int AccessFlags(NativeAccess access) noexcept {
  switch (access) {
    case NativeAccess::kWrite:
      return O_WRONLY;
    case NativeAccess::kReadWrite:
      return O_RDWR;
    default:
      return O_RDONLY;
  }
}

void Describe(mode_t mode, NativeFileInfo& info) noexcept {
  if (S_ISREG(mode)) {
    info.kind = NativeKind::kFile;
  } else if (S_ISDIR(mode)) {
    info.kind = NativeKind::kDirectory;
  } else {
    info.kind = S_ISLNK(mode) ? NativeKind::kLink : NativeKind::kOther;
  }
  info.noWritePermission = (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

DWORD OpenNativeFile(const std::string& native, const NativeOpen& how, HANDLE& file, bool& created) noexcept {
  // Non-blocking for the open only, so that a FIFO without a reader cannot hang the caller
  // (FinishNativeOpen takes it off again).
  const int flags = AccessFlags(how.access) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (how.append ? O_APPEND : 0);
  created = false;
  for (int attempt = 0;; ++attempt) {
    int fd = open(native.c_str(), flags);
    if (fd < 0 && (errno != ENOENT || !how.create)) return utility::platform::PathErrorFromErrno(errno, native);
    if (fd < 0) {
      // Created here, with O_EXCL, so that a file made by this open is known to be new.
      fd = open(native.c_str(), flags | O_CREAT | O_EXCL, 0666);
      created = fd >= 0;
      if (fd < 0 && (errno != EEXIST || attempt >= 16)) return utility::platform::PathErrorFromErrno(errno, native);
    }
    if (fd >= 0) {
      file = HandleOf(fd);
      return ERROR_SUCCESS;
    }
  }
}

// statx asks for the type and permission bits alone, which costs less than a full fstat;
// kernels without statx get the fstat.
DWORD DescribeNativeFile(HANDLE file, NativeFileInfo& info) noexcept {
  struct statx sx {};
  if (statx(FdOf(file), "", AT_EMPTY_PATH, STATX_TYPE | STATX_MODE, &sx) == 0) {
    Describe(sx.stx_mode, info);
    return ERROR_SUCCESS;
  }
  if (errno != ENOSYS) return ErrorFromErrno(errno);
  struct stat st {};
  if (fstat(FdOf(file), &st) != 0) return ErrorFromErrno(errno);
  Describe(st.st_mode, info);
  return ERROR_SUCCESS;
}

bool LockNativeFile(HANDLE file, bool exclusive) noexcept {
  return flock(FdOf(file), (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

void FinishNativeOpen(HANDLE file, const NativeFileInfo& info) noexcept {
  // Regular files ignore O_NONBLOCK; only other kinds need it taken off again.
  if (info.kind == NativeKind::kFile) return;
  const int status = fcntl(FdOf(file), F_GETFL);
  if (status != -1) fcntl(FdOf(file), F_SETFL, status & ~O_NONBLOCK);
}

DWORD CloseNativeFile(HANDLE file) noexcept {
  // The descriptor is released whatever close reports; only a real I/O error is an error.
  if (close(FdOf(file)) != 0 && errno != EINTR) return ErrorFromErrno(errno);
  return ERROR_SUCCESS;
}

DWORD ReadNativeFile(HANDLE file, void* buffer, UINT count, UINT& done) noexcept {
  const ssize_t n = RetryInterrupted([&] { return read(FdOf(file), buffer, count); });
  if (n < 0) return ErrorFromErrno(errno);
  done = static_cast<UINT>(n);
  return ERROR_SUCCESS;
}

DWORD WriteNativeFile(HANDLE file, const void* buffer, UINT count, UINT& done) noexcept {
  const ssize_t n = RetryInterrupted([&] { return write(FdOf(file), buffer, count); });
  if (n < 0) return ErrorFromErrno(errno);
  done = static_cast<UINT>(n);
  return ERROR_SUCCESS;
}

DWORD SeekNativeFile(HANDLE file, LONGLONG offset, NativeSeek from, ULONGLONG& at) noexcept {
  const int whence = from == NativeSeek::kBegin ? SEEK_SET : from == NativeSeek::kCurrent ? SEEK_CUR : SEEK_END;
  const off_t position = lseek(FdOf(file), static_cast<off_t>(offset), whence);
  if (position < 0) return ErrorFromErrno(errno);
  at = static_cast<ULONGLONG>(position);
  return ERROR_SUCCESS;
}

DWORD GetNativeFileLength(HANDLE file, ULONGLONG& length) noexcept {
  struct stat st {};
  if (fstat(FdOf(file), &st) != 0) return ErrorFromErrno(errno);
  length = static_cast<ULONGLONG>(st.st_size);
  return ERROR_SUCCESS;
}

DWORD SetNativeFileLength(HANDLE file, ULONGLONG length) noexcept {
  if (length > static_cast<ULONGLONG>(std::numeric_limits<off_t>::max())) return ERROR_INVALID_PARAMETER;
  if (ftruncate(FdOf(file), static_cast<off_t>(length)) != 0) return ErrorFromErrno(errno);
  return ERROR_SUCCESS;
}

DWORD SyncNativeFile(HANDLE file) noexcept {
  const int fd = FdOf(file);
  if (RetryInterrupted([fd] { return fsync(fd); }) != 0 && errno != EINVAL) return ErrorFromErrno(errno);
  return ERROR_SUCCESS;
}

}  // namespace utility::platform
