// Library paths (UTF-16, `\` or `/`) to the native names the system's file calls take.
#pragma once

#include <string>

#include <Utility/Platform/Types.h>

namespace utility::platform {

// The longest path, in UTF-16 units, that can map to a native path the kernel accepts.
// Longer paths are refused before any conversion, so that a huge path costs nothing.
inline constexpr std::size_t kMaxNativeUnits = 4095;

// NativeName()
//
// Maps path to the native name of the object it names, read as Windows reads a path: `.`
// components are dropped, `..` takes back the component before it, repeated separators count
// as one, and a trailing separator is no part of the name. So `dir\link\`, `dir\link\.` and
// `dir\link\sub\..` all name the link `dir/link` itself, never what it leads to; the kernel
// would follow the link for each of them. A name that ended with a separator (or `.`) must
// name a directory or a link to one.
//
// False, with the last error set, for a null path (ERROR_INVALID_PARAMETER), one too long for
// the system (ERROR_FILENAME_EXCED_RANGE), one with no native form or a trailing separator
// after a file (ERROR_INVALID_NAME), or when memory runs out (ERROR_NOT_ENOUGH_MEMORY).
//
// Example:
//   NativeName(u"\\tmp\\a\\.\\b\\", native) -> true, native == "/tmp/a/b"
bool NativeName(const WCHAR* path, std::string& native) noexcept;

// NormalizeNativeName()
//
// The lexical part of NativeName on a native path with `/` separators, in place; true when the
// last component was empty or `.`, so that the name must be a directory.
//
// Example:
//   std::string p = "a//b/../c/."; NormalizeNativeName(p) -> true, p == "a/c"
bool NormalizeNativeName(std::string& native);

// The length of a zero-terminated path, or kMaxNativeUnits + 1 when it is longer.
std::size_t BoundedLength(const WCHAR* path) noexcept;

}  // namespace utility::platform
