// CFile and CStdioFile over POSIX descriptors. Share modes become flock() locks, which belong
// to the open file description: an exclusive open takes LOCK_EX, any other open LOCK_SH, and
// neither waits. Read-only files are refused by the mode bits, since the superuser passes the
// kernel's own permission check.
#include <Utility/Platform/File.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Utility/Platform/Error.h>
#include <Utility/Platform/FileSystem.h>

#include "posix/Errno.h"
#include "posix/NativeName.h"

namespace {

HANDLE HandleOf(int fd) noexcept { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(fd)); }

bool NoWriteBits(mode_t mode) noexcept { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

// The type and permission bits of an open file. statx asks for these alone, which costs less
// than a full fstat; kernels without statx get the fstat.
bool ModeOf(int fd, mode_t& mode) noexcept {
  struct statx sx {};
  if (statx(fd, "", AT_EMPTY_PATH, STATX_TYPE | STATX_MODE, &sx) == 0) {
    mode = sx.stx_mode;
    return true;
  }
  if (errno != ENOSYS) return false;
  struct stat st {};
  if (fstat(fd, &st) != 0) return false;
  mode = st.st_mode;
  return true;
}

const WCHAR* Wide(const char16_t* s) noexcept { return reinterpret_cast<const WCHAR*>(s); }

[[noreturn]] void ThrowFileError(DWORD code, const WCHAR* fileName) {
  throw CFileException(static_cast<LONG>(code), CString(fileName));
}

}  // namespace

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

CFile::CFile() noexcept : m_hFile(hFileNull) {}

CFile::CFile(const WCHAR* fileName, UINT openFlags) : m_hFile(hFileNull) {
  CFileException error;
  if (!Open(fileName, openFlags, &error)) throw error;
}

CFile::CFile(const char16_t* fileName, UINT openFlags) : CFile(Wide(fileName), openFlags) {}

CFile::~CFile() { CFile::Abort(); }

int CFile::Descriptor() const noexcept { return static_cast<int>(reinterpret_cast<INT_PTR>(m_hFile)); }

void CFile::ThrowLastError() const { throw CFileException(static_cast<LONG>(GetLastError()), m_strFileName); }

BOOL CFile::Open(const char16_t* fileName, UINT openFlags, CFileException* error) {
  return Open(Wide(fileName), openFlags, error);
}

BOOL CFile::Open(const WCHAR* fileName, UINT openFlags, CFileException* error) {
  if (IsOpen()) Abort();
  m_strFileName = fileName;
  const auto fail = [&](DWORD code) {
    SetLastError(code);
    if (error != nullptr) {
      error->m_lOsError = static_cast<LONG>(code);
      error->m_strFileName = m_strFileName;
    }
    return FALSE;
  };
  if (fileName == nullptr) return fail(ERROR_INVALID_PARAMETER);
  // The framework keeps file names in MAX_PATH buffers and refuses longer ones.
  if (platform::BoundedLength(fileName) >= MAX_PATH) return fail(ERROR_FILENAME_EXCED_RANGE);
  std::string native;
  if (!platform::NativeName(fileName, native)) return fail(GetLastError());

  int access;
  switch (openFlags & 0x3u) {
    case modeRead: access = O_RDONLY; break;
    case modeWrite: access = O_WRONLY; break;
    case modeReadWrite: access = O_RDWR; break;
    default: return fail(ERROR_INVALID_PARAMETER);
  }
  const bool create = (openFlags & modeCreate) != 0;
  const bool truncate = create && (openFlags & modeNoTruncate) == 0;
  // Non-blocking for the open only, so that a FIFO without a reader cannot hang the caller.
  const int flags = access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | ((openFlags & modeAppend) != 0 ? O_APPEND : 0);

  int fd = -1;
  bool created = false;
  for (int attempt = 0; fd < 0; ++attempt) {
    fd = open(native.c_str(), flags);
    if (fd >= 0) break;
    if (errno != ENOENT || !create) return fail(platform::PathErrorFromErrno(errno, native));
    // Created here, with O_EXCL, so that a file made by this open is known to be new.
    fd = open(native.c_str(), flags | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
      created = true;
      break;
    }
    if (errno != EEXIST || attempt >= 16) return fail(platform::PathErrorFromErrno(errno, native));
  }
  const auto failClosed = [&](DWORD code) {
    close(fd);
    return fail(code);
  };
  // A file this open created is a new, empty regular file: nothing to look at. Any other may be
  // a directory (opened for reading) or read-only (which the superuser's open does not refuse).
  mode_t mode = S_IFREG;
  if (!created) {
    if (!ModeOf(fd, mode)) return failClosed(platform::ErrorFromErrno(errno));
    if (S_ISDIR(mode)) return failClosed(ERROR_ACCESS_DENIED);
    if ((access != O_RDONLY || truncate) && NoWriteBits(mode)) return failClosed(ERROR_ACCESS_DENIED);
  }
  const UINT share = openFlags & 0x70u;
  const bool exclusive = share == shareCompat || share == shareExclusive;
  if (flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    return failClosed(ERROR_SHARING_VIOLATION);
  }
  // Regular files ignore O_NONBLOCK; only other kinds need it taken off again.
  if (!S_ISREG(mode)) {
    const int status = fcntl(fd, F_GETFL);
    if (status != -1) fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  }
  // Emptied only once the lock is held, so that a file another open holds is never cut.
  if (truncate && !created && S_ISREG(mode) && ftruncate(fd, 0) != 0) {
    return failClosed(platform::ErrorFromErrno(errno));
  }
  m_hFile = HandleOf(fd);
  return TRUE;
}

