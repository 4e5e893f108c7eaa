// GetDirInfo: subdirectories and filtered files of a directory, depth first.
#include <Utility/Platform/FileSystem.h>
#include <Utility/Utility.h>

#include "ChildPath.h"

namespace {

using utility::files::Child;

bool IsDotEntry(const WCHAR* name) noexcept {
  return name[0] == u'.' && (name[1] == 0 || (name[1] == u'.' && name[2] == 0));
}

// The text from the last dot on, when that dot stands past the first unit; else the whole text
// (for the filter) or nothing (for a file name).
CString Extension(const CString& name, bool wholeWhenNone) {
  const int dot = name.ReverseFind(u'.');
  if (dot > 0) return name.Mid(dot);
  return wholeWhenNone ? name : CString();
}

class Walk {
 public:
  Walk(const CString& filter, CStringArray& directories, CStringArray& files, int recursive)
      : m_all(filter == u"*.*"),
        m_extension(Extension(filter, true)),
        m_directories(directories),
        m_files(files),
        m_recursive(recursive != 0) {}

  void List(const CString& directory) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileExW(utility::files::SearchPattern(directory), FindExInfoBasic, &entry,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_ENTRY_TYPE_ONLY);
    if (search == INVALID_HANDLE_VALUE) return;
    struct Guard {
      HANDLE h;
      ~Guard() { FindClose(h); }
    } guard{search};
    do {
      const WCHAR* name = entry.cFileName;
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if (IsDotEntry(name)) continue;
        const CString path = Child(directory, name);
        m_directories.Add(path);
        // A link to a directory is listed but not entered: no walk can go round in a circle.
        if (m_recursive && (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) List(path);
      } else if (m_all || Extension(CString(name), false).CompareNoCase(m_extension) == 0) {
        const CString path = Child(directory, name);
        m_files.Add(path);
      }
    } while (FindNextFileW(search, &entry));
  }

 private:
  bool m_all;
  CString m_extension;
  CStringArray& m_directories;
  CStringArray& m_files;
  bool m_recursive;
};

}  // namespace

void CUtility::GetDirInfo(CString directory, CString filter, CStringArray& directories, CStringArray& files,
                          int recursive) {
  Walk(filter, directories, files, recursive).List(directory);
}
