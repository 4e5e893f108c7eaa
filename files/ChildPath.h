// The path of a directory entry as the walks form it: directory, one backslash, name -- the
// text that "%s\%s" gives, built in one allocation since the walks form one per entry.
#pragma once

#include <algorithm>

#include <Utility/Platform/Error.h>
#include <Utility/Platform/Exception.h>
#include <Utility/Platform/String.h>

namespace utility::files {

inline CString Child(const CString& directory, const WCHAR* name) {
  int length = 0;
  while (name[length] != 0) ++length;
  const int prefix = directory.GetLength();
  CString path;
  WCHAR* out = path.GetBuffer(prefix + 1 + length);
  std::copy_n(directory.GetString(), prefix, out);
  out[prefix] = u'\\';
  std::copy_n(name, length, out + prefix + 1);
  path.ReleaseBuffer(prefix + 1 + length);
  return path;
}

// The search pattern of a directory, directory + "\*.*". It is a system string in the
// framework's walk, whose exhaustion raises _com_error with E_OUTOFMEMORY rather than
// CMemoryException; WithSystemStringErrors gives any path built that way the same failure.
template <class Build>
CString WithSystemStringErrors(Build build) {
  try {
    return build();
  } catch (const CMemoryException&) {
    throw _com_error(E_OUTOFMEMORY);
  }
}

inline CString SearchPattern(const CString& directory) {
  return WithSystemStringErrors([&] { return directory + u"\\*.*"; });
}

}  // namespace utility::files
