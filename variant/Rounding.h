// The two ways a double becomes an integer in the variant operations, and what happens to a
// double that the intermediate integer cannot hold.
#pragma once

#include <cstdint>

namespace utility::variant {

// Values the intermediate integer cannot hold (and NaN) give the most negative value of its
// width: what the x86 processor's truncating conversion gives for them, so hosts see the
// numbers they saw on the original 32-bit platform.
inline std::int32_t TruncateToInt32(double value) noexcept {
  if (value > -2147483649.0 && value < 2147483648.0) return static_cast<std::int32_t>(value);
  return INT32_MIN;
}

inline std::int64_t TruncateToInt64(double value) noexcept {
  if (value >= -9223372036854775808.0 && value < 9223372036854775808.0) return static_cast<std::int64_t>(value);
  return INT64_MIN;
}

// Half away from zero, computed in double precision as the sum value ± 0.5, then truncated.
inline double RoundingSum(double value) noexcept { return value >= 0 ? value + 0.5 : value - 0.5; }

inline std::int32_t RoundToInt32(double value) noexcept { return TruncateToInt32(RoundingSum(value)); }
inline std::int64_t RoundToInt64(double value) noexcept { return TruncateToInt64(RoundingSum(value)); }

}  // namespace utility::variant
