// Whole texts through the code page calls: measured, then converted into exactly that room.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include <Utility/Platform/CodePage.h>

#include "support/TempDir.h"

namespace utility::testsupport {

inline std::u16string ToWide(UINT codePage, DWORD flags, const std::string& bytes) {
  const int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  if (n > 0) {
    EXPECT_EQ(MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                                  reinterpret_cast<WCHAR*>(out.data()), n),
              n);
  }
  return out;
}

inline std::string ToBytes(UINT codePage, DWORD flags, const std::u16string& units, const char* defaultChar = nullptr,
                           BOOL* usedDefault = nullptr) {
  const int size = static_cast<int>(units.size());
  const int n = WideCharToMultiByte(codePage, flags, W(units), size, nullptr, 0, defaultChar, usedDefault);
  std::string out(static_cast<std::size_t>(n), '\0');
  if (n > 0) {
    EXPECT_EQ(WideCharToMultiByte(codePage, flags, W(units), size, out.data(), n, defaultChar, usedDefault), n);
  }
  return out;
}

}  // namespace utility::testsupport
