// LoadLibraryW, GetProcAddress and FreeLibrary over the system's loaded modules
// (NativeModules.h). A module handle is the one GetModuleHandleW gives for the same module.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Library.h>
#include <Utility/Platform/Path.h>

#include <cstdint>
#include <string>

#include "NativeModules.h"

HMODULE LoadLibraryW(const WCHAR* path) noexcept {
  if (path == nullptr || path[0] == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  try {
    std::string native;
    if (!utility::platform::NativePath(path, native)) {
      SetLastError(ERROR_INVALID_NAME);  // no file on disk has this name
      return nullptr;
    }
    DWORD error = ERROR_SUCCESS;
    const HMODULE module = utility::platform::LoadNativeLibrary(native, error);
    SetLastError(error);
    return module;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

HMODULE LoadLibraryW(const char16_t* path) noexcept { return LoadLibraryW(reinterpret_cast<const WCHAR*>(path)); }

FARPROC GetProcAddress(HMODULE module, const char* name) noexcept {
  if (!utility::platform::IsNativeModuleLoaded(module)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // A value below 0x10000 is an ordinal, which this platform's modules do not export by.
  if (reinterpret_cast<std::uintptr_t>(name) < 0x10000u) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  void* address = utility::platform::FindNativeModuleSymbol(module, name);
  if (address == nullptr) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(address);
}

BOOL FreeLibrary(HMODULE module) noexcept {
  if (!utility::platform::IsNativeModuleLoaded(module) || !utility::platform::FreeNativeLibrary(module)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}
