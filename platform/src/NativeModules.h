// The operating system's loaded modules (the executable and its libraries), for module handles,
// libraries and string resources. A module handle is checked against the system's list of
// loaded modules before use, so that a stray handle is refused instead of being dereferenced.
#pragma once

#include <string>

#include <Utility/Platform/Types.h>

namespace utility::platform {

// The executable's module, the first of the loaded modules; null when the system names none.
HMODULE NativeExecutableModule() noexcept;

// Whether module is one of the loaded modules. A null module is not looked up.
bool IsNativeModuleLoaded(HMODULE module) noexcept;

// The loaded module after module (one the list gave), in the system's order; null after the last.
HMODULE NextNativeModule(HMODULE module) noexcept;

// The native path of the executable file; empty when the system does not tell it.
std::string NativeExecutablePath();

// The native path of a loaded module: executable's (and any module without a name of its own)
// is the executable file's. Empty when the system does not tell it. Throws std::bad_alloc.
std::string NativeModulePath(HMODULE module, HMODULE executable);

// The address of a symbol that the loaded module itself defines (its dependencies do not
// count), or null.
void* FindNativeModuleSymbol(HMODULE module, const char* name) noexcept;

// Loads the library at native, or null with error ERROR_MOD_NOT_FOUND (no such file) or
// ERROR_BAD_EXE_FORMAT (a file that is there but cannot be loaded).
HMODULE LoadNativeLibrary(const std::string& native, DWORD& error) noexcept;

// Drops one load of a loaded module; false when the system refuses.
bool FreeNativeLibrary(HMODULE module) noexcept;

}  // namespace utility::platform
