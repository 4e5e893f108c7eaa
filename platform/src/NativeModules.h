// The operating system's loaded modules (the executable and its libraries), for module handles,
// libraries and string resources. A module handle is checked against the system's list of
// loaded modules before use, so that a stray handle is refused instead of being dereferenced.
#pragma once

#include <string>

#include "NativeTypes.h"

namespace utility::platform {

// The executable's module, the first of the loaded modules; null when the system names none.
HINSTANCE__* NativeExecutableModule() noexcept;

// Whether module is one of the loaded modules. A null module is not looked up.
bool IsNativeModuleLoaded(HINSTANCE__* module) noexcept;

// The loaded module after module (one the list gave), in the system's order; null after the last.
HINSTANCE__* NextNativeModule(HINSTANCE__* module) noexcept;

// The native path of the executable file; empty when the system does not tell it.
std::string NativeExecutablePath();

// The native path of a loaded module: executable's (and any module without a name of its own)
// is the executable file's. Empty when the system does not tell it. Throws std::bad_alloc.
std::string NativeModulePath(HINSTANCE__* module, HINSTANCE__* executable);

// The address of a symbol that the loaded module itself defines (its dependencies do not
// count), or null.
void* FindNativeModuleSymbol(HINSTANCE__* module, const char* name) noexcept;

// Loads the library at native, or null with error ERROR_MOD_NOT_FOUND (no such file) or
// ERROR_BAD_EXE_FORMAT (a file that is there but cannot be loaded).
HINSTANCE__* LoadNativeLibrary(const std::string& native, NativeError& error) noexcept;

// Drops one load of a loaded module; false when the system refuses.
bool FreeNativeLibrary(HINSTANCE__* module) noexcept;

}  // namespace utility::platform
