// SetBit and GetBit on plain values, against the rule: the index is taken modulo 32; GetBit
// reads bit i of the value widened to 32 bits (by sign for signed types, a float's stored bits,
// a double's low half); SetBit sets on false and clears on true (the typed overloads' reversed
// flag) bit i of the type's own bits, and nothing when i reaches past the type's width.
#include <bit>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

namespace {

int Index(int index) { return ((index % 32) + 32) % 32; }

// Bit i of a value widened to 32 bits, read with an arithmetic shift.
int ExpectedBit(std::int64_t widened, int index) { return static_cast<int>((widened >> Index(index)) & 1); }

// The type's stored bits after SetBit(value, index, flag).
template <class T>
std::uint64_t ExpectedSet(T value, int index, bool flag) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof value);
  const int width = sizeof(T) >= 4 ? 32 : 8 * static_cast<int>(sizeof(T));  // a double's low half only
  if (Index(index) >= width) return bits;
  const std::uint64_t mask = std::uint64_t{1} << Index(index);
  return flag ? (bits & ~mask) : (bits | mask);
}

template <class T>
void ExpectSetBit(T value, int index, bool flag) {
  T changed = value;
  CUtility::SetBit(changed, index, flag);
  std::uint64_t bits = 0;
  std::memcpy(&bits, &changed, sizeof changed);
  ASSERT_EQ(bits, ExpectedSet(value, index, flag)) << sizeof(T) << "-byte value, index " << index << " flag " << flag;
  if (Index(index) < 8 * static_cast<int>(sizeof(T))) {
    ASSERT_EQ(CUtility::GetBit(changed, index), flag ? 0 : 1) << "read back, index " << index;
  }
}

TEST(BitAccess, SetAndGetFollowTheRuleOverGeneratedValues) {
  const unsigned seed = 20261206;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937_64 rng(seed);
  for (int round = 0; round < 400; ++round) {
    const std::uint64_t bits64 = rng();
    const auto bits = static_cast<std::uint32_t>(bits64);
    for (int index = -70; index <= 70; ++index) {
      const auto c = static_cast<char>(static_cast<std::int8_t>(bits));
      const auto uc = static_cast<unsigned char>(bits);
      const auto s = static_cast<short>(static_cast<std::int16_t>(bits));
      const auto us = static_cast<unsigned short>(bits);
      const double d = std::bit_cast<double>(bits64);
      ASSERT_EQ(CUtility::GetBit(c, index), ExpectedBit(static_cast<std::int8_t>(bits), index)) << bits << " " << index;
      ASSERT_EQ(CUtility::GetBit(uc, index), ExpectedBit(uc, index)) << bits << " " << index;
      ASSERT_EQ(CUtility::GetBit(s, index), ExpectedBit(static_cast<std::int16_t>(bits), index))
          << bits << " " << index;
      ASSERT_EQ(CUtility::GetBit(us, index), ExpectedBit(us, index)) << bits << " " << index;
      ASSERT_EQ(CUtility::GetBit(static_cast<int>(bits), index), ExpectedBit(bits, index)) << bits << " " << index;
      ASSERT_EQ(CUtility::GetBit(bits, index), ExpectedBit(bits, index)) << bits << " " << index;
      ASSERT_EQ(CUtility::GetBit(std::bit_cast<float>(bits), index), ExpectedBit(bits, index)) << bits << " " << index;
      ASSERT_EQ(CUtility::GetBit(d, index), ExpectedBit(bits, index)) << bits << " " << index;
      for (bool flag : {false, true}) {
        ExpectSetBit(c, index, flag);
        ExpectSetBit(uc, index, flag);
        ExpectSetBit(s, index, flag);
        ExpectSetBit(us, index, flag);
        ExpectSetBit(static_cast<int>(bits), index, flag);
        ExpectSetBit(bits, index, flag);
        ExpectSetBit(std::bit_cast<float>(bits), index, flag);
        ExpectSetBit(d, index, flag);
        if (HasFatalFailure()) return;
      }
    }
  }
}

TEST(BitAccess, BoolStoresTheFlagWhateverTheIndex) {
  for (int index : {0, 31, 32, -1, 1000}) {
    bool b = false;
    CUtility::SetBit(b, index, true);
    EXPECT_TRUE(b);
    CUtility::SetBit(b, index, false);
    EXPECT_FALSE(b);
  }
}

}  // namespace
