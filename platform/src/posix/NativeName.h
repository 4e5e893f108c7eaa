// Library paths (UTF-16, `\` or `/`) to native paths, for the POSIX file calls.
#pragma once

#include <string>

#include <Utility/Platform/Types.h>

namespace platform {

// The longest path, in UTF-16 units, that can map to a native path the kernel accepts.
// Longer paths are refused before any conversion, so that a huge path costs nothing.
inline constexpr std::size_t kMaxNativeUnits = 4095;

// NativeName()
//
// Maps path to its native form. False, with the last error set, for a null path
// (ERROR_INVALID_PARAMETER), one too long for the system (ERROR_FILENAME_EXCED_RANGE) or when
// memory runs out (ERROR_NOT_ENOUGH_MEMORY).
bool NativeName(const WCHAR* path, std::string& native) noexcept;

// The length of a zero-terminated path, or kMaxNativeUnits + 1 when it is longer.
std::size_t BoundedLength(const WCHAR* path) noexcept;

}  // namespace platform
