// CreateAllDirectories and CreateAllDirectoriesEx: a directory with every missing parent.
#include <vector>

#include <Utility/Platform/FileSystem.h>
#include <Utility/Utility.h>

// Each level of the walk is a prefix of the path: the path itself with one trailing backslash
// dropped, then the text before its last backslash, and so on. The walk climbs until a level
// exists (or the text runs out), then creates the missing levels outermost first; the result
// is that of the deepest level. It runs as a loop over one buffer, each level ended by a zero
// written in place, so that even a path of a million backslashes costs linear time and memory.
int CUtility::CreateAllDirectories(CString path) {
  const int total = path.GetLength();
  std::vector<WCHAR> buffer(path.GetString(), path.GetString() + total);
  buffer.push_back(0);
  const auto level = [&](int length) {
    const WCHAR saved = buffer[static_cast<std::size_t>(length)];
    buffer[static_cast<std::size_t>(length)] = 0;
    return saved;
  };
  const auto restore = [&](int length, WCHAR saved) { buffer[static_cast<std::size_t>(length)] = saved; };

  std::vector<int> missing;  // lengths of the levels to create, deepest first
  int length = total;
  for (;;) {
    if (length == 0) {
      if (missing.empty()) return 0;
      break;
    }
    if (buffer[static_cast<std::size_t>(length - 1)] == u'\\') --length;  // one, never more
    const WCHAR saved = level(length);
    const bool exists = GetFileAttributesW(buffer.data()) != INVALID_FILE_ATTRIBUTES;
    restore(length, saved);
    if (exists) {
      if (missing.empty()) return 1;
      break;
    }
    missing.push_back(length);
    int slash = length - 1;
    while (slash >= 0 && buffer[static_cast<std::size_t>(slash)] != u'\\') --slash;
    length = slash < 0 ? 0 : slash;
  }
  int result = 0;
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    const WCHAR saved = level(*it);
    result = CreateDirectoryW(buffer.data(), nullptr) ? 1 : 0;
    restore(*it, saved);
  }
  return result;
}

int CUtility::CreateAllDirectoriesEx(const char* path) { return MakeSureDirectoryPathExists(path) ? 1 : 0; }
