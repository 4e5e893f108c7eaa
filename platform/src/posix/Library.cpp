// LoadLibraryW, GetProcAddress and FreeLibrary over the dynamic linker. A module handle is
// the linker's handle for the object, as GetModuleHandleW gives it.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Library.h>
#include <Utility/Platform/Path.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "LoadedModules.h"

HMODULE LoadLibraryW(const WCHAR* path) noexcept {
  if (path == nullptr || path[0] == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  try {
    std::string native;
    if (!NativePath(path, native)) {
      SetLastError(ERROR_INVALID_NAME);  // no file on disk has this name
      return nullptr;
    }
    void* handle = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      // Tell a missing file from one that is there but cannot be loaded.
      struct stat st {};
      const bool named = native.find('/') != std::string::npos;
      const bool present = named && stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
      SetLastError(present ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
      return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<HMODULE>(handle);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

HMODULE LoadLibraryW(const char16_t* path) noexcept { return LoadLibraryW(reinterpret_cast<const WCHAR*>(path)); }

FARPROC GetProcAddress(HMODULE module, const char* name) noexcept {
  link_map* object = platform::FindLoadedModule(module);
  if (object == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (reinterpret_cast<std::uintptr_t>(name) < 0x10000u) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  void* address = platform::FindOwnSymbol(object, name);
  if (address == nullptr) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(address);
}

BOOL FreeLibrary(HMODULE module) noexcept {
  link_map* object = platform::FindLoadedModule(module);
  if (object == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  if (dlclose(object) != 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}
