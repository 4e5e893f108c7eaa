// RemoveDirectoryW: a directory with everything below it, depth first.
#include <Utility/Platform/File.h>
#include <Utility/Platform/FileSystem.h>
#include <Utility/Utility.h>

#include "files/ChildPath.h"

namespace {

using files::Child;

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
  const HANDLE search = FindFirstFileExW(files::SearchPattern(path), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_ENTRY_TYPE_ONLY);
  if (search != INVALID_HANDLE_VALUE) {
    SearchGuard guard(search);
    do {
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if (!IsDotEntry(entry.cFileName)) {
          const CString child = files::WithSystemStringErrors([&] { return Child(path, entry.cFileName); });
          RemoveTree(child, entry.dwFileAttributes);  // a level that stays shows in the last removal
        }
      } else {
        const CString child = files::WithSystemStringErrors([&] { return Child(path, entry.cFileName); });
        CFile::Remove(child);  // raises CFileException and ends the whole walk
      }
    } while (FindNextFileW(search, &entry));
  }
  return RemoveDirectoryW(path);
}

}  // namespace

int CUtility::RemoveDirectoryW(CString path) {
  // The search pattern of an empty path would be "\*.*", the root.
  if (path.IsEmpty()) return 0;
  return RemoveTree(path, GetFileAttributesW(path)) ? 1 : 0;
}
