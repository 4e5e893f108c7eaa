// Library paths to native paths.
#include "posix/NativeName.h"

#include <Utility/Platform/Error.h>
#include <Utility/Platform/Exception.h>
#include <Utility/Platform/Path.h>

namespace platform {

std::size_t BoundedLength(const WCHAR* path) noexcept {
  std::size_t n = 0;
  while (path[n] != 0 && n <= kMaxNativeUnits) ++n;
  return n;
}

bool NativeName(const WCHAR* path, std::string& native) noexcept {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const std::size_t length = BoundedLength(path);
  if (length > kMaxNativeUnits) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  std::size_t ascii = 0;
  while (ascii < length && path[ascii] < 0x80) ++ascii;
  try {
    if (ascii == length) {
      // Plain ASCII, the usual path, is its own UTF-8: mapped unit for unit, with no copy
      // between.
      native.resize(length);
      for (std::size_t i = 0; i < length; ++i) native[i] = path[i] == u'\\' ? '/' : static_cast<char>(path[i]);
    } else {
      native = NativePath(CStringRef(path));
    }
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  return true;
}

}  // namespace platform
