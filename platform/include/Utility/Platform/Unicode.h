// Fixed, locale-independent character classes for UTF-16 units: the Unicode White_Space set
// and one simple (1:1) case mapping, the same for every caller.
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

namespace utility::platform {

// IsWhiteSpace()
//
// True for U+0009–U+000D, U+0020, U+0085, U+00A0, U+1680, U+2000–U+200A, U+2028, U+2029,
// U+202F, U+205F and U+3000.
//
// Example:
//   IsWhiteSpace(0x3000) == true;   IsWhiteSpace(u'x') == false
inline bool IsWhiteSpace(WCHAR ch) noexcept {
  // Inline: trimming and token scanning ask this of every unit they pass.
  if (ch <= 0x20) return ch == 0x20 || (ch >= 0x09 && ch <= 0x0D);
  if (ch < 0x85) return false;
  switch (ch) {
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
      return true;
    default:
      return ch >= 0x2000 && ch <= 0x200A;
  }
}

// ToUpperUnit(), ToLowerUnit()
//
// The Unicode simple upper/lower case mapping of a unit in the Basic Multilingual Plane;
// units without a single-unit mapping (and surrogates) map to themselves.
//
// Example:
//   ToUpperUnit(u'a') == u'A';   ToUpperUnit(0x00E9) == 0x00C9;   ToUpperUnit(u'1') == u'1'
UTILITY_PLATFORM_API WCHAR ToUpperUnit(WCHAR ch) noexcept;
UTILITY_PLATFORM_API WCHAR ToLowerUnit(WCHAR ch) noexcept;

}  // namespace utility::platform
