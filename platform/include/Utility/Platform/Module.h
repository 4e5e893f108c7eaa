// Modules: the executable and the shared objects loaded into the process.
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

// GetModuleHandleW()
//
// A null name gives the handle of the process's executable. Otherwise the handle of an
// already loaded module whose file name (or full path, with `\` or `/`) is name; null with
// ERROR_MOD_NOT_FOUND when none is loaded. The handle is not counted: no FreeLibrary.
//
// Example:
//   HMODULE exe = GetModuleHandleW(nullptr);
UTILITY_PLATFORM_API HMODULE GetModuleHandleW(const WCHAR* name) noexcept;

// GetModuleFileNameW()
//
// Writes the full path of the module (null: the executable) with every `/` shown as `\`.
// As on Win32: returns the units written without the terminator; when the path does not fit
// it is cut to size - 1 units, terminated, size is returned and the last error is
// ERROR_INSUFFICIENT_BUFFER. A handle that names no module gives 0, an empty buffer and
// ERROR_MOD_NOT_FOUND.
//
// Example:
//   WCHAR path[MAX_PATH]; GetModuleFileNameW(nullptr, path, MAX_PATH);  // \opt\app\bin\utility
UTILITY_PLATFORM_API DWORD GetModuleFileNameW(HMODULE module, WCHAR* buffer, DWORD size) noexcept;
