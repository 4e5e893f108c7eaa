// RemoveDirectoryW: a directory with everything below it, depth first, after a read-only pass
// that makes sure the platform's calls reach every entry.
#include <Utility/Platform/File.h>
#include <Utility/Platform/FileSystem.h>
#include <Utility/Utility.h>

#include "ChildPath.h"

namespace {

using utility::files::Child;

// Ends a directory search however the walk leaves it, an exception included.
class SearchGuard {
 public:
  explicit SearchGuard(HANDLE search) noexcept : m_search(search) {}
  ~SearchGuard() {
    if (m_search != INVALID_HANDLE_VALUE) FindClose(m_search);
  }
  SearchGuard(const SearchGuard&) = delete;
  SearchGuard& operator=(const SearchGuard&) = delete;

 private:
  HANDLE m_search;
};

bool IsDotEntry(const WCHAR* name) noexcept {
  return name[0] == u'.' && (name[1] == 0 || (name[1] == u'.' && name[2] == 0));
}

// Empties and removes one directory. A link carries the directory attribute when it leads to a
// directory; it is removed as a link, so the walk never leaves the named tree.
BOOL RemoveTree(const CString& path, DWORD attributes) {
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return RemoveDirectoryW(path);
  }
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileExW(utility::files::SearchPattern(path), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_ENTRY_TYPE_ONLY);
  if (search != INVALID_HANDLE_VALUE) {
    SearchGuard guard(search);
    do {
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if (!IsDotEntry(entry.cFileName)) {
          const CString child = utility::files::WithSystemStringErrors([&] { return Child(path, entry.cFileName); });
          RemoveTree(child, entry.dwFileAttributes);  // a level that stays shows in the last removal
        }
      } else {
        const CString child = utility::files::WithSystemStringErrors([&] { return Child(path, entry.cFileName); });
        CFile::Remove(child);  // raises CFileException and ends the whole walk
      }
    } while (FindNextFileW(search, &entry));
  }
  return RemoveDirectoryW(path);
}

// The units that a directory's search pattern adds to its path: "\*.*".
constexpr int kPatternUnits = 4;

// Whether the walk below the directory `path` stays within what the platform's file calls
// accept: every entry's path within kMaxPathUnits units and kMaxNativePathBytes native bytes,
// and every directory's search pattern within kMaxPathUnits. `prefixBytes` is the native
// length of `path` with the separator that its entries' paths add. Only the directories are
// read; an entry's native length is its directory's plus its name's, so no path is formed for
// a file. A directory that cannot be searched is passed over here, as the removal passes over
// it too (its own removal then fails).
bool TreeFits(const CString& path, DWORD prefixBytes) {
  if (path.GetLength() + kPatternUnits > static_cast<int>(utility::platform::kMaxPathUnits)) return false;
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileExW(utility::files::SearchPattern(path), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_ENTRY_TYPE_ONLY);
  if (search == INVALID_HANDLE_VALUE) return true;
  SearchGuard guard(search);
  const auto units = static_cast<DWORD>(path.GetLength()) + 1;
  do {
    if (IsDotEntry(entry.cFileName)) continue;
    DWORD length = 0;
    while (entry.cFileName[length] != 0) ++length;
    const DWORD bytes = prefixBytes + utility::platform::GetNativeNameLength(entry.cFileName, length);
    if (units + length > utility::platform::kMaxPathUnits || bytes > utility::platform::kMaxNativePathBytes)
      return false;
    const DWORD attributes = entry.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      const CString child = utility::files::WithSystemStringErrors([&] { return Child(path, entry.cFileName); });
      if (!TreeFits(child, bytes + 1)) return false;
    }
  } while (FindNextFileW(search, &entry));
  return true;
}

// The native length of the named directory with the separator after it, as its entries' paths
// begin: the length of the native path of one entry, less that entry's one-byte name. The
// lexical rules shape the start of the path (`dir\`, `.`, `a\..`), never the names below it.
DWORD EntryPrefixBytes(const CString& path) {
  static constexpr WCHAR kOneByteName[] = {u'x', 0};
  const CString probe = utility::files::WithSystemStringErrors([&] { return Child(path, kOneByteName); });
  const DWORD bytes = utility::platform::GetNativePathLength(probe);
  return bytes == 0 ? 0 : bytes - 1;
}

}  // namespace

int CUtility::RemoveDirectoryW(CString path) {
  // The search pattern of an empty path would be "\*.*", the root.
  if (path.IsEmpty()) return 0;
  const DWORD attributes = GetFileAttributesW(path);
  // A tree that the platform's calls cannot reach to the bottom would be removed only in part:
  // it is refused whole, before anything is deleted. What is not a directory is not walked.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && !TreeFits(path, EntryPrefixBytes(path))) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return 0;
  }
  return RemoveTree(path, attributes) ? 1 : 0;
}