void CFile::Close() {
  if (!IsOpen()) return;
  const int fd = Descriptor();
  m_hFile = hFileNull;
  // The descriptor is released whatever close reports; only a real I/O error is raised.
  if (close(fd) != 0 && errno != EINTR) {
    SetLastError(platform::ErrorFromErrno(errno));
    ThrowLastError();
  }
}

void CFile::Abort() noexcept {
  if (!IsOpen()) return;
  close(Descriptor());
  m_hFile = hFileNull;
}

UINT CFile::Read(void* buffer, UINT count) {
  if (!IsOpen()) {
    SetLastError(ERROR_INVALID_HANDLE);
    ThrowLastError();
  }
  UINT done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < count) {
    const ssize_t n = read(Descriptor(), out + done, count - done);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastError(platform::ErrorFromErrno(errno));
      ThrowLastError();
    }
    done += static_cast<UINT>(n);
  }
  return done;
}

void CFile::Write(const void* buffer, UINT count) {
  if (!IsOpen()) {
    SetLastError(ERROR_INVALID_HANDLE);
    ThrowLastError();
  }
  UINT done = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (done < count) {
    const ssize_t n = write(Descriptor(), in + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastError(platform::ErrorFromErrno(errno));
      ThrowLastError();
    }
    done += static_cast<UINT>(n);
  }
}

void CFile::Append(const void* buffer, UINT count) {
  if (!IsOpen()) {
    SetLastError(ERROR_INVALID_HANDLE);
    ThrowLastError();
  }
  const int fd = Descriptor();
  UINT done = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (done < count) {
    const ssize_t n = write(fd, in + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      // Every write went to the end, so the part stored is the file's last done bytes.
      struct stat st {};
      if (done > 0 && fstat(fd, &st) == 0 && st.st_size >= static_cast<off_t>(done)) {
        static_cast<void>(ftruncate(fd, st.st_size - static_cast<off_t>(done)));
      }
      SetLastError(platform::ErrorFromErrno(error));
      ThrowLastError();
    }
    done += static_cast<UINT>(n);
  }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
  int whence;
  switch (from) {
    case begin: whence = SEEK_SET; break;
    case current: whence = SEEK_CUR; break;
    case end: whence = SEEK_END; break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      ThrowLastError();
  }
  const off_t at = lseek(Descriptor(), static_cast<off_t>(offset), whence);
  if (at < 0) {
    SetLastError(platform::ErrorFromErrno(errno));
    ThrowLastError();
  }
  return static_cast<ULONGLONG>(at);
}

ULONGLONG CFile::SeekToEnd() { return Seek(0, end); }

void CFile::SeekToBegin() { Seek(0, begin); }

ULONGLONG CFile::GetPosition() const {
  const off_t at = lseek(Descriptor(), 0, SEEK_CUR);
  if (at < 0) {
    SetLastError(platform::ErrorFromErrno(errno));
    ThrowLastError();
  }
  return static_cast<ULONGLONG>(at);
}

ULONGLONG CFile::GetLength() const {
  struct stat st {};
  if (fstat(Descriptor(), &st) != 0) {
    SetLastError(platform::ErrorFromErrno(errno));
    ThrowLastError();
  }
  return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG length) {
  if (length > static_cast<ULONGLONG>(std::numeric_limits<off_t>::max()) ||
      ftruncate(Descriptor(), static_cast<off_t>(length)) != 0) {
    SetLastError(length > static_cast<ULONGLONG>(std::numeric_limits<off_t>::max()) ? ERROR_INVALID_PARAMETER
                                                                                    : platform::ErrorFromErrno(errno));
    ThrowLastError();
  }
}

void CFile::Flush() {
  if (!IsOpen()) return;
  const int fd = Descriptor();
  if (platform::RetryInterrupted([fd] { return fsync(fd); }) != 0 && errno != EINVAL) {
    SetLastError(platform::ErrorFromErrno(errno));
    ThrowLastError();
  }
}

void CFile::Remove(const WCHAR* fileName) {
  if (!DeleteFileW(fileName)) ThrowFileError(GetLastError(), fileName);
}

void CFile::Remove(const char16_t* fileName) { Remove(Wide(fileName)); }

void CFile::Rename(const WCHAR* oldName, const WCHAR* newName) {
  std::string from, to;
  if (!platform::NativeName(oldName, from) || !platform::NativeName(newName, to)) ThrowFileError(GetLastError(), oldName);
  const auto renameNoReplace = [&] { return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE); };
  if (platform::RetryInterrupted(renameNoReplace) == 0) return;
  if (errno == EINVAL || errno == ENOSYS) {
    struct stat st {};
    if (lstat(to.c_str(), &st) == 0) ThrowFileError(ERROR_ALREADY_EXISTS, oldName);
    if (platform::RetryInterrupted([&] { return rename(from.c_str(), to.c_str()); }) == 0) return;
  }
  ThrowFileError(platform::PathErrorFromErrno(errno, from), oldName);
}
