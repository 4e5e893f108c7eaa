// The installed layout, found from the platform library's own file: the build passes that
// file's name and the relative paths from the library directory to the module and data
// directories, so nothing here knows an absolute prefix.
#include <Utility/Platform/InstallLayout.h>
#include <Utility/Platform/Module.h>

namespace utility::platform {
namespace {

// The directory of the loaded platform library, or empty.
CString LibraryDirectory() {
  const HMODULE self = GetModuleHandleW(CString(UTILITY_PLATFORM_FILE_NAME).GetString());
  if (self == nullptr) return CString();
  WCHAR buffer[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(self, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH - 1) return CString();  // unknown, or cut short
  CString path(buffer);
  const int slash = path.ReverseFind(u'\\');
  return slash == -1 ? CString() : path.Left(slash);
}

// directory joined with a relative path the build wrote with forward slashes; each ".." takes
// one component off, so the result names no parent steps.
CString Below(CString directory, const char* relative) {
  CString rest(relative);
  while (!directory.IsEmpty() && !rest.IsEmpty()) {
    const int slash = rest.Find(u'/');
    const CString part = slash == -1 ? rest : rest.Left(slash);
    rest = slash == -1 ? CString() : rest.Mid(slash + 1);
    if (part == u"..") {
      const int last = directory.ReverseFind(u'\\');
      directory = last == -1 ? CString() : directory.Left(last);
    } else if (!part.IsEmpty() && part != u".") {
      directory += u"\\" + part;
    }
  }
  return directory;
}

}  // namespace

CString InstalledModuleDirectory() { return Below(LibraryDirectory(), UTILITY_MODULES_FROM_LIBDIR); }

CString InstalledDataDirectory() { return Below(LibraryDirectory(), UTILITY_DATA_FROM_LIBDIR); }

}  // namespace utility::platform
