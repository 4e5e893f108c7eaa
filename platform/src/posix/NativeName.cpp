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
  if (BoundedLength(path) > kMaxNativeUnits) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  try {
    native = NativePath(CStringRef(path));
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  return true;
}

}  // namespace platform
