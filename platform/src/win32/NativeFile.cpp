// The services for one open file over the system's file handles. Files are opened sharing
// everything; the share locks are byte-range locks on the last byte a file can have, which no
// read or write ever touches, so that they exclude each other like advisory locks and leave
// the data free.
#include "NativeFile.h"

#include <windows.h>

#include "win32/Wide.h"

namespace utility::platform {

namespace {

HANDLE Native(NativeHandle file) noexcept { return static_cast<HANDLE>(file); }

DWORD AccessRights(const NativeOpen& how) noexcept {
  const DWORD write = how.append ? FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE : GENERIC_WRITE;
  switch (how.access) {
    case NativeAccess::kWrite:
      return write;
    case NativeAccess::kReadWrite:
      return GENERIC_READ | write;
    default:
      return GENERIC_READ;
  }
}

HANDLE Open(const std::wstring& path, DWORD rights, DWORD disposition) noexcept {
  return CreateFileW(path.c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The lock byte: the highest offset a lock may name.
constexpr DWORD kLockLow = 0xFFFFFFFEu;
constexpr DWORD kLockHigh = 0x7FFFFFFFu;

}  // namespace

NativeError OpenNativeFile(const std::string& native, const NativeOpen& how, NativeHandle& file,
                           bool& created) noexcept {
  created = false;
  try {
    const std::wstring path = win32::WidePath(native);
    const DWORD rights = AccessRights(how);
    for (int attempt = 0;; ++attempt) {
      HANDLE h = Open(path, rights, OPEN_EXISTING);
      if (h == INVALID_HANDLE_VALUE && (GetLastError() != ERROR_FILE_NOT_FOUND || !how.create)) return GetLastError();
      if (h == INVALID_HANDLE_VALUE) {
        // Created here, only when missing, so that a file made by this open is known to be new.
        h = Open(path, rights, CREATE_NEW);
        created = h != INVALID_HANDLE_VALUE;
        if (h == INVALID_HANDLE_VALUE && (GetLastError() != ERROR_FILE_EXISTS || attempt >= 16)) return GetLastError();
      }
      if (h != INVALID_HANDLE_VALUE) {
        file = h;
        return ERROR_SUCCESS;
      }
    }
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

NativeError DescribeNativeFile(NativeHandle file, NativeFileInfo& info) noexcept {
  const DWORD type = GetFileType(Native(file));
  if (type != FILE_TYPE_DISK) {
    info.kind = NativeKind::kOther;
    info.noWritePermission = false;
    return ERROR_SUCCESS;
  }
  BY_HANDLE_FILE_INFORMATION about{};
  if (!GetFileInformationByHandle(Native(file), &about)) return GetLastError();
  info.kind = (about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? NativeKind::kDirectory : NativeKind::kFile;
  info.noWritePermission = (about.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  return ERROR_SUCCESS;
}

bool LockNativeFile(NativeHandle file, bool exclusive) noexcept {
  OVERLAPPED at{};
  at.Offset = kLockLow;
  at.OffsetHigh = kLockHigh;
  const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  return LockFileEx(Native(file), flags, 0, 1, 0, &at) != 0 || GetLastError() != ERROR_LOCK_VIOLATION;
}

// Handles block in their reads and writes already; nothing is left to change.
void FinishNativeOpen(NativeHandle, const NativeFileInfo&) noexcept {}

NativeError CloseNativeFile(NativeHandle file) noexcept {
  // Closing the handle releases its locks.
  return CloseHandle(Native(file)) ? ERROR_SUCCESS : GetLastError();
}

NativeError ReadNativeFile(NativeHandle file, void* buffer, std::uint32_t count, std::uint32_t& done) noexcept {
  DWORD n = 0;
  if (!ReadFile(Native(file), buffer, count, &n, nullptr)) {
    // A pipe whose writer is gone reads as the end of the data.
    if (GetLastError() != ERROR_BROKEN_PIPE) return GetLastError();
    n = 0;
  }
  done = n;
  return ERROR_SUCCESS;
}

NativeError WriteNativeFile(NativeHandle file, const void* buffer, std::uint32_t count, std::uint32_t& done) noexcept {
  DWORD n = 0;
  if (!WriteFile(Native(file), buffer, count, &n, nullptr)) return GetLastError();
  done = n;
  return ERROR_SUCCESS;
}

NativeError SeekNativeFile(NativeHandle file, std::int64_t offset, NativeSeek from, std::uint64_t& at) noexcept {
  const DWORD method = from == NativeSeek::kBegin ? FILE_BEGIN : from == NativeSeek::kCurrent ? FILE_CURRENT : FILE_END;
  LARGE_INTEGER distance{};
  distance.QuadPart = offset;
  LARGE_INTEGER position{};
  if (!SetFilePointerEx(Native(file), distance, &position, method)) return GetLastError();
  at = static_cast<std::uint64_t>(position.QuadPart);
  return ERROR_SUCCESS;
}

NativeError GetNativeFileLength(NativeHandle file, std::uint64_t& length) noexcept {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(Native(file), &size)) return GetLastError();
  length = static_cast<std::uint64_t>(size.QuadPart);
  return ERROR_SUCCESS;
}

NativeError SetNativeFileLength(NativeHandle file, std::uint64_t length) noexcept {
  if (length > static_cast<std::uint64_t>(INT64_MAX)) return ERROR_INVALID_PARAMETER;
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
  if (!SetFileInformationByHandle(Native(file), FileEndOfFileInfo, &end, sizeof end)) return GetLastError();
  return ERROR_SUCCESS;
}

NativeError SyncNativeFile(NativeHandle file) noexcept {
  // Pipes and consoles have nothing to flush to a disk.
  if (GetFileType(Native(file)) != FILE_TYPE_DISK) return ERROR_SUCCESS;
  return FlushFileBuffers(Native(file)) ? ERROR_SUCCESS : GetLastError();
}

}  // namespace utility::platform
