// The mapping between Windows-form (backslash) paths and native paths.
#include <Utility/Platform/Path.h>

#include <new>

#include <Utility/Platform/Error.h>
#include <Utility/Platform/Exception.h>
#include <Utility/Platform/FileException.h>

#include "NativeNames.h"

bool utility::platform::NativePath(CStringRef path, std::string& native) {
  native.clear();
  try {
    if (!utility::platform::EncodeNativeName(path.data(), path.size(), native)) return false;
  } catch (const std::bad_alloc&) {
    utility::platform::ThrowMemoryException();
  }
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return true;
}

std::string utility::platform::NativePath(CStringRef path) {
  std::string native;
  if (!utility::platform::NativePath(path, native))
    throw CFileException(ERROR_INVALID_NAME, CString(path.data(), static_cast<int>(path.size())));
  return native;
}

CString utility::platform::NativeText(std::string_view native) {
  CString text;
  const std::size_t length = utility::platform::DecodeNativeName(native, nullptr, 0);
  WCHAR* out = text.GetBuffer(static_cast<int>(length));
  utility::platform::DecodeNativeName(native, out, length);
  text.ReleaseBuffer(static_cast<int>(length));
  return text;
}

CString utility::platform::WindowsPath(std::string_view native) {
  CString path = utility::platform::NativeText(native);
  path.Replace(u'/', u'\\');
  return path;
}
