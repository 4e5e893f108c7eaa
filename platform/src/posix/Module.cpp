// Module handles and names over the dynamic linker. A module handle is the dynamic linker's
// handle for the object (what dlopen returns); the executable's is dlopen(nullptr). Handles are
// checked against the list of loaded objects before use, so a stray handle is answered with
// ERROR_MOD_NOT_FOUND instead of being dereferenced.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Module.h>
#include <Utility/Platform/Path.h>

#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "posix/LoadedModules.h"

namespace {

std::string ExecutablePath() {
  std::string path(256, '\0');
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < path.size()) {
      path.resize(static_cast<std::size_t>(n));
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// The native path of a loaded object: the executable's entry (and any without a name of its
// own) stands for the executable file.
std::string ObjectPath(const link_map* object, const link_map* executable) {
  if (object == executable || object->l_name == nullptr || object->l_name[0] == 0) return ExecutablePath();
  return object->l_name;
}

// The native path of a loaded object, or nothing when the handle names none.
bool ModulePath(HMODULE module, std::string& path) {
  if (module == nullptr) {
    path = ExecutablePath();
    return !path.empty();
  }
  const link_map* object = platform::FindLoadedModule(module);
  if (object == nullptr) return false;
  path = ObjectPath(object, platform::ExecutableModule());
  return !path.empty();
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

HMODULE GetModuleHandleW(const WCHAR* name) noexcept {
  try {
    link_map* first = platform::ExecutableModule();
    if (name == nullptr) return reinterpret_cast<HMODULE>(first);
    std::string wanted;
    if (!NativePath(name, wanted)) {
      SetLastError(ERROR_MOD_NOT_FOUND);  // no module can have a name with no native form
      return nullptr;
    }
    const bool byPath = wanted.find('/') != std::string::npos;
    for (link_map* m = first; m != nullptr; m = m->l_next) {
      const std::string path = ObjectPath(m, first);
      if (path.empty()) continue;
      if (byPath ? path == wanted : BaseName(path) == wanted) return reinterpret_cast<HMODULE>(m);
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
    const CString path = LibraryPath(native);
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
