// SetBit and GetBit: the reversed flag of the typed overloads, the index taken modulo 32,
// masks that vanish past a type's width, sign extension and the stored bits of floats.
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

namespace {

// Bit i (modulo 32) of a value widened to 32 bits, read with an arithmetic shift: a literal
// statement of the rule that does not share the library's masks.
int ExpectedBit(std::int64_t widened, int index) {
  const int i = ((index % 32) + 32) % 32;
  return static_cast<int>((widened >> i) & 1);
}

TEST(SetBit, TypedOverloadsSetOnFalseAndClearOnTrue) {
  struct Case {
    int value;
    int index;
    bool flag;
    int expected;
  };
  for (const Case& c : {Case{0, 3, false, 8}, Case{15, 3, true, 7}, Case{0, 35, false, 8},
                        Case{0, -1, false, static_cast<int>(0x80000000u)}, Case{-1, 31, true, 0x7FFFFFFF},
                        Case{8, 3, false, 8}, Case{7, 3, true, 7}, Case{0, 32, false, 1}}) {
    SCOPED_TRACE("value " + std::to_string(c.value) + " index " + std::to_string(c.index));
    int v = c.value;
    CUtility::SetBit(v, c.index, c.flag);
    EXPECT_EQ(v, c.expected);
    unsigned u = static_cast<unsigned>(c.value);
    CUtility::SetBit(u, c.index, c.flag);
    EXPECT_EQ(u, static_cast<unsigned>(c.expected));
  }
}

TEST(SetBit, NarrowMasksVanishPastTheWidth) {
  for (int index = -64; index <= 64; ++index) {
    SCOPED_TRACE("index " + std::to_string(index));
    const int bit = ((index % 32) + 32) % 32;
    char c = 0x55;
    unsigned char uc = 0xAA;
    short s = 0x5555;
    unsigned short us = 0xAAAA;
    CUtility::SetBit(c, index, false);
    CUtility::SetBit(uc, index, true);
    CUtility::SetBit(s, index, false);
    CUtility::SetBit(us, index, true);
    EXPECT_EQ(static_cast<unsigned char>(c), bit < 8 ? (0x55 | (1 << bit)) : 0x55);
    EXPECT_EQ(uc, bit < 8 ? (0xAA & ~(1 << bit)) : 0xAA);
    EXPECT_EQ(static_cast<unsigned short>(s), bit < 16 ? (0x5555 | (1 << bit)) : 0x5555);
    EXPECT_EQ(us, bit < 16 ? (0xAAAA & ~(1 << bit)) : 0xAAAA);
  }
}

TEST(SetBit, BoolStoresTheFlagWhateverTheIndex) {
  for (int index : {0, 1, 31, 32, -1, 1000}) {
    bool b = false;
    CUtility::SetBit(b, index, true);
    EXPECT_TRUE(b);
    CUtility::SetBit(b, index, false);
    EXPECT_FALSE(b);
  }
}

TEST(SetBit, FloatReachesSignAndExponent) {
  float f = 1.0f;
  CUtility::SetBit(f, 31, false);
  EXPECT_EQ(f, -1.0f);
  CUtility::SetBit(f, 31, true);
  EXPECT_EQ(f, 1.0f);
  // Bit 23 is the lowest exponent bit: 1.0 has exponent 127 (odd), clearing it gives 0.5.
  CUtility::SetBit(f, 23, true);
  EXPECT_EQ(f, 0.5f);
  CUtility::SetBit(f, 0, false);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(f), 0x3F000001u);
}

TEST(SetBit, DoubleChangesOnlyTheLowHalf) {
  for (double start : {1.0, -2.5, 1e300, 0.0}) {
    for (bool flag : {false, true}) {
      for (int index : {0, 31, -1, 63, 52}) {
        SCOPED_TRACE(std::to_string(start) + " flag " + std::to_string(flag) + " index " + std::to_string(index));
        double d = start;
        CUtility::SetBit(d, index, flag);
        const std::uint64_t before = std::bit_cast<std::uint64_t>(start);
        const std::uint64_t after = std::bit_cast<std::uint64_t>(d);
        EXPECT_EQ(after >> 32, before >> 32);
        const std::uint32_t mask = 1u << (((index % 32) + 32) % 32);
        const std::uint32_t low = static_cast<std::uint32_t>(before);
        EXPECT_EQ(static_cast<std::uint32_t>(after), flag ? (low & ~mask) : (low | mask));
      }
    }
  }
}

