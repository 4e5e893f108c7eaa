// CreateAllDirectories and CreateAllDirectoriesEx: a directory with every missing parent.
#include <vector>

#include <Utility/Platform/FileSystem.h>
#include <Utility/Utility.h>

// Each level of the walk is a prefix of the path: the path itself with one trailing backslash
// dropped, then the text before its last backslash, and so on. The walk climbs until a level
// exists (or the text runs out), then creates the missing levels outermost first; the result
// is that of the deepest level. Done with a loop rather than one call per level, so that a
// path of a million backslashes costs memory for a million lengths, not a million strings.
int CUtility::CreateAllDirectories(CString path) {
  std::vector<int> missing;  // lengths of the levels to create, deepest first
  int length = path.GetLength();
  for (;;) {
    if (length == 0) {
      if (missing.empty()) return 0;
      break;
    }
    if (path[length - 1] == u'\\') --length;  // one trailing backslash, never more
    const CString level = path.Left(length);
    if (GetFileAttributesW(level) != INVALID_FILE_ATTRIBUTES) {
      if (missing.empty()) return 1;
      break;
    }
    missing.push_back(length);
    length = level.ReverseFind(u'\\');
    if (length < 0) length = 0;
  }
  int result = 0;
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    result = CreateDirectoryW(path.Left(*it), nullptr) ? 1 : 0;
  }
  return result;
}

int CUtility::CreateAllDirectoriesEx(const char* path) { return MakeSureDirectoryPathExists(path) ? 1 : 0; }
