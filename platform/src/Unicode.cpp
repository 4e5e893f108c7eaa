// Fixed character classes for UTF-16 units: White_Space and the simple case mappings.
// The case tables are generated (tools/gen_unicode_tables.py) so that they never depend on
// the process locale; a lookup is two array reads.
#include <Utility/Platform/Unicode.h>

#include "UnicodeTables.inc"

namespace {

constexpr unsigned kBlockMask = (1u << kCaseBlockShift) - 1;

WCHAR Apply(const unsigned char* index, const unsigned short (*delta)[1u << kCaseBlockShift],
            WCHAR ch) noexcept {
  const unsigned d = delta[index[ch >> kCaseBlockShift]][ch & kBlockMask];
  return static_cast<WCHAR>((ch + d) & 0xFFFFu);
}

}  // namespace

bool IsWhiteSpace(WCHAR ch) noexcept {
  if (ch <= 0x20) return ch == 0x20 || (ch >= 0x09 && ch <= 0x0D);
  if (ch < 0x85) return false;
  switch (ch) {
    case 0x85: case 0xA0: case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F:
    case 0x3000:
      return true;
    default:
      return ch >= 0x2000 && ch <= 0x200A;
  }
}

WCHAR ToUpperUnit(WCHAR ch) noexcept { return Apply(kUpperIndex, kUpperDelta, ch); }

WCHAR ToLowerUnit(WCHAR ch) noexcept { return Apply(kLowerIndex, kLowerDelta, ch); }