TEST(GetBit, WidensBySignOrZeroExtension) {
  EXPECT_EQ(CUtility::GetBit(static_cast<char>(-128), 9), 1);
  EXPECT_EQ(CUtility::GetBit(static_cast<unsigned char>(128), 9), 0);
  EXPECT_EQ(CUtility::GetBit(static_cast<unsigned char>(128), 7), 1);
  EXPECT_EQ(CUtility::GetBit(static_cast<short>(-32768), 20), 1);
  EXPECT_EQ(CUtility::GetBit(static_cast<unsigned short>(32768), 20), 0);
  EXPECT_EQ(CUtility::GetBit(static_cast<int>(0x80000000u), -1), 1);
  EXPECT_EQ(CUtility::GetBit(8u, 35), 1);
}

TEST(GetBit, MatchesTheWidenedValueForEveryIndex) {
  const unsigned seed = 20261206;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  for (int round = 0; round < 500; ++round) {
    const auto bits = static_cast<std::uint32_t>(rng());
    for (int index = -40; index <= 70; ++index) {
      const auto c = static_cast<char>(static_cast<std::int8_t>(bits));
      const auto uc = static_cast<unsigned char>(bits);
      const auto s = static_cast<short>(static_cast<std::int16_t>(bits));
      const auto us = static_cast<unsigned short>(bits);
      ASSERT_EQ(CUtility::GetBit(c, index), ExpectedBit(static_cast<std::int8_t>(bits), index)) << bits << " " << index;
      ASSERT_EQ(CUtility::GetBit(uc, index), ExpectedBit(uc, index)) << bits << " " << index;
      ASSERT_EQ(CUtility::GetBit(s, index), ExpectedBit(static_cast<std::int16_t>(bits), index))
          << bits << " " << index;
      ASSERT_EQ(CUtility::GetBit(us, index), ExpectedBit(us, index)) << bits << " " << index;
      ASSERT_EQ(CUtility::GetBit(static_cast<int>(bits), index), ExpectedBit(bits, index)) << bits << " " << index;
      ASSERT_EQ(CUtility::GetBit(bits, index), ExpectedBit(bits, index)) << bits << " " << index;
      ASSERT_EQ(CUtility::GetBit(std::bit_cast<float>(bits), index), ExpectedBit(bits, index)) << bits << " " << index;
      const double d = std::bit_cast<double>((std::uint64_t{~bits} << 32) | bits);
      ASSERT_EQ(CUtility::GetBit(d, index), ExpectedBit(bits, index)) << bits << " " << index;
    }
  }
}

TEST(GetBit, DoubleNeverShowsItsHighHalf) {
  for (int index = -32; index < 64; ++index) {
    EXPECT_EQ(CUtility::GetBit(1.0, index), 0) << index;
    EXPECT_EQ(CUtility::GetBit(-1e300, index),
              ExpectedBit(static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(-1e300)), index));
  }
}

TEST(GetBit, ReadsBackWhatSetBitWrote) {
  for (int index = 0; index < 32; ++index) {
    int v = 0;
    CUtility::SetBit(v, index, false);
    EXPECT_EQ(CUtility::GetBit(v, index), 1);
    float f = 0.0f;
    CUtility::SetBit(f, index, false);
    EXPECT_EQ(CUtility::GetBit(f, index), 1);
    double d = 0.0;
    CUtility::SetBit(d, index, false);
    EXPECT_EQ(CUtility::GetBit(d, index), 1);
    CUtility::SetBit(d, index, true);
    EXPECT_EQ(d, 0.0);
  }
}

}  // namespace
