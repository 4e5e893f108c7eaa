// Internal: module handles checked against the dynamic linker's list of loaded objects, so that
// a stray handle is refused instead of being dereferenced.
#pragma once

#include <Utility/Platform/Types.h>

#include <link.h>

namespace platform {

// The executable's entry in the list of loaded objects, or null.
link_map* ExecutableModule() noexcept;

// The loaded object that module names, or null. A null module is not looked up.
link_map* FindLoadedModule(HMODULE module) noexcept;

// The address of a symbol that the object itself defines (its dependencies do not count),
// or null.
void* FindOwnSymbol(link_map* object, const char* name) noexcept;

}  // namespace platform
