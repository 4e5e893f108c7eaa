// SetBit and GetBit. On plain values, against the rule: the index is taken modulo 32; GetBit
// reads bit i of the value widened to 32 bits (by sign for signed types, a float's stored bits,
// a double's low half); SetBit sets on false and clears on true (the typed overloads' reversed
// flag) bit i of the type's own bits, and nothing when i reaches past the type's width. On
// variants: the usual flag sense, the width by type, VT_BOOL's widening and the types that have
// no bits to address.
#include <bit>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

#include "variant/VariantValues.h"

namespace {

using utility::testsupport::variants::Raw;

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

// GetBit of one typed value against the widened value; SetBit with both flags against the rule,
// and read back.
template <class T>
void ExpectBits(T value, std::int64_t widened, int index) {
  ASSERT_EQ(CUtility::GetBit(value, index), ExpectedBit(widened, index)) << sizeof(T) << " bytes, " << widened;
  for (bool flag : {false, true}) {
    T changed = value;
    CUtility::SetBit(changed, index, flag);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &changed, sizeof changed);
    ASSERT_EQ(bits, ExpectedSet(value, index, flag)) << sizeof(T) << " bytes, index " << index << " flag " << flag;
    if (Index(index) < 8 * static_cast<int>(sizeof(T))) {
      ASSERT_EQ(CUtility::GetBit(changed, index), flag ? 0 : 1) << "read back, index " << index;
    }
  }
}

TEST(BitAccess, SetAndGetFollowTheRuleOverGeneratedValues) {
  std::mt19937_64 rng(20261206);
  for (int round = 0; round < 400 && !HasFailure(); ++round) {
    const std::uint64_t bits64 = rng();
    const auto bits = static_cast<std::uint32_t>(bits64);
    for (int index = -70; index <= 70; ++index) {
      SCOPED_TRACE(testing::Message() << "bits " << bits64 << " index " << index);
      ExpectBits(static_cast<char>(static_cast<std::int8_t>(bits)), static_cast<std::int8_t>(bits), index);
      ExpectBits(static_cast<unsigned char>(bits), static_cast<unsigned char>(bits), index);
      ExpectBits(static_cast<short>(static_cast<std::int16_t>(bits)), static_cast<std::int16_t>(bits), index);
      ExpectBits(static_cast<unsigned short>(bits), static_cast<unsigned short>(bits), index);
      ExpectBits(static_cast<int>(bits), bits, index);
      ExpectBits(bits, bits, index);
      ExpectBits(std::bit_cast<float>(bits), bits, index);
      ExpectBits(std::bit_cast<double>(bits64), bits, index);  // a double's low half
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

std::uint64_t BitsOf(const VARIANT& v) { return static_cast<std::uint64_t>(v.llVal); }

// Each numeric type behaves as its typed overload, SetBit with the flag reversed, and keeps its
// type; GetBit widens VT_BOOL as the 16-bit signed value it holds; the other types have no bits.
TEST(VariantBits, MatchTheTypedOverloads) {
  const VARTYPE kNoBits[] = {VT_EMPTY, VT_NULL, VT_CY,  VT_DATE,          VT_ERROR,         VT_INT,
                             VT_UINT,  VT_I8,   VT_UI8, VT_I4 | VT_BYREF, VT_UI1 | VT_BYREF};
  const unsigned seed = 4102;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937_64 rng(seed);
  for (int round = 0; round < 200; ++round) {
    const std::uint64_t bits = rng();
    for (int index = -33; index <= 40; ++index) {
      for (bool flag : {false, true}) {
        SCOPED_TRACE("bits " + std::to_string(bits) + " index " + std::to_string(index) + " flag " +
                     std::to_string(flag));
        const auto check = [&](VARTYPE vt, auto typed) {
          COleVariant v = Raw(vt, bits);
          EXPECT_EQ(CUtility::GetBit(v, index), CUtility::GetBit(typed, index)) << "vt " << vt;
          CUtility::SetBit(v, index, flag);
          CUtility::SetBit(typed, index, !flag);
          EXPECT_EQ(v.vt, vt);
          std::uint64_t expected = bits;
          std::memcpy(&expected, &typed, sizeof typed);  // the untouched bytes stay as they were
          EXPECT_EQ(BitsOf(v), expected) << "vt " << vt;
        };
        check(VT_I1, static_cast<char>(bits));
        check(VT_UI1, static_cast<unsigned char>(bits));
        check(VT_I2, static_cast<short>(bits));
        check(VT_UI2, static_cast<unsigned short>(bits));
        check(VT_I4, static_cast<int>(bits));
        check(VT_UI4, static_cast<unsigned>(bits));
        check(VT_R4, std::bit_cast<float>(static_cast<std::uint32_t>(bits)));
        check(VT_R8, std::bit_cast<double>(bits));
        EXPECT_EQ(CUtility::GetBit(Raw(VT_BOOL, bits), index), CUtility::GetBit(static_cast<short>(bits), index));
        // The types without bits to address are left alone and read as zero.
        for (VARTYPE vt : kNoBits) {
          COleVariant v = Raw(vt, bits);
          CUtility::SetBit(v, index, flag);
          EXPECT_EQ(BitsOf(v), bits) << "vt " << vt;
          EXPECT_EQ(v.vt, vt);
          EXPECT_EQ(CUtility::GetBit(v, index), 0) << "vt " << vt;
          v.vt = VT_EMPTY;  // the pattern is no value a clear could release
        }
      }
    }
  }
}

TEST(VariantSetBit, BoolBecomesTrueOrFalseByTheWidenedValue) {
  auto check = [](VARIANT_BOOL start, int index, bool flag, VARIANT_BOOL expected) {
    COleVariant v = Raw(VT_BOOL, static_cast<std::uint16_t>(start));
    CUtility::SetBit(v, index, flag);
    EXPECT_EQ(v.vt, VT_BOOL);
    EXPECT_EQ(v.boolVal, expected) << start << " index " << index << " flag " << flag;
  };
  check(VARIANT_FALSE, 0, true, VARIANT_TRUE);
  check(VARIANT_FALSE, 31, true, VARIANT_TRUE);  // a bit of the sign extension
  check(VARIANT_TRUE, 20, false, VARIANT_TRUE);  // clearing one widened bit of true
  check(1, 0, false, VARIANT_FALSE);             // the only bit of a non-standard true
  check(1, 1, false, VARIANT_TRUE);              // another bit: normalised
  check(2, 33, false, VARIANT_FALSE);            // index 33 is bit 1
}

TEST(VariantBits, AStringIsLeftAloneAndReadsZero) {
  COleVariant text(u"text");
  const BSTR before = text.bstrVal;
  CUtility::SetBit(text, 0, true);
  EXPECT_EQ(text.bstrVal, before);
  EXPECT_EQ(text.vt, VT_BSTR);
  for (int index = 0; index < 32; ++index) EXPECT_EQ(CUtility::GetBit(text, index), 0);
}

}  // namespace
