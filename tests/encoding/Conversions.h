// Helpers shared by the conversion tests: unit pointers of literals and text views of results.
#pragma once

#include <cstring>
#include <string>

#include <Utility/Utility.h>

namespace utility::testsupport::conversions {

inline const unsigned short* W(const char16_t* s) { return reinterpret_cast<const unsigned short*>(s); }
inline const unsigned short* W(const std::u16string& s) { return reinterpret_cast<const unsigned short*>(s.c_str()); }

inline std::u16string Units(const unsigned short* p, std::size_t n) {
  return std::u16string(reinterpret_cast<const char16_t*>(p), n);
}

inline std::u16string Text(const CString& s) { return std::u16string(s.View()); }

}  // namespace utility::testsupport::conversions
