// Lookups in the dynamic linker's list of loaded objects.
#include "LoadedModules.h"

#include <dlfcn.h>

namespace platform {

link_map* ExecutableModule() noexcept {
  void* self = dlopen(nullptr, RTLD_LAZY | RTLD_NOLOAD);
  if (self == nullptr) return nullptr;
  link_map* map = nullptr;
  if (dlinfo(self, RTLD_DI_LINKMAP, &map) != 0) map = nullptr;
  dlclose(self);
  return map;
}

link_map* FindLoadedModule(HMODULE module) noexcept {
  if (module == nullptr) return nullptr;
  link_map* first = ExecutableModule();
  // The executable's map is the head of the list; walk back too, in case it is not.
  while (first != nullptr && first->l_prev != nullptr) first = first->l_prev;
  for (link_map* m = first; m != nullptr; m = m->l_next) {
    if (reinterpret_cast<HMODULE>(m) == module) return m;
  }
  return nullptr;
}

void* FindOwnSymbol(link_map* object, const char* name) noexcept {
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

}  // namespace platform
