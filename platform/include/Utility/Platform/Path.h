// The mapping between Windows-form paths (backslashes, as every platform call takes and gives
// them) and the native file system.
// Every platform file call accepts `\` and `/` alike; names the platform reports back are
// written with `\`, so /opt/app/bin/utility reads \opt\app\bin\utility.
//
// The mapping is lossless both ways. Native names are bytes: valid UTF-8 reads as its
// characters, and each byte that is not part of valid UTF-8 reads as the code unit
// U+DC00 + byte (U+DC80..U+DCFF), which maps back to that byte. A Windows-form path holding any other
// lone surrogate, or byte escapes that would spell a valid UTF-8 character, names no native file
// and is refused rather than altered, so two different paths never reach one file.
#pragma once

#include <string>
#include <string_view>

#include <Utility/Platform/Export.h>
#include <Utility/Platform/String.h>

namespace utility::platform {

// NativePath()
//
// The native path for a Windows-form path: every `\` becomes `/`. False when the path names no
// native file; throws CMemoryException when memory runs out.
//
// Example:
//   std::string native;
//   NativePath(u"\\tmp\\x", native) == true, native == "/tmp/x"
//   NativePath(u"\\tmp\\\xDCFF", native) == true, native == "/tmp/\xFF"
//   NativePath(u"\\tmp\\\xD800", native) == false
UTILITY_PLATFORM_API bool NativePath(CStringRef path, std::string& native);

// The same, for paths known to be mappable; a path with no native form throws CFileException
// with ERROR_INVALID_NAME and the path.
//
// Example:
//   NativePath(u"\\tmp\\x") == "/tmp/x"
UTILITY_PLATFORM_API std::string NativePath(CStringRef path);

// WindowsPath()
//
// The Windows form of a native path: every `/` becomes `\`.
//
// Example:
//   WindowsPath("/opt/app/bin") == u"\\opt\\app\\bin"
//   WindowsPath("/tmp/\xFF") == u"\\tmp\\\xDCFF"
UTILITY_PLATFORM_API CString WindowsPath(std::string_view native);

// NativeText()
//
// Native bytes (a name, a path, a message that quotes one) as UTF-16 under the same lossless
// mapping, separators left as they are.
//
// Example:
//   NativeText("a/\xFF") == u"a/\xDCFF"
UTILITY_PLATFORM_API CString NativeText(std::string_view native);

}  // namespace utility::platform
