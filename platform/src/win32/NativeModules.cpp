// Loaded modules over the system's loader: a module handle is the HMODULE the loader gives,
// the executable's is GetModuleHandleW(nullptr), and the list of loaded modules is the
// process's, in the loader's order.
#include "NativeModules.h"

#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <vector>

#include "win32/Wide.h"

namespace utility::platform {

namespace {

HMODULE Native(HINSTANCE__* module) noexcept { return reinterpret_cast<HMODULE>(module); }
HINSTANCE__* Ours(HMODULE module) noexcept { return reinterpret_cast<HINSTANCE__*>(module); }

std::vector<HMODULE> LoadedModules() {
  std::vector<HMODULE> modules(64);
  for (;;) {
    DWORD needed = 0;
    const auto room = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
    if (!EnumProcessModules(GetCurrentProcess(), modules.data(), room, &needed)) return {};
    if (needed <= room) {
      modules.resize(needed / sizeof(HMODULE));
      return modules;
    }
    modules.resize(needed / sizeof(HMODULE) + 16);
  }
}

std::string ModuleFile(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return win32::NarrowPath(path);
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

HINSTANCE__* NativeExecutableModule() noexcept { return Ours(GetModuleHandleW(nullptr)); }

bool IsNativeModuleLoaded(HINSTANCE__* module) noexcept {
  if (module == nullptr) return false;
  try {
    for (HMODULE m : LoadedModules()) {
      if (m == Native(module)) return true;
    }
  } catch (...) {
  }
  return false;
}

HINSTANCE__* NextNativeModule(HINSTANCE__* module) noexcept {
  try {
    const std::vector<HMODULE> modules = LoadedModules();
    for (std::size_t i = 0; i + 1 < modules.size(); ++i) {
      if (modules[i] == Native(module)) return Ours(modules[i + 1]);
    }
  } catch (...) {
  }
  return nullptr;
}

std::string NativeExecutablePath() { return ModuleFile(nullptr); }

std::string NativeModulePath(HINSTANCE__* module, HINSTANCE__* executable) {
  return ModuleFile(module == executable ? nullptr : Native(module));
}

void* FindNativeModuleSymbol(HINSTANCE__* module, const char* name) noexcept {
  if (module == nullptr || name == nullptr) return nullptr;
  // A module's export table holds only what the module itself defines.
  return reinterpret_cast<void*>(GetProcAddress(Native(module), name));
}

HINSTANCE__* LoadNativeLibrary(const std::string& native, NativeError& error) noexcept {
  try {
    const std::wstring path = win32::WidePath(native);
    // A library named with a path finds its own dependencies beside it, as on load by path.
    const bool named = native.find_first_of("/\\") != std::string::npos;
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, named ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
    if (module != nullptr) return Ours(module);
    const DWORD attributes = named ? GetFileAttributesW(path.c_str()) : INVALID_FILE_ATTRIBUTES;
    const bool present = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    error = present ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND;
  } catch (...) {
    error = ERROR_NOT_ENOUGH_MEMORY;
  }
  return nullptr;
}

bool FreeNativeLibrary(HINSTANCE__* module) noexcept { return FreeLibrary(Native(module)) != 0; }

}  // namespace utility::platform
