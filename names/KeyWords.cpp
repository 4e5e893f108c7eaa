// IsKeyWords: the keyword file in the host directory, or one the caller names.
#include <Utility/Platform/FileSystem.h>
#include <Utility/Platform/InstallLayout.h>
#include <Utility/Utility.h>

#include "KeyWordFile.h"

int CUtility::IsKeyWords(const CString& word) {
  CString path;
  path.Format(u"%s\\%s", GetModulePath(), CString(u"KeyWords.ini"));
  // A host without a keyword file of its own uses the one the installed package ships.
  if (GetFileAttributesW(path.GetString()) == INVALID_FILE_ATTRIBUTES) {
    const CString shipped = utility::platform::InstalledDataDirectory();
    if (!shipped.IsEmpty()) path = shipped + u"\\KeyWords.ini";
  }
  return utility::names::IsKeyWordIn(path, word) ? 1 : 0;
}

int CUtility::IsKeyWords(const CString& filePath, const CString& word) {
  return utility::names::IsKeyWordIn(filePath, word) ? 1 : 0;
}
