// errno and Win32 error codes, in one table read both ways.
#include "posix/Errno.h"

#include <sys/stat.h>
#include <cerrno>

#include <Utility/Platform/Error.h>

namespace utility::platform {
namespace {

// Which way a pair is read: an errno may stand for several codes and a code for several errno
// values, so each side names the one pair it is read through.
enum class Way : unsigned char {
  Both,     // errno -> code and code -> errno
  ToCode,   // errno -> code only
  ToErrno,  // code -> errno only (the errno whose message describes the code)
};

// registry is the code a registry call reports for the errno (a hive's file call): the
// registry speaks of a hive it cannot write as access denied, of a missing entry as the
// hive's directory (the hive file itself is made by the call), and of every other failure of
// the file system as an I/O failure of the hive.
struct Pair {
  int error;
  DWORD code;
  Way way;
  DWORD registry = ERROR_REGISTRY_IO_FAILED;
};

constexpr Pair kPairs[] = {
    {0, ERROR_SUCCESS, Way::Both, ERROR_SUCCESS},
    {ENOENT, ERROR_FILE_NOT_FOUND, Way::Both, ERROR_PATH_NOT_FOUND},
    {ENOENT, ERROR_PATH_NOT_FOUND, Way::ToErrno},
    {ENOTDIR, ERROR_PATH_NOT_FOUND, Way::ToCode, ERROR_PATH_NOT_FOUND},
    {ENOTDIR, ERROR_DIRECTORY, Way::ToErrno},
    {EACCES, ERROR_ACCESS_DENIED, Way::Both, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED, Way::ToCode, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED, Way::ToCode},
    {EEXIST, ERROR_ALREADY_EXISTS, Way::Both},
    {EEXIST, ERROR_FILE_EXISTS, Way::ToErrno},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY, Way::Both},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE, Way::Both, ERROR_FILENAME_EXCED_RANGE},
    {ENAMETOOLONG, 111, Way::ToErrno},  // ERROR_BUFFER_OVERFLOW
    {ELOOP, ERROR_CANT_RESOLVE_FILENAME, Way::ToCode},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES, Way::Both},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES, Way::ToCode},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY, Way::Both, ERROR_NOT_ENOUGH_MEMORY},
    {ENOMEM, ERROR_OUTOFMEMORY, Way::ToErrno},
    {EBADF, ERROR_INVALID_HANDLE, Way::Both},
    {ESRCH, ERROR_INVALID_HANDLE, Way::ToCode},  // a thread that is gone
    {EINVAL, ERROR_INVALID_PARAMETER, Way::Both},
    {EINVAL, ERROR_INVALID_DATA, Way::ToErrno},
    {EINVAL, ERROR_INVALID_NAME, Way::ToErrno},
    {EBUSY, ERROR_BUSY, Way::Both},
    {EBUSY, ERROR_SHARING_VIOLATION, Way::ToErrno},
    {EWOULDBLOCK, ERROR_SHARING_VIOLATION, Way::ToCode},  // a lock another open holds
    {ETXTBSY, ERROR_SHARING_VIOLATION, Way::ToCode},
    {EXDEV, ERROR_NOT_SAME_DEVICE, Way::Both},
    {ENOSPC, ERROR_DISK_FULL, Way::Both, ERROR_DISK_FULL},
    {ENOSPC, 39, Way::ToErrno},  // ERROR_HANDLE_DISK_FULL
    {EDQUOT, ERROR_DISK_FULL, Way::ToCode, ERROR_DISK_FULL},
    {EROFS, ERROR_WRITE_PROTECT, Way::Both, ERROR_ACCESS_DENIED},
    {EFBIG, ERROR_FILE_TOO_LARGE, Way::ToCode},
    {EPIPE, ERROR_BROKEN_PIPE, Way::Both},
    {ENXIO, ERROR_NOT_READY, Way::ToCode},
    {EAGAIN, ERROR_NOT_READY, Way::ToErrno},
    {ENOSYS, ERROR_CALL_NOT_IMPLEMENTED, Way::Both},
    {ENOSYS, ERROR_INVALID_FUNCTION, Way::ToErrno},
    {EOPNOTSUPP, ERROR_NOT_SUPPORTED, Way::Both},
    {EIO, ERROR_GEN_FAILURE, Way::ToErrno},  // and every errno not named here reads as it
    {EIO, 23, Way::ToErrno},                 // ERROR_CRC
    {EIO, 29, Way::ToErrno},                 // ERROR_WRITE_FAULT
    {EIO, 30, Way::ToErrno},                 // ERROR_READ_FAULT
    {ENODEV, 15, Way::ToErrno},              // ERROR_INVALID_DRIVE
    {ENOLCK, ERROR_LOCK_VIOLATION, Way::ToErrno},
    {ENOBUFS, ERROR_INSUFFICIENT_BUFFER, Way::ToErrno},
    {ENOENT, ERROR_MOD_NOT_FOUND, Way::ToErrno},
    {ENOEXEC, ERROR_BAD_EXE_FORMAT, Way::ToErrno},
    {ENODATA, ERROR_NO_MORE_ITEMS, Way::ToErrno},
    {ECANCELED, 995, Way::ToErrno},  // ERROR_OPERATION_ABORTED
    {EILSEQ, ERROR_NO_UNICODE_TRANSLATION, Way::ToErrno},
    {ENOENT, 1168, Way::ToErrno},  // ERROR_NOT_FOUND
    {ETIMEDOUT, ERROR_TIMEOUT, Way::ToErrno},
    {EFAULT, 1784, Way::ToErrno},  // ERROR_INVALID_USER_BUFFER
    // The socket library's codes.
    {EINTR, 10004, Way::ToErrno},
    {EACCES, 10013, Way::ToErrno},
    {EFAULT, 10014, Way::ToErrno},
    {EINVAL, 10022, Way::ToErrno},
    {EMFILE, 10024, Way::ToErrno},
    {EWOULDBLOCK, 10035, Way::ToErrno},
    {EINPROGRESS, 10036, Way::ToErrno},
    {EALREADY, 10037, Way::ToErrno},
    {ENOTSOCK, 10038, Way::ToErrno},
    {EMSGSIZE, 10040, Way::ToErrno},
    {EAFNOSUPPORT, 10047, Way::ToErrno},
    {EADDRINUSE, 10048, Way::ToErrno},
    {EADDRNOTAVAIL, 10049, Way::ToErrno},
    {ENETDOWN, 10050, Way::ToErrno},
    {ENETUNREACH, 10051, Way::ToErrno},
    {ENETRESET, 10052, Way::ToErrno},
    {ECONNABORTED, 10053, Way::ToErrno},
    {ECONNRESET, 10054, Way::ToErrno},
    {ENOBUFS, 10055, Way::ToErrno},
    {EISCONN, 10056, Way::ToErrno},
    {ENOTCONN, 10057, Way::ToErrno},
    {ETIMEDOUT, 10060, Way::ToErrno},
    {ECONNREFUSED, 10061, Way::ToErrno},
    {EHOSTDOWN, 10064, Way::ToErrno},
    {EHOSTUNREACH, 10065, Way::ToErrno},
};

