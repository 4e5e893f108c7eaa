// Masks and stored-bit access shared by the bit operations. Floating-point values are read and
// written through their representation with std::bit_cast, never through a pointer pun.
#pragma once

#include <bit>
#include <cstdint>

namespace utility::bits {

// 1 << (index modulo 32), formed in `Width` bits: 0 when the index reaches past that width.
template <unsigned Width>
constexpr std::uint32_t Mask(int index) noexcept {
  const unsigned shift = static_cast<unsigned>(index) & 31u;
  return shift < Width ? (std::uint32_t{1} << shift) : 0u;
}

// Sets (set == true) or clears the masked bits of a 32-bit pattern.
constexpr std::uint32_t Apply(std::uint32_t value, std::uint32_t mask, bool set) noexcept {
  return set ? (value | mask) : (value & ~mask);
}

// Bit (index modulo 32) of a value already widened to 32 bits.
constexpr int Test(std::uint32_t widened, int index) noexcept {
  const std::uint32_t mask = Mask<32>(index);
  return (widened & mask) == mask ? 1 : 0;
}

// The widened forms: sign extension for signed types, zero extension for unsigned ones.
constexpr std::uint32_t Widen(std::int8_t v) noexcept {
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
}
constexpr std::uint32_t Widen(std::uint8_t v) noexcept { return v; }
constexpr std::uint32_t Widen(std::int16_t v) noexcept {
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
}
constexpr std::uint32_t Widen(std::uint16_t v) noexcept { return v; }

inline std::uint32_t StoredBits(float v) noexcept { return std::bit_cast<std::uint32_t>(v); }
// Only the low half of a double's representation is reachable by a 32-bit index.
inline std::uint32_t LowStoredBits(double v) noexcept {
  return static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(v));
}

inline float WithStoredBits(std::uint32_t bits) noexcept { return std::bit_cast<float>(bits); }
inline double WithLowStoredBits(double v, std::uint32_t low) noexcept {
  const std::uint64_t high = std::bit_cast<std::uint64_t>(v) & 0xFFFFFFFF00000000ull;
  return std::bit_cast<double>(high | low);
}

}  // namespace utility::bits
