// Attributes, directory creation and removal, deletion, search and rename over POSIX calls.
// Links are never followed by these calls: a link is reported, deleted and renamed as itself.
#include <Utility/Platform/FileSystem.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <Utility/Platform/Error.h>

#include "FindPattern.h"
#include "NativeNames.h"
#include "posix/Errno.h"
#include "posix/NativeName.h"

using platform::NativeName;
using platform::SetLastPathError;
using platform::RetryInterrupted;

namespace {

const WCHAR* Wide(const char16_t* s) noexcept { return reinterpret_cast<const WCHAR*>(s); }

// The last component of a native path, trailing slashes ignored.
std::string_view LastComponent(std::string_view native) noexcept {
  while (native.size() > 1 && native.back() == '/') native.remove_suffix(1);
  const std::size_t slash = native.find_last_of('/');
  return slash == std::string_view::npos ? native : native.substr(slash + 1);
}

bool IsReadOnly(const struct stat& st) noexcept {
  return !S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

DWORD Attributes(const struct stat& st, bool linkToDirectory, std::string_view name) noexcept {
  DWORD attributes;
  if (S_ISLNK(st.st_mode)) {
    attributes = FILE_ATTRIBUTE_REPARSE_POINT | (linkToDirectory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE);
  } else if (S_ISDIR(st.st_mode)) {
    attributes = FILE_ATTRIBUTE_DIRECTORY;
  } else if (S_ISREG(st.st_mode)) {
    attributes = FILE_ATTRIBUTE_ARCHIVE;
  } else {
    attributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM;
  }
  if (IsReadOnly(st)) attributes |= FILE_ATTRIBUTE_READONLY;
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
  return attributes;
}

FILETIME FileTime(const struct timespec& t) noexcept {
  // 100-nanosecond ticks from 1601-01-01 to 1970-01-01.
  constexpr long long kEpochDelta = 116444736000000000LL;
  const long long ticks = kEpochDelta + static_cast<long long>(t.tv_sec) * 10000000LL + t.tv_nsec / 100;
  const auto u = static_cast<unsigned long long>(ticks < 0 ? 0 : ticks);
  return FILETIME{static_cast<DWORD>(u & 0xFFFFFFFFu), static_cast<DWORD>(u >> 32)};
}

// The entry's name in UTF-16; plain ASCII names, the common case, are widened unit by unit.
// Bytes that are not valid UTF-8 take their escape units, so that the name given back reaches
// this same entry.
void SetName(WIN32_FIND_DATAW* data, std::string_view name) noexcept {
  std::size_t i = 0;
  for (; i < name.size() && i < MAX_PATH - 1; ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c >= 0x80) break;
    data->cFileName[i] = c;
  }
  if (i == name.size()) {
    data->cFileName[i] = 0;
    return;
  }
  data->cFileName[platform::DecodeNativeName(name, data->cFileName, MAX_PATH - 1)] = 0;
}

// Attributes from the directory entry's type alone (see FIND_FIRST_EX_ENTRY_TYPE_ONLY): no call
// per entry except for links, whose target decides the directory attribute.
bool FillFromType(WIN32_FIND_DATAW* data, int dirFd, const dirent& entry) noexcept {
  DWORD attributes;
  switch (entry.d_type) {
    case DT_DIR: attributes = FILE_ATTRIBUTE_DIRECTORY; break;
    case DT_REG: attributes = FILE_ATTRIBUTE_ARCHIVE; break;
    case DT_LNK: {
      struct stat target {};
      const bool toDirectory = fstatat(dirFd, entry.d_name, &target, 0) == 0 && S_ISDIR(target.st_mode);
      attributes = FILE_ATTRIBUTE_REPARSE_POINT | (toDirectory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE);
      break;
    }
    case DT_UNKNOWN: return false;
    default: attributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM; break;
  }
  const std::string_view name(entry.d_name);
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
  data->dwFileAttributes = attributes;
  data->ftCreationTime = data->ftLastAccessTime = data->ftLastWriteTime = FILETIME{0, 0};
  data->nFileSizeHigh = data->nFileSizeLow = 0;
  data->dwReserved0 = data->dwReserved1 = 0;
  data->cAlternateFileName[0] = 0;
  SetName(data, name);
  return true;
}

void FillFindData(WIN32_FIND_DATAW* data, const struct stat& st, bool linkToDirectory, std::string_view name) noexcept {
  std::memset(data, 0, sizeof(*data));
  data->dwFileAttributes = Attributes(st, linkToDirectory, name);
  // The file system keeps no creation time that stat reports; the last write stands in.
  data->ftCreationTime = FileTime(st.st_mtim);
  data->ftLastAccessTime = FileTime(st.st_atim);
  data->ftLastWriteTime = FileTime(st.st_mtim);
  if (S_ISREG(st.st_mode)) {
    const auto size = static_cast<unsigned long long>(st.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  }
  SetName(data, name);
}

// lstat, and for a link whether it leads to a directory.
int StatEntry(int dirFd, const char* name, struct stat& st, bool& linkToDirectory) noexcept {
  linkToDirectory = false;
  if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return -1;
  if (S_ISLNK(st.st_mode)) {
    struct stat target {};
    linkToDirectory = fstatat(dirFd, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
  }
  return 0;
}

// One directory search: "." and ".." first, then the directory's own entries.
struct Search {
  DIR* dir = nullptr;                 // null for a search that names one entry
  std::basic_string<WCHAR> pattern;   // the last component of the search pattern
  bool all = false;
  bool typeOnly = false;              // attributes from the entry type, no stat per entry
  int stage = 0;                      // 0: ".", 1: "..", 2: readdir
  bool single = false;                // the one entry is in `pending`
  WIN32_FIND_DATAW pending{};

  bool Selects(const WCHAR* name) const noexcept {
    if (all) return true;
    std::size_t n = 0;
    while (name[n] != 0) ++n;
    return platform::MatchPattern(platform::Units(pattern.data(), pattern.size()), platform::Units(name, n));
  }

  // The next selected entry into data; false at the end.
  bool Next(WIN32_FIND_DATAW* data) noexcept {
    if (single) {
      if (stage++ != 0) return false;
      *data = pending;
      return true;
    }
    const int fd = dirfd(dir);
    while (stage < 2) {
      const char* name = stage == 0 ? "." : "..";
      ++stage;
      if (typeOnly) {
        dirent dot{};
        dot.d_type = DT_DIR;
        std::strcpy(dot.d_name, name);
        FillFromType(data, fd, dot);
        if (Selects(data->cFileName)) return true;
        continue;
      }
      struct stat st {};
      bool linkToDirectory = false;
      if (StatEntry(fd, name, st, linkToDirectory) != 0) continue;
      FillFindData(data, st, linkToDirectory, name);
      if (Selects(data->cFileName)) return true;
    }
    for (;;) {
      errno = 0;
      const dirent* entry = readdir(dir);
      if (entry == nullptr) return false;
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
      if (typeOnly && FillFromType(data, fd, *entry)) {
        if (Selects(data->cFileName)) return true;
        continue;
      }
      struct stat st {};
      bool linkToDirectory = false;
      // An entry deleted since readdir saw it is passed over.
      if (StatEntry(fd, name, st, linkToDirectory) != 0) continue;
      FillFindData(data, st, linkToDirectory, name);
      if (Selects(data->cFileName)) return true;
    }
  }
};

}  // namespace

DWORD GetFileAttributesW(const WCHAR* path) noexcept {
  std::string native;
  if (!NativeName(path, native)) return INVALID_FILE_ATTRIBUTES;
  struct stat st {};
  bool linkToDirectory = false;
  if (StatEntry(AT_FDCWD, native.c_str(), st, linkToDirectory) != 0) {
    SetLastPathError(errno, native);
    return INVALID_FILE_ATTRIBUTES;
  }
  return Attributes(st, linkToDirectory, LastComponent(native));
}
DWORD GetFileAttributesW(const char16_t* path) noexcept { return GetFileAttributesW(Wide(path)); }

BOOL CreateDirectoryW(const WCHAR* path, SECURITY_ATTRIBUTES*) noexcept {
  std::string native;
  if (!NativeName(path, native)) return FALSE;
  if (RetryInterrupted([&] { return mkdir(native.c_str(), 0777); }) != 0) return SetLastPathError(errno, native);
  return TRUE;
}
BOOL CreateDirectoryW(const char16_t* path, SECURITY_ATTRIBUTES* security) noexcept {
  return CreateDirectoryW(Wide(path), security);
}

BOOL RemoveDirectoryW(const WCHAR* path) noexcept {
  std::string native;
  if (!NativeName(path, native)) return FALSE;
  struct stat st {};
  bool linkToDirectory = false;
  if (StatEntry(AT_FDCWD, native.c_str(), st, linkToDirectory) != 0) return SetLastPathError(errno, native);
  if (S_ISLNK(st.st_mode)) {
    // A directory link goes as a link; what it leads to is not touched.
    if (!linkToDirectory) {
      SetLastError(ERROR_DIRECTORY);
      return FALSE;
    }
    if (unlink(native.c_str()) != 0) return SetLastPathError(errno, native);
    return TRUE;
  }
  if (!S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_DIRECTORY);
    return FALSE;
  }
  if (rmdir(native.c_str()) != 0) {
    if (errno == EEXIST) errno = ENOTEMPTY;
    return SetLastPathError(errno, native);
  }
  return TRUE;
}
BOOL RemoveDirectoryW(const char16_t* path) noexcept { return RemoveDirectoryW(Wide(path)); }

BOOL DeleteFileW(const WCHAR* path) noexcept {
  std::string native;
  if (!NativeName(path, native)) return FALSE;
  struct stat st {};
  if (lstat(native.c_str(), &st) != 0) return SetLastPathError(errno, native);
  // Read-only files are refused here, since the superuser passes the kernel's own check.
  if (S_ISDIR(st.st_mode) || IsReadOnly(st)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (unlink(native.c_str()) != 0) return SetLastPathError(errno, native);
  return TRUE;
}
BOOL DeleteFileW(const char16_t* path) noexcept { return DeleteFileW(Wide(path)); }

BOOL PathFileExistsW(const WCHAR* path) noexcept {
  std::string native;
  if (!NativeName(path, native)) return FALSE;
  struct stat st {};
  if (lstat(native.c_str(), &st) != 0) return SetLastPathError(errno, native);
  return TRUE;
}
BOOL PathFileExistsW(const char16_t* path) noexcept { return PathFileExistsW(Wide(path)); }

DWORD GetNativeNameLength(const WCHAR* name, DWORD length) noexcept {
  DWORD bytes = 0;
  for (DWORD i = 0; i < length; ++i) {
    const WCHAR u = name[i];
    if (u < 0x80 || (u >= platform::kFirstByteEscape && u <= platform::kLastByteEscape)) {
      bytes += 1;
    } else if (u < 0x800) {
      bytes += 2;
    } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < length && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
      bytes += 4;  // a pair, whose low half is never an escape
      ++i;
    } else {
      bytes += 3;
    }
  }
  return bytes;
}

DWORD GetNativePathLength(const WCHAR* path) noexcept {
  std::string native;
  if (!NativeName(path, native)) return 0;
  return static_cast<DWORD>(native.size());
}

HANDLE FindFirstFileW(const WCHAR* pattern, WIN32_FIND_DATAW* data) noexcept {
  return FindFirstFileExW(pattern, FindExInfoStandard, data, FindExSearchNameMatch, nullptr, 0);
}

HANDLE FindFirstFileExW(const WCHAR* pattern, FINDEX_INFO_LEVELS, void* output, FINDEX_SEARCH_OPS operation,
                        void* filter, DWORD flags) noexcept {
  auto* data = static_cast<WIN32_FIND_DATAW*>(output);
  if (operation != FindExSearchNameMatch || filter != nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return INVALID_HANDLE_VALUE;
  }
  if (pattern == nullptr || data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::size_t length = platform::BoundedLength(pattern);
  if (length > platform::kMaxNativeUnits) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return INVALID_HANDLE_VALUE;
  }
  std::size_t cut = length;
  while (cut > 0 && pattern[cut - 1] != u'\\' && pattern[cut - 1] != u'/') --cut;
  const platform::Units last(pattern + cut, length - cut);
  if (last.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  Search* search = new (std::nothrow) Search;
  if (search == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
  std::string directory;
  try {
    search->pattern.assign(last.data(), last.size());
    // "\x" searches the root; "x" the current directory.
    if (cut == 0 || cut == 1) {
      directory = cut == 0 ? "." : "/";
    } else if (!NativeName(std::basic_string<WCHAR>(pattern, cut - 1).c_str(), directory)) {
      delete search;
      return INVALID_HANDLE_VALUE;
    }
  } catch (...) {
    delete search;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
  if (!platform::PatternHasWildcards(last)) {
    // A plain name: the search reports that one entry.
    std::string native;
    if (!NativeName(pattern, native)) {
      delete search;
      return INVALID_HANDLE_VALUE;
    }
    struct stat st {};
    bool linkToDirectory = false;
    if (StatEntry(AT_FDCWD, native.c_str(), st, linkToDirectory) != 0) {
      SetLastPathError(errno, native);
      delete search;
      return INVALID_HANDLE_VALUE;
    }
    search->single = true;
    FillFindData(&search->pending, st, linkToDirectory, LastComponent(native));
  } else {
    search->all = platform::PatternSelectsAll(last);
    search->typeOnly = (flags & FIND_FIRST_EX_ENTRY_TYPE_ONLY) != 0;
    search->dir = opendir(directory.c_str());
    if (search->dir == nullptr) {
      const int e = errno;
      delete search;
      SetLastError(e == ENOENT || e == ENOTDIR ? ERROR_PATH_NOT_FOUND : platform::ErrorFromErrno(e));
      return INVALID_HANDLE_VALUE;
    }
  }
  if (!search->Next(data)) {
    FindClose(search);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return search;
}
HANDLE FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data) noexcept {
  return FindFirstFileW(Wide(pattern), data);
}

BOOL FindNextFileW(HANDLE handle, WIN32_FIND_DATAW* data) noexcept {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || data == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!static_cast<Search*>(handle)->Next(data)) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  return TRUE;
}

BOOL FindClose(HANDLE handle) noexcept {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Search* search = static_cast<Search*>(handle);
  if (search->dir != nullptr) closedir(search->dir);
  delete search;
  return TRUE;
}

BOOL MakeSureDirectoryPathExists(const char* path) noexcept {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string native;
  try {
    native = path;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  std::size_t i = 0;
  while (i < native.size() && native[i] == '/') ++i;  // the root exists
  for (; i < native.size(); ++i) {
    if (native[i] != '/') continue;
    native[i] = 0;
    const char* level = native.c_str();
    if (RetryInterrupted([level] { return mkdir(level, 0777); }) != 0) {
      const int e = errno;
      struct stat st {};
      if (e != EEXIST) return SetLastPathError(e, std::string(level));
      if (stat(level, &st) != 0 || !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);  // a file stands where a directory is needed
        return FALSE;
      }
    }
    native[i] = '/';
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

namespace {

// The first name of a double-zero-terminated list, and whether another follows it.
platform::Units FirstOfList(const WCHAR* list, bool& more) noexcept {
  std::size_t n = 0;
  while (list[n] != 0) ++n;
  more = n > 0 && list[n + 1] != 0;
  return platform::Units(list, n);
}

std::string ParentOf(std::string native) {
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  const std::size_t slash = native.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return native.substr(0, slash);
}

int RenameOne(const WCHAR* from, const WCHAR* to) {
  std::string nativeFrom, nativeTo;
  if (!NativeName(from, nativeFrom) || !NativeName(to, nativeTo)) return static_cast<int>(GetLastError());
  struct stat source {}, parentFrom {}, parentTo {};
  if (lstat(nativeFrom.c_str(), &source) != 0) return static_cast<int>(platform::PathErrorFromErrno(errno, nativeFrom));
  const std::string fromParent = ParentOf(nativeFrom), toParent = ParentOf(nativeTo);
  if (stat(fromParent.c_str(), &parentFrom) != 0) return static_cast<int>(platform::ErrorFromErrno(errno));
  if (stat(toParent.c_str(), &parentTo) != 0) return ERROR_PATH_NOT_FOUND;
  // A rename keeps the item in its directory; moving elsewhere is another operation.
  if (parentFrom.st_dev != parentTo.st_dev || parentFrom.st_ino != parentTo.st_ino) return DE_DIFFDIR;
  const auto renameNoReplace = [&] {
    return renameat2(AT_FDCWD, nativeFrom.c_str(), AT_FDCWD, nativeTo.c_str(), RENAME_NOREPLACE);
  };
  if (RetryInterrupted(renameNoReplace) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return static_cast<int>(platform::ErrorFromErrno(errno));
  // A file system without the no-replace rename: check, then rename.
  struct stat target {};
  if (lstat(nativeTo.c_str(), &target) == 0) return ERROR_ALREADY_EXISTS;
  if (RetryInterrupted([&] { return rename(nativeFrom.c_str(), nativeTo.c_str()); }) != 0) {
    return static_cast<int>(platform::ErrorFromErrno(errno));
  }
  return 0;
}

}  // namespace

int SHFileOperationW(SHFILEOPSTRUCTW* operation) noexcept {
  if (operation == nullptr) return ERROR_INVALID_PARAMETER;
  operation->fAnyOperationsAborted = FALSE;
  if (operation->wFunc != FO_RENAME) return ERROR_CALL_NOT_IMPLEMENTED;
  if (operation->pFrom == nullptr || operation->pTo == nullptr) return ERROR_INVALID_PARAMETER;
  bool moreFrom = false, moreTo = false;
  const platform::Units from = FirstOfList(operation->pFrom, moreFrom);
  const platform::Units to = FirstOfList(operation->pTo, moreTo);
  if (from.empty() || to.empty()) return ERROR_INVALID_PARAMETER;
  if (moreFrom || moreTo) return DE_MANYSRC1DEST;
  try {
    return RenameOne(operation->pFrom, operation->pTo);
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}
