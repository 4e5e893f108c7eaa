// The path of a directory entry as the walks form it: directory, one backslash, name -- the
// text that "%s\%s" gives, built in one allocation since the walks form one per entry.
#pragma once

#include <algorithm>

#include <Utility/Platform/String.h>

namespace files {

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

}  // namespace files
