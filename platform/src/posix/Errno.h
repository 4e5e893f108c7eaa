// The one translation between errno and Win32 error codes; every POSIX part of the platform
// reports through it, so that one errno always means one Win32 code, and the messages of Win32
// codes come from the same pairs read the other way.
#pragma once

#include <cerrno>
#include <string>

#include <Utility/Platform/Types.h>

namespace utility::platform {

// ErrorFromErrno()
//
// The Win32 code for an errno value (ENOENT is ERROR_FILE_NOT_FOUND, EACCES and EPERM are
// ERROR_ACCESS_DENIED, ...). Unknown values give ERROR_GEN_FAILURE.
DWORD ErrorFromErrno(int error) noexcept;

// RegistryErrorFromErrno()
//
// The Win32 code a registry call reports for an errno of a hive's file call, from the same
// table: EACCES, EPERM and EROFS are ERROR_ACCESS_DENIED, ENOENT and ENOTDIR
// ERROR_PATH_NOT_FOUND, ENOSPC and EDQUOT ERROR_DISK_FULL, and an errno without a registry
// meaning ERROR_REGISTRY_IO_FAILED.
DWORD RegistryErrorFromErrno(int error) noexcept;

// ErrnoFromError()
//
// The errno whose C library message describes a Win32 code (ERROR_FILE_NOT_FOUND and
// ERROR_PATH_NOT_FOUND give ENOENT, ERROR_SHARING_VIOLATION gives EBUSY, ...); false for a code
// that has none.
bool ErrnoFromError(DWORD code, int& error) noexcept;

// PathErrorFromErrno()
//
// The same for a call on a native path: a missing entry whose parent directory does not exist
// either is ERROR_PATH_NOT_FOUND, as Win32 tells the two apart.
DWORD PathErrorFromErrno(int error, const std::string& nativePath) noexcept;

// SetLastErrorFromErrno()
//
// Sets the thread's last error from errno (or from the given value) and returns FALSE, for the
// common `return SetLastErrorFromErrno(...)` of a failing BOOL call.
BOOL SetLastErrorFromErrno(int error) noexcept;
BOOL SetLastPathError(int error, const std::string& nativePath) noexcept;

// RetryInterrupted()
//
// Makes a system call again for as long as it fails with EINTR: a call that a signal
// interrupted has done nothing, so the caller never sees the interruption.
//
// Example:
//   if (RetryInterrupted([&] { return ::fsync(fd); }) != 0) ...;  // errno is the real failure
template <class Call>
auto RetryInterrupted(Call call) noexcept -> decltype(call()) {
  for (;;) {
    const auto result = call();
    if (result != -1 || errno != EINTR) return result;
  }
}

}  // namespace utility::platform
