// The types that cross between the portable platform and its backend: standard types only, so
// that a backend file can include its system's own headers, which declare the Win32 names
// (DWORD, HANDLE, ...) themselves, without ours.
#pragma once

#include <cstdint>

namespace utility::platform {

using NativeError = std::uint32_t;  // a Win32 error code, 0 for success
using NativeHandle = void*;         // an open file, as CFile keeps it

}  // namespace utility::platform

struct HINSTANCE__;  // a module handle points to one: the name the system headers give it too
