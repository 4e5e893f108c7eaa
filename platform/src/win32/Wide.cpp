// Conversions for the wide system calls, through the platform's own rules: a native name goes
// back to the exact UTF-16 name it was made from (byte escapes included), and system texts go
// through the UTF-8 codec that every conversion uses.
#include "win32/Wide.h"

#include "CodePageBackend.h"
#include "NativeNames.h"

namespace utility::platform::win32 {

std::wstring Widen(std::string_view utf8) {
  std::wstring wide(DecodeNativeName(utf8, nullptr, 0), L'\0');
  DecodeNativeName(utf8, reinterpret_cast<WCHAR*>(wide.data()), wide.size());
  return wide;
}

std::wstring WidePath(std::string_view native) {
  std::wstring wide = Widen(native);
  for (wchar_t& unit : wide) {
    if (unit == L'/') unit = L'\\';
  }
  return wide;
}

std::string Narrow(std::wstring_view wide) {
  const auto* units = reinterpret_cast<const WCHAR*>(wide.data());
  std::string utf8(codepage::Utf16ToUtf8(units, wide.size(), nullptr, 0, false).count, '\0');
  codepage::Utf16ToUtf8(units, wide.size(), utf8.data(), utf8.size(), false);
  return utf8;
}

std::string NarrowPath(std::wstring_view wide) {
  std::string native = Narrow(wide);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

}  // namespace utility::platform::win32
