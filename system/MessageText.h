// Internal: the last steps of GetLastErrorText, apart so that the 1023-unit cut can be tested
// with a message of any length.
#pragma once

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/String.h>

#include <string>

namespace utility::system {

// The error text buffer: 1024 units, so at most 1023 units of a message are kept.
inline constexpr int kErrorTextUnits = 1024;

// The text GetLastErrorText returns for a system message: at most 1023 units of it, taken
// through the ANSI code page and back, so that what the code page cannot hold comes back as
// its default character.
inline CString MessageToText(const WCHAR* message) {
  WCHAR buffer[kErrorTextUnits] = {};
  int n = 0;
  while (n < kErrorTextUnits - 1 && message[n] != 0) {
    buffer[n] = message[n];
    ++n;
  }
  buffer[n] = 0;
  CString result;
  const int bytes = WideCharToMultiByte(CP_ACP, 0, buffer, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return result;
  std::string ansi(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, buffer, -1, ansi.data(), bytes, nullptr, nullptr);
  const int units = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  if (units <= 0) return result;
  WCHAR* out = result.GetBuffer(units);
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, out, units);
  result.ReleaseBuffer();
  return result;
}

}  // namespace utility::system
