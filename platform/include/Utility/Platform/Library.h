// Loading shared objects at run time and finding their exported functions, with Win32's
// names and results. The handle is the same module handle that GetModuleHandleW gives.
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

// The type GetProcAddress returns: cast it to the function's real type before calling.
using FARPROC = INT_PTR (*)();

// LoadLibraryW()
//
// Loads the shared object at path (`\` and `/` alike; a bare name is looked up the dynamic
// linker's way) and returns its handle, counting one load: every successful call needs one
// FreeLibrary. Fails with null and the last error: ERROR_MOD_NOT_FOUND when no file is there
// (or one the object needs is missing), ERROR_BAD_EXE_FORMAT when the file is no loadable
// object, ERROR_INVALID_PARAMETER for a null or empty path.
//
// Example:
//   HMODULE m = LoadLibraryW(u"\\opt\\app\\bin\\DiskID.dll");
//   if (m != nullptr) { ...; FreeLibrary(m); }
UTILITY_PLATFORM_API HMODULE LoadLibraryW(const WCHAR* path) noexcept;
UTILITY_PLATFORM_API HMODULE LoadLibraryW(const char16_t* path) noexcept;

// GetProcAddress()
//
// The address of the function or object that the module itself exports under name (an
// unmangled name, 8-bit, exact case). Exports of the objects it depends on do not count,
// as on Win32. Fails with null and the last error: ERROR_PROC_NOT_FOUND for a missing name
// (and for a name below 0x10000, which Win32 reads as an ordinal: there are none here),
// ERROR_MOD_NOT_FOUND for a handle that names no loaded module.
//
// Example:
//   auto f = reinterpret_cast<LONG (*)()>(GetProcAddress(m, "GetHardDriveComputerID"));
UTILITY_PLATFORM_API FARPROC GetProcAddress(HMODULE module, const char* name) noexcept;

// FreeLibrary()
//
// Releases one load of the module; the object is unloaded when its last load is released.
// Returns FALSE with ERROR_MOD_NOT_FOUND for a handle that names no loaded module.
UTILITY_PLATFORM_API BOOL FreeLibrary(HMODULE module) noexcept;
