// The mapping between the library's backslash paths and native paths.
#include <Utility/Platform/Path.h>

std::string NativePath(CStringRef path) {
  std::string native = CString(path.data(), static_cast<int>(path.size())).ToUtf8();
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

CString LibraryPath(std::string_view native) {
  CString path = CString::FromUtf8(native);
  path.Replace(u'/', u'\\');
  return path;
}
