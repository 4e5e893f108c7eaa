// The system's error texts, from FormatMessageW: in the user's language, or in US English
// when asked for untranslated texts and the system has them.
#include "NativeMessages.h"

#include <windows.h>

#include "win32/Wide.h"

namespace utility::platform {

bool NativeErrorText(NativeError code, bool english, std::string& utf8) {
  const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
  const DWORD language = english ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US) : 0;
  wchar_t text[1024];
  DWORD length = FormatMessageW(flags, nullptr, code, language, text, 1024, nullptr);
  if (length == 0 && english) length = FormatMessageW(flags, nullptr, code, 0, text, 1024, nullptr);
  // The width mask turns line ends into spaces; drop the ones left at the end.
  while (length > 0 && (text[length - 1] == L' ' || text[length - 1] == L'\r' || text[length - 1] == L'\n')) --length;
  utf8 = win32::Narrow(std::wstring_view(text, length));
  return !utf8.empty();
}

}  // namespace utility::platform
