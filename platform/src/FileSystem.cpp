// Attributes, directory creation and removal, deletion, search and rename: Win32's rules over
// the system's file-system services (NativeFileSystem.h). Links are never followed by these
// calls: a link is reported, deleted and renamed as itself.
#include <Utility/Platform/FileSystem.h>

#include <new>
#include <string>

#include <Utility/Platform/Error.h>

#include "FindData.h"
#include "FindPattern.h"
#include "NativeFileSystem.h"
#include "NativeName.h"
#include "NativeNames.h"
#include "WideUnits.h"

using utility::platform::NativeDirectory;
using utility::platform::NativeEntry;
using utility::platform::NativeFileInfo;
using utility::platform::NativeKind;
using utility::platform::NativeName;
using utility::platform::Units;

using utility::platform::Wide;

namespace {

// The last error set from a service's code; FALSE for the `return Fail(...)` of a BOOL call.
BOOL Fail(DWORD code) noexcept {
  SetLastError(code);
  return FALSE;
}

// The last component of a native path, trailing slashes ignored.
std::string_view LastComponent(std::string_view native) noexcept {
  while (native.size() > 1 && native.back() == '/') native.remove_suffix(1);
  const std::size_t slash = native.find_last_of('/');
  return slash == std::string_view::npos ? native : native.substr(slash + 1);
}

bool IsDotName(const char* name) noexcept {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// One directory search: "." and ".." first, then the directory's own entries.
struct Search {
  NativeDirectory* dir = nullptr;    // null for a search that names one entry
  std::basic_string<WCHAR> pattern;  // the last component of the search pattern
  bool all = false;
  bool typeOnly = false;  // attributes from the entry type, no stat per entry
  int stage = 0;          // 0: ".", 1: "..", 2: the directory's entries
  bool single = false;    // the one entry is in `pending`
  WIN32_FIND_DATAW pending{};

  bool Selects(const WCHAR* name) const noexcept {
    if (all) return true;
    std::size_t n = 0;
    while (name[n] != 0) ++n;
    return utility::platform::MatchPattern(Units(pattern.data(), pattern.size()), Units(name, n));
  }

  // "." or ".." into data: false when it is not selected or (with a full stat) gone.
  bool Dot(WIN32_FIND_DATAW* data, const char* name) const noexcept {
    if (typeOnly) {
      utility::platform::FillFindDataFromKind(data, NativeKind::kDirectory, false, name);
      return Selects(data->cFileName);
    }
    return Stat(data, name);
  }

  // A full entry into data: false when it is not selected or gone since the directory named it.
  bool Stat(WIN32_FIND_DATAW* data, const char* name) const noexcept {
    NativeFileInfo info;
    if (!utility::platform::StatNativeEntry(dir, name, info)) return false;
    utility::platform::FillFindData(data, info, name);
    return Selects(data->cFileName);
  }

  // An entry of the directory into data: false when it is not selected.
  bool Entry(WIN32_FIND_DATAW* data, const NativeEntry& entry) const noexcept {
    if (!typeOnly || entry.kind == NativeKind::kUnknown) return Stat(data, entry.name);
    // Only a link costs a call, whose target decides the directory attribute.
    const bool toDirectory =
        entry.kind == NativeKind::kLink && utility::platform::NativeEntryLeadsToDirectory(dir, entry.name);
    utility::platform::FillFindDataFromKind(data, entry.kind, toDirectory, entry.name);
    return Selects(data->cFileName);
  }

  // The next selected entry into data; false at the end.
  bool Next(WIN32_FIND_DATAW* data) noexcept {
    if (single) {
      if (stage++ != 0) return false;
      *data = pending;
      return true;
    }
    while (stage < 2) {
      if (Dot(data, stage++ == 0 ? "." : "..")) return true;
    }
    NativeEntry entry;
    while (utility::platform::ReadNativeDirectory(dir, entry)) {
      if (!IsDotName(entry.name) && Entry(data, entry)) return true;
    }
    return false;
  }
};

// No search, with code as the last error; the search that failed to start, if any, is deleted.
HANDLE NoSearch(DWORD code, Search* search = nullptr) noexcept {
  delete search;
  SetLastError(code);
  return INVALID_HANDLE_VALUE;
}

// The search's pattern and the native directory it reads, from the pattern's last
// component, which starts at cut: "\x" searches the root; "x" the current directory.
DWORD PrepareSearch(Search& search, const WCHAR* pattern, std::size_t cut, Units last,
                    std::string& directory) noexcept {
  try {
    search.pattern.assign(last.data(), last.size());
    if (cut == 0 || cut == 1) {
      directory = cut == 0 ? "." : "/";
    } else if (!NativeName(std::basic_string<WCHAR>(pattern, cut - 1).c_str(), directory)) {
      return GetLastError();
    }
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  return ERROR_SUCCESS;
}

// A plain name: the search reports that one entry.
DWORD StartSingle(Search& search, const WCHAR* pattern) noexcept {
  std::string native;
  if (!NativeName(pattern, native)) return GetLastError();
  NativeFileInfo info;
  if (const DWORD code = utility::platform::StatNative(native.c_str(), info, true)) return code;
  search.single = true;
  utility::platform::FillFindData(&search.pending, info, LastComponent(native));
  return ERROR_SUCCESS;
}

DWORD StartDirectory(Search& search, Units last, const std::string& directory, DWORD flags) noexcept {
  search.all = utility::platform::PatternSelectsAll(last);
  search.typeOnly = (flags & FIND_FIRST_EX_ENTRY_TYPE_ONLY) != 0;
  const DWORD code = utility::platform::OpenNativeDirectory(directory.c_str(), search.dir);
  // A directory that is not there is a path not found, whatever part of it is missing.
  return code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code;
}

}  // namespace

namespace utility::platform {

DWORD GetNativeNameLength(const WCHAR* name, DWORD length) noexcept {
  DWORD bytes = 0;
  for (DWORD i = 0; i < length; ++i) {
    const WCHAR u = name[i];
    if (u < 0x80 || (u >= utility::platform::kFirstByteEscape && u <= utility::platform::kLastByteEscape)) {
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

}  // namespace utility::platform

DWORD GetFileAttributesW(const WCHAR* path) noexcept {
  std::string native;
  if (!NativeName(path, native)) return INVALID_FILE_ATTRIBUTES;
  NativeFileInfo info;
  if (const DWORD code = utility::platform::StatNative(native.c_str(), info, true)) {
    SetLastError(code);
    return INVALID_FILE_ATTRIBUTES;
  }
  return utility::platform::Attributes(info, LastComponent(native));
}
DWORD GetFileAttributesW(const char16_t* path) noexcept { return GetFileAttributesW(Wide(path)); }

BOOL CreateDirectoryW(const WCHAR* path, SECURITY_ATTRIBUTES*) noexcept {
  std::string native;
  if (!NativeName(path, native)) return FALSE;
  if (const DWORD code = utility::platform::MakeNativeDirectory(native.c_str())) return Fail(code);
  return TRUE;
}
BOOL CreateDirectoryW(const char16_t* path, SECURITY_ATTRIBUTES* security) noexcept {
  return CreateDirectoryW(Wide(path), security);
}

BOOL RemoveDirectoryW(const WCHAR* path) noexcept {
  std::string native;
  if (!NativeName(path, native)) return FALSE;
  NativeFileInfo info;
  if (const DWORD code = utility::platform::StatNative(native.c_str(), info, true)) return Fail(code);
  if (info.kind == NativeKind::kLink) {
    // A directory link goes as a link; what it leads to is not touched.
    if (!info.linkToDirectory) return Fail(ERROR_DIRECTORY);
    if (const DWORD code = utility::platform::RemoveNativeEntry(native.c_str())) return Fail(code);
    return TRUE;
  }
  if (info.kind != NativeKind::kDirectory) return Fail(ERROR_DIRECTORY);
  if (const DWORD code = utility::platform::RemoveNativeDirectory(native.c_str())) return Fail(code);
  return TRUE;
}
BOOL RemoveDirectoryW(const char16_t* path) noexcept { return RemoveDirectoryW(Wide(path)); }

BOOL DeleteFileW(const WCHAR* path) noexcept {
  std::string native;
  if (!NativeName(path, native)) return FALSE;
  NativeFileInfo info;
  if (const DWORD code = utility::platform::StatNative(native.c_str(), info, false)) return Fail(code);
  // Read-only files are refused here, since the superuser passes the system's own check.
  if (info.kind == NativeKind::kDirectory || utility::platform::IsReadOnly(info)) return Fail(ERROR_ACCESS_DENIED);
  if (const DWORD code = utility::platform::RemoveNativeEntry(native.c_str())) return Fail(code);
  return TRUE;
}
BOOL DeleteFileW(const char16_t* path) noexcept { return DeleteFileW(Wide(path)); }

BOOL PathFileExistsW(const WCHAR* path) noexcept {
  std::string native;
  if (!NativeName(path, native)) return FALSE;
  NativeFileInfo info;
  if (const DWORD code = utility::platform::StatNative(native.c_str(), info, false)) return Fail(code);
  return TRUE;
}
BOOL PathFileExistsW(const char16_t* path) noexcept { return PathFileExistsW(Wide(path)); }

HANDLE FindFirstFileW(const WCHAR* pattern, WIN32_FIND_DATAW* data) noexcept {
  return FindFirstFileExW(pattern, FindExInfoStandard, data, FindExSearchNameMatch, nullptr, 0);
}

HANDLE FindFirstFileExW(const WCHAR* pattern, FINDEX_INFO_LEVELS, void* output, FINDEX_SEARCH_OPS operation,
                        void* filter, DWORD flags) noexcept {
  auto* data = static_cast<WIN32_FIND_DATAW*>(output);
  if (operation != FindExSearchNameMatch || filter != nullptr) return NoSearch(ERROR_NOT_SUPPORTED);
  if (pattern == nullptr || data == nullptr) return NoSearch(ERROR_INVALID_PARAMETER);
  const std::size_t length = utility::platform::BoundedLength(pattern);
  if (length > utility::platform::kMaxNativeUnits) return NoSearch(ERROR_FILENAME_EXCED_RANGE);
  std::size_t cut = length;
  while (cut > 0 && pattern[cut - 1] != u'\\' && pattern[cut - 1] != u'/') --cut;
  const Units last(pattern + cut, length - cut);
  if (last.empty()) return NoSearch(ERROR_FILE_NOT_FOUND);
  Search* search = new (std::nothrow) Search;
  if (search == nullptr) return NoSearch(ERROR_NOT_ENOUGH_MEMORY);
  std::string directory;
  if (const DWORD code = PrepareSearch(*search, pattern, cut, last, directory)) return NoSearch(code, search);
  const DWORD code = utility::platform::PatternHasWildcards(last) ? StartDirectory(*search, last, directory, flags)
                                                                  : StartSingle(*search, pattern);
  if (code != ERROR_SUCCESS) return NoSearch(code, search);
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
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || data == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (!static_cast<Search*>(handle)->Next(data)) return Fail(ERROR_NO_MORE_FILES);
  return TRUE;
}

BOOL FindClose(HANDLE handle) noexcept {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  Search* search = static_cast<Search*>(handle);
  if (search->dir != nullptr) utility::platform::CloseNativeDirectory(search->dir);
  delete search;
  return TRUE;
}

BOOL MakeSureDirectoryPathExists(const char* path) noexcept {
  if (path == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  std::string native;
  try {
    native = path;
  } catch (...) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
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
    if (const DWORD code = utility::platform::MakeNativeDirectory(level)) {
      NativeFileInfo info;
      if (code != ERROR_ALREADY_EXISTS) return Fail(code);
      if (utility::platform::StatNativeTarget(level, info) != ERROR_SUCCESS || info.kind != NativeKind::kDirectory) {
        return Fail(ERROR_DIRECTORY);  // a file stands where a directory is needed
      }
    }
    native[i] = '/';
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

namespace {

// The first name of a double-zero-terminated list, and whether another follows it.
Units FirstOfList(const WCHAR* list, bool& more) noexcept {
  std::size_t n = 0;
  while (list[n] != 0) ++n;
  more = n > 0 && list[n + 1] != 0;
  return Units(list, n);
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
  NativeFileInfo source, parentFrom, parentTo;
  if (const DWORD code = utility::platform::StatNative(nativeFrom.c_str(), source, false))
    return static_cast<int>(code);
  const std::string fromParent = ParentOf(nativeFrom), toParent = ParentOf(nativeTo);
  if (const DWORD code = utility::platform::StatNativeTarget(fromParent.c_str(), parentFrom))
    return static_cast<int>(code);
  if (utility::platform::StatNativeTarget(toParent.c_str(), parentTo) != ERROR_SUCCESS) return ERROR_PATH_NOT_FOUND;
  // A rename keeps the item in its directory; moving elsewhere is another operation.
  if (parentFrom.device != parentTo.device || parentFrom.node != parentTo.node) return DE_DIFFDIR;
  return static_cast<int>(utility::platform::RenameNativeNoReplace(nativeFrom.c_str(), nativeTo.c_str(), false));
}

}  // namespace

int SHFileOperationW(SHFILEOPSTRUCTW* operation) noexcept {
  if (operation == nullptr) return ERROR_INVALID_PARAMETER;
  operation->fAnyOperationsAborted = FALSE;
  if (operation->wFunc != FO_RENAME) return ERROR_CALL_NOT_IMPLEMENTED;
  if (operation->pFrom == nullptr || operation->pTo == nullptr) return ERROR_INVALID_PARAMETER;
  bool moreFrom = false, moreTo = false;
  const Units from = FirstOfList(operation->pFrom, moreFrom);
  const Units to = FirstOfList(operation->pTo, moreTo);
  if (from.empty() || to.empty()) return ERROR_INVALID_PARAMETER;
  if (moreFrom || moreTo) return DE_MANYSRC1DEST;
  try {
    return RenameOne(operation->pFrom, operation->pTo);
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}
