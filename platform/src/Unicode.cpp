// The simple case mappings of UTF-16 units (the White_Space test is inline in the header).
// The case tables are generated (tools/gen_unicode_tables.py) so that they never depend on
// the process locale; a lookup is two array reads.
#include <Utility/Platform/Unicode.h>

#include "UnicodeTables.inc"

namespace {

constexpr unsigned kBlockMask = (1u << kCaseBlockShift) - 1;

WCHAR Apply(const unsigned char* index, const unsigned short (*delta)[1u << kCaseBlockShift], WCHAR ch) noexcept {
  const unsigned d = delta[index[ch >> kCaseBlockShift]][ch & kBlockMask];
  return static_cast<WCHAR>((ch + d) & 0xFFFFu);
}

}  // namespace

WCHAR utility::platform::ToUpperUnit(WCHAR ch) noexcept { return Apply(kUpperIndex, kUpperDelta, ch); }

WCHAR utility::platform::ToLowerUnit(WCHAR ch) noexcept { return Apply(kLowerIndex, kLowerDelta, ch); }
