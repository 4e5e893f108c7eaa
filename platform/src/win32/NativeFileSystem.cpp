// The file-system services over the system's wide file calls. Symbolic links are reparse
// points of the symbolic-link kind; a file's identity is its volume's serial and its index.
#include "NativeFileSystem.h"

#include <windows.h>

#include <new>
#include <string>

#include "win32/Wide.h"

namespace utility::platform {

namespace {

// FILETIME counts 100 ns ticks since 1601-01-01; NativeTime counts from 1970-01-01.
NativeTime TimeOf(const FILETIME& t) noexcept {
  constexpr long long kTicksTo1970 = 116444736000000000LL;
  const long long ticks =
      static_cast<long long>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) - kTicksTo1970;
  long long seconds = ticks / 10'000'000;
  long long rest = ticks % 10'000'000;
  if (rest < 0) {
    rest += 10'000'000;
    --seconds;
  }
  return NativeTime{seconds, rest * 100};
}

NativeKind KindOf(DWORD attributes, DWORD reparseTag) noexcept {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && reparseTag == IO_REPARSE_TAG_SYMLINK)
    return NativeKind::kLink;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? NativeKind::kDirectory : NativeKind::kFile;
}

// The reparse tag of a reparse point, read from its directory entry.
DWORD ReparseTag(const std::wstring& path, DWORD attributes) noexcept {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return 0;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW(path.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  FindClose(find);
  return found.dwReserved0;
}

NativeError Stat(const std::wstring& path, NativeFileInfo& info, bool followLinks) noexcept {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, flags, nullptr);
  BY_HANDLE_FILE_INFORMATION about{};
  if (h != INVALID_HANDLE_VALUE) {
    const BOOL known = GetFileInformationByHandle(h, &about);
    const DWORD error = known ? ERROR_SUCCESS : GetLastError();
    CloseHandle(h);
    if (!known) return error;
  } else {
    // Something that cannot be opened (a file in use by the system) may still be described.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return GetLastError();
    about.dwFileAttributes = data.dwFileAttributes;
    about.ftLastWriteTime = data.ftLastWriteTime;
    about.ftLastAccessTime = data.ftLastAccessTime;
    about.nFileSizeHigh = data.nFileSizeHigh;
    about.nFileSizeLow = data.nFileSizeLow;
  }
  info.kind = KindOf(about.dwFileAttributes, followLinks ? 0 : ReparseTag(path, about.dwFileAttributes));
  info.linkToDirectory = false;
  info.noWritePermission = (about.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  info.size = (static_cast<unsigned long long>(about.nFileSizeHigh) << 32) | about.nFileSizeLow;
  info.lastWrite = TimeOf(about.ftLastWriteTime);
  info.lastAccess = TimeOf(about.ftLastAccessTime);
  info.device = about.dwVolumeSerialNumber;
  info.node = (static_cast<unsigned long long>(about.nFileIndexHigh) << 32) | about.nFileIndexLow;
  return ERROR_SUCCESS;
}

template <class Call>
NativeError OnPath(const char* native, Call call) noexcept {
  try {
    return call(win32::WidePath(native));
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

}  // namespace

NativeError StatNative(const char* native, NativeFileInfo& info, bool linkTarget) noexcept {
  return OnPath(native, [&](const std::wstring& path) {
    const NativeError error = Stat(path, info, false);
    if (error == ERROR_SUCCESS && linkTarget && info.kind == NativeKind::kLink) {
      NativeFileInfo target;
      info.linkToDirectory = Stat(path, target, true) == ERROR_SUCCESS && target.kind == NativeKind::kDirectory;
    }
    return error;
  });
}

NativeError StatNativeTarget(const char* native, NativeFileInfo& info) noexcept {
  return OnPath(native, [&](const std::wstring& path) { return Stat(path, info, true); });
}

NativeError MakeNativeDirectory(const char* native) noexcept {
  return OnPath(native, [](const std::wstring& path) -> NativeError {
    return CreateDirectoryW(path.c_str(), nullptr) ? ERROR_SUCCESS : GetLastError();
  });
}

NativeError RemoveNativeDirectory(const char* native) noexcept {
  return OnPath(native, [](const std::wstring& path) -> NativeError {
    return RemoveDirectoryW(path.c_str()) ? ERROR_SUCCESS : GetLastError();
  });
}

NativeError RemoveNativeEntry(const char* native) noexcept {
  return OnPath(native, [](const std::wstring& path) -> NativeError {
    if (DeleteFileW(path.c_str())) return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    // A link to a directory is removed as a directory is.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const DWORD link = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & link) == link && RemoveDirectoryW(path.c_str())) {
      return ERROR_SUCCESS;
    }
    return error;
  });
}

NativeError RenameNativeNoReplace(const char* from, const char* to, bool) noexcept {
  try {
    if (MoveFileExW(win32::WidePath(from).c_str(), win32::WidePath(to).c_str(), 0)) return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : error;
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

struct NativeDirectory {
  std::string native;  // the directory's own name, for the entries' paths
  HANDLE find = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW found{};
  bool pending = false;  // found holds an entry not yet read
  std::string name;      // the entry last read, as UTF-8
};

NativeError OpenNativeDirectory(const char* native, NativeDirectory*& directory) noexcept {
  try {
    auto* opened = new NativeDirectory;
    opened->native = native;
    const std::wstring pattern = win32::WidePath(opened->native + "/*");
    opened->find =
        FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &opened->found, FindExSearchNameMatch, nullptr, 0);
    DWORD error = opened->find == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    // A file where the directory should be is a missing path, as on every system; the system
    // itself names it ERROR_DIRECTORY or, under Wine, ERROR_INVALID_NAME.
    if (error == ERROR_DIRECTORY || error == ERROR_INVALID_NAME) {
      const DWORD attributes = GetFileAttributesW(win32::WidePath(opened->native).c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        error = ERROR_PATH_NOT_FOUND;
      }
    }
    // A directory without a single entry (a drive's root) is no error.
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) {
      delete opened;
      return error;
    }
    opened->pending = error == ERROR_SUCCESS;
    directory = opened;
    return ERROR_SUCCESS;
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

void CloseNativeDirectory(NativeDirectory* directory) noexcept {
  if (directory->find != INVALID_HANDLE_VALUE) FindClose(directory->find);
  delete directory;
}

bool ReadNativeDirectory(NativeDirectory* directory, NativeEntry& entry) noexcept {
  if (!directory->pending) {
    if (directory->find == INVALID_HANDLE_VALUE || !FindNextFileW(directory->find, &directory->found)) return false;
  }
  directory->pending = false;
  try {
    directory->name = win32::Narrow(directory->found.cFileName);
  } catch (const std::bad_alloc&) {
    return false;
  }
  entry.name = directory->name.c_str();
  entry.kind = KindOf(directory->found.dwFileAttributes, directory->found.dwReserved0);
  return true;
}

bool StatNativeEntry(NativeDirectory* directory, const char* name, NativeFileInfo& info) noexcept {
  try {
    return StatNative((directory->native + "/" + name).c_str(), info, true) == ERROR_SUCCESS;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool NativeEntryLeadsToDirectory(NativeDirectory* directory, const char* name) noexcept {
  NativeFileInfo target;
  try {
    return StatNativeTarget((directory->native + "/" + name).c_str(), target) == ERROR_SUCCESS &&
           target.kind == NativeKind::kDirectory;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace utility::platform
