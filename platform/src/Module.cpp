// Module handles and names over the system's loaded modules (NativeModules.h). Handles are
// checked against the list of loaded modules before use, so a stray handle is answered with
// ERROR_MOD_NOT_FOUND instead of being dereferenced.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Module.h>
#include <Utility/Platform/Path.h>

#include <algorithm>
#include <string>

#include "NativeModules.h"

namespace {

// The native path of a loaded module, or nothing when the handle names none.
bool ModulePath(HMODULE module, std::string& path) {
  if (module == nullptr) {
    path = utility::platform::NativeExecutablePath();
    return !path.empty();
  }
  if (!utility::platform::IsNativeModuleLoaded(module)) return false;
  path = utility::platform::NativeModulePath(module, utility::platform::NativeExecutableModule());
  return !path.empty();
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

HMODULE GetModuleHandleW(const WCHAR* name) noexcept {
  try {
    const HMODULE first = utility::platform::NativeExecutableModule();
    if (name == nullptr) return first;
    std::string wanted;
    if (!utility::platform::NativePath(name, wanted)) {
      SetLastError(ERROR_MOD_NOT_FOUND);  // no module can have a name with no native form
      return nullptr;
    }
    const bool byPath = wanted.find('/') != std::string::npos;
    for (HMODULE m = first; m != nullptr; m = utility::platform::NextNativeModule(m)) {
      const std::string path = utility::platform::NativeModulePath(m, first);
      if (path.empty()) continue;
      if (byPath ? path == wanted : BaseName(path) == wanted) return m;
    }
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

DWORD GetModuleFileNameW(HMODULE module, WCHAR* buffer, DWORD size) noexcept {
  if (buffer == nullptr && size != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  try {
    std::string native;
    if (!ModulePath(module, native)) {
      if (size != 0) buffer[0] = 0;
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    const CString path = utility::platform::WindowsPath(native);
    const DWORD length = static_cast<DWORD>(path.GetLength());
    if (size == 0) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    if (length < size) {
      std::copy_n(path.GetString(), length + 1, buffer);
      SetLastError(ERROR_SUCCESS);
      return length;
    }
    // Cut to size - 1 units and terminated, as Win32 does for a path that does not fit.
    std::copy_n(path.GetString(), size - 1, buffer);
    buffer[size - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  } catch (...) {
    if (size != 0) buffer[0] = 0;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
}
