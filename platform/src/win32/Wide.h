// Native names and system texts between the portable platform's UTF-8 and the UTF-16 that the
// system's wide calls take.
#pragma once

#include <string>
#include <string_view>

namespace utility::platform::win32 {

// The UTF-16 form of a native name: the name it was made from, bytes that are no valid UTF-8
// as their escapes (NativeNames.h).
std::wstring Widen(std::string_view utf8);

// Widen for a native path, with `\` for every `/`: some calls (LoadLibraryW) take no `/`.
std::wstring WidePath(std::string_view native);

// The UTF-8 form of UTF-16 text; lone surrogates become U+FFFD.
std::string Narrow(std::wstring_view wide);

// Narrow for a path the system gives, with `/` for every `\`: the native form the portable
// platform compares and joins (the form NativePath makes of a Windows path).
std::string NarrowPath(std::wstring_view wide);

}  // namespace utility::platform::win32
