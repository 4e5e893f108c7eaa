// The mapping between the library's backslash paths and the native file system.
// Every platform file call accepts `\` and `/` alike; names the platform reports back are
// written with `\`, so /opt/app/bin/utility reads \opt\app\bin\utility.
#pragma once

#include <string>
#include <string_view>

#include <Utility/Platform/Export.h>
#include <Utility/Platform/String.h>

// NativePath()
//
// The native UTF-8 path for a library path: every `\` becomes `/`.
//
// Example:
//   NativePath(u"\\tmp\\x") == "/tmp/x"
UTILITY_PLATFORM_API std::string NativePath(CStringRef path);

// LibraryPath()
//
// The library's form of a native path: every `/` becomes `\`.
//
// Example:
//   LibraryPath("/opt/app/bin") == u"\\opt\\app\\bin"
UTILITY_PLATFORM_API CString LibraryPath(std::string_view native);
