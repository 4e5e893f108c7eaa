// Decimal digits, bit fields and raw bytes of 32-bit integers. The arithmetic is done in 64
// bits, or in unsigned 32 bits where the result is meant to wrap, so that no position, digit
// or width leads to a division by zero or a signed overflow.
#include <cstdint>

#include <Utility/Utility.h>

namespace {

// 10^n for 0 <= n <= 18, exactly.
std::int64_t PowerOfTen(int n) noexcept {
  std::int64_t p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

}  // namespace

int CUtility::GetDigit(int value, int position) {
  // Past position 9 the divisor exceeds every 32-bit value; before 0 it would be a fraction
  // that truncates to zero. Both read as "no such digit".
  if (position < 0 || position > 9) return 0;
  const std::int64_t a = PowerOfTen(position + 1);
  const std::int64_t b = PowerOfTen(position);
  // 64-bit remainder and quotient truncate toward zero, so negative values give negative
  // digits; position 9 of INT_MIN is its leading digit, -2.
  return static_cast<int>((static_cast<std::int64_t>(value) % a) / b);
}

ULONG CUtility::SetDigit(int value, int position, int digit) {
  if (static_cast<unsigned>(digit) > 9u) return 0;  // negative digits fail as large unsigned ones
  if (position < 0 || position > 9) return 0;
  const std::int64_t p = PowerOfTen(position);
  const std::int64_t q = 10 * p;
  const std::int64_t v = value;
  const std::int64_t high = v / q;
  const std::int64_t below = (v % q) % p;
  // The 32-bit sum wraps as the unsigned result it is returned as.
  const std::int64_t sum = high * q + digit * p + below;
  return static_cast<ULONG>(static_cast<std::uint64_t>(sum) & 0xFFFFFFFFu);
}

int CUtility::ConvertToBitValue(int value, int shift, int width) {
  std::uint32_t mask = 0;
  if (width >= 32) {
    mask = 0xFFFFFFFFu;
  } else if (width > 0) {
    mask = (std::uint32_t{1} << width) - 1u;
  }
  // A signed right shift propagates the sign bit (arithmetic shift, defined since C++20).
  const int shifted = value >> (static_cast<unsigned>(shift) & 31u);
  return static_cast<int>(static_cast<std::uint32_t>(shifted) & mask);
}

unsigned char CUtility::GetByte(void* buffer, int index) {
  if (buffer == nullptr) return 0;
  return static_cast<const unsigned char*>(buffer)[index];
}
