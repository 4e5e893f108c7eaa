// errno to Win32 error codes, in one table.
#include "posix/Errno.h"

#include <cerrno>
#include <sys/stat.h>

#include <Utility/Platform/Error.h>

namespace platform {

DWORD ErrorFromErrno(int error) noexcept {
  switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EBUSY: return ERROR_BUSY;
    case EWOULDBLOCK:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EFBIG: return ERROR_FILE_TOO_LARGE;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ENXIO: return ERROR_NOT_READY;
    case ENOSYS: return ERROR_CALL_NOT_IMPLEMENTED;
    case EOPNOTSUPP: return ERROR_NOT_SUPPORTED;
    default: return ERROR_GEN_FAILURE;
  }
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

}  // namespace platform
