// Loaded modules over the dynamic linker: a module handle is the linker's handle for the object
// (what dlopen returns, its link_map); the executable's is dlopen(nullptr).
#include "NativeModules.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Utility/Platform/Error.h>

namespace utility::platform {
namespace {

link_map* MapOf(HMODULE module) noexcept { return reinterpret_cast<link_map*>(module); }

link_map* ExecutableMap() noexcept {
  void* self = dlopen(nullptr, RTLD_LAZY | RTLD_NOLOAD);
  if (self == nullptr) return nullptr;
  link_map* map = nullptr;
  if (dlinfo(self, RTLD_DI_LINKMAP, &map) != 0) map = nullptr;
  dlclose(self);
  return map;
}

}  // namespace

HMODULE NativeExecutableModule() noexcept { return reinterpret_cast<HMODULE>(ExecutableMap()); }

bool IsNativeModuleLoaded(HMODULE module) noexcept {
  if (module == nullptr) return false;
  link_map* first = ExecutableMap();
  // The executable's map is the head of the list; walk back too, in case it is not.
  while (first != nullptr && first->l_prev != nullptr) first = first->l_prev;
  for (link_map* m = first; m != nullptr; m = m->l_next) {
    if (reinterpret_cast<HMODULE>(m) == module) return true;
  }
  return false;
}

HMODULE NextNativeModule(HMODULE module) noexcept { return reinterpret_cast<HMODULE>(MapOf(module)->l_next); }

std::string NativeExecutablePath() {
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

std::string NativeModulePath(HMODULE module, HMODULE executable) {
  const link_map* object = MapOf(module);
  if (module == executable || object->l_name == nullptr || object->l_name[0] == 0) return NativeExecutablePath();
  return object->l_name;
}

void* FindNativeModuleSymbol(HMODULE module, const char* name) noexcept {
  link_map* object = MapOf(module);
  if (object == nullptr || name == nullptr) return nullptr;
  // dlsym on a handle searches the object and then its dependencies; keep only a definition
  // that lies in the object itself.
  void* address = dlsym(object, name);
  if (address == nullptr) return nullptr;
  Dl_info info{};
  link_map* owner = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0) return nullptr;
  return owner == object ? address : nullptr;
}

HMODULE LoadNativeLibrary(const std::string& native, DWORD& error) noexcept {
  void* handle = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle != nullptr) return static_cast<HMODULE>(handle);
  // Tell a missing file from one that is there but cannot be loaded; a name without a slash
  // is looked for along the library path, not at a place of its own.
  struct stat st {};
  const bool named = native.find('/') != std::string::npos;
  const bool present = named && stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  error = present ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND;
  return nullptr;
}

bool FreeNativeLibrary(HMODULE module) noexcept { return dlclose(MapOf(module)) == 0; }

}  // namespace utility::platform