constexpr bool ReadsAsCode(const Pair& p) noexcept { return p.way != Way::ToErrno; }
constexpr bool ReadsAsErrno(const Pair& p) noexcept { return p.way != Way::ToCode; }

// Each errno is read into one code and each code into one errno, whatever the order of rows.
constexpr bool EachSideReadsOnce() noexcept {
  for (const Pair& a : kPairs) {
    for (const Pair& b : kPairs) {
      if (&a == &b) continue;
      if (ReadsAsCode(a) && ReadsAsCode(b) && a.error == b.error) return false;
      if (ReadsAsErrno(a) && ReadsAsErrno(b) && a.code == b.code) return false;
    }
  }
  return true;
}
static_assert(EachSideReadsOnce(), "an errno or a code is read through two pairs");

}  // namespace

DWORD ErrorFromErrno(int error) noexcept {
  for (const Pair& p : kPairs) {
    if (p.error == error && ReadsAsCode(p)) return p.code;
  }
  return ERROR_GEN_FAILURE;
}

DWORD RegistryErrorFromErrno(int error) noexcept {
  for (const Pair& p : kPairs) {
    if (p.error == error && ReadsAsCode(p)) return p.registry;
  }
  return ERROR_REGISTRY_IO_FAILED;
}

bool ErrnoFromError(DWORD code, int& error) noexcept {
  for (const Pair& p : kPairs) {
    if (p.code == code && ReadsAsErrno(p)) {
      error = p.error;
      return true;
    }
  }
  return false;
}

DWORD PathErrorFromErrno(int error, const std::string& nativePath) noexcept {
  if (error != ENOENT) return ErrorFromErrno(error);
  // Win32 says "file not found" for a missing last component and "path not found" when a
  // directory on the way is missing.
  std::string::size_type slash = nativePath.find_last_of('/');
  while (slash != std::string::npos && slash > 0 && nativePath[slash - 1] == '/') --slash;
  if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
  const std::string parent = slash == 0 ? std::string("/") : nativePath.substr(0, slash);
  struct stat st {};
  if (stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return ERROR_FILE_NOT_FOUND;
  return ERROR_PATH_NOT_FOUND;
}

BOOL SetLastErrorFromErrno(int error) noexcept {
  SetLastError(ErrorFromErrno(error));
  return FALSE;
}

BOOL SetLastPathError(int error, const std::string& nativePath) noexcept {
  SetLastError(PathErrorFromErrno(error, nativePath));
  return FALSE;
}

}  // namespace utility::platform
