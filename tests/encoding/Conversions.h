// Helpers shared by the conversion tests: text views of results, and the conversions written
// out step by step as a plain reference for the optimised ones.
#pragma once

#include <cstring>
#include <string>

#include <Utility/Utility.h>

namespace conversions {

inline const unsigned short* W(const char16_t* s) { return reinterpret_cast<const unsigned short*>(s); }
inline const unsigned short* W(const std::u16string& s) { return reinterpret_cast<const unsigned short*>(s.c_str()); }

inline std::u16string Units(const unsigned short* p, std::size_t n) {
  return std::u16string(reinterpret_cast<const char16_t*>(p), n);
}

inline std::u16string Text(const CString& s) { return std::u16string(s.View()); }

// The new-array conversions exactly as their steps read: measure, a zeroed array of n + 1,
// convert with capacity n.
inline unsigned short* LiteralAnsiToUnicode1(const char* text) {
  if (text == nullptr) return nullptr;
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  auto* array = new unsigned short[static_cast<std::size_t>(n) + 1]();
  MultiByteToWideChar(CP_ACP, 0, text, -1, array, n);
  return array;
}

inline CString LiteralAnsiToUnicode2(const char* text) {
  if (text == nullptr) return CString();
  unsigned short* array = LiteralAnsiToUnicode1(text);
  CString result(array);
  delete[] array;
  return result;
}

inline char* LiteralUnicodeToAnsi(const unsigned short* text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  auto* array = new char[static_cast<std::size_t>(n) + 1]();
  WideCharToMultiByte(CP_ACP, 0, text, -1, array, n, nullptr, nullptr);
  return array;
}

}  // namespace conversions
