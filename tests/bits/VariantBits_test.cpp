// SetBit and GetBit on variants: the usual flag sense, the width by type, VT_BOOL's widening
// and the types that have no bits to address.
#include <bit>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

namespace {

COleVariant Make(VARTYPE vt, std::uint64_t bits) {
  COleVariant v;
  v.vt = vt;
  std::memcpy(&v.llVal, &bits, sizeof bits);
  return v;
}

std::uint64_t BitsOf(const VARIANT& v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v.llVal, sizeof bits);
  return bits;
}

// Each numeric type behaves as its typed overload, SetBit with the flag reversed, and keeps its
// type; GetBit widens VT_BOOL as the 16-bit signed value it holds.
TEST(VariantBits, MatchTheTypedOverloads) {
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
          COleVariant v = Make(vt, bits);
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
        EXPECT_EQ(CUtility::GetBit(Make(VT_BOOL, bits), index), CUtility::GetBit(static_cast<short>(bits), index));
      }
    }
  }
}

TEST(VariantSetBit, BoolBecomesTrueOrFalseByTheWidenedValue) {
  struct Case {
    VARIANT_BOOL start;
    int index;
    bool flag;
    VARIANT_BOOL expected;
    const char* what;
  };
  for (const Case& c : {Case{VARIANT_FALSE, 0, true, VARIANT_TRUE, "setting any bit of false"},
                        Case{VARIANT_FALSE, 31, true, VARIANT_TRUE, "setting a sign-extended bit"},
                        Case{VARIANT_TRUE, 5, false, VARIANT_TRUE, "clearing one bit of true"},
                        Case{VARIANT_TRUE, 20, false, VARIANT_TRUE, "clearing a widened bit of true"},
                        Case{VARIANT_FALSE, 7, false, VARIANT_FALSE, "clearing a bit of false"},
                        Case{1, 0, false, VARIANT_FALSE, "clearing the only bit of a non-standard true"},
                        Case{1, 1, false, VARIANT_TRUE, "clearing another bit of it normalises it"},
                        Case{2, 33, false, VARIANT_FALSE, "index 33 is bit 1"}}) {
    SCOPED_TRACE(c.what);
    COleVariant v = Make(VT_BOOL, static_cast<std::uint16_t>(c.start));
    CUtility::SetBit(v, c.index, c.flag);
    EXPECT_EQ(v.vt, VT_BOOL);
    EXPECT_EQ(v.boolVal, c.expected);
  }
}

TEST(VariantBits, TypesWithoutBitsAreLeftAloneAndReadZero) {
  const std::uint64_t pattern = 0xFFFFFFFFFFFFFFFFull;
  const VARTYPE types[] = {VT_EMPTY, VT_NULL, VT_CY,  VT_DATE,          VT_ERROR,         VT_INT,
                           VT_UINT,  VT_I8,   VT_UI8, VT_I4 | VT_BYREF, VT_UI1 | VT_BYREF};
  for (VARTYPE vt : types) {
    SCOPED_TRACE("vt " + std::to_string(vt));
    for (int index = -1; index <= 32; ++index) {
      COleVariant v = Make(vt, pattern);
      CUtility::SetBit(v, index, false);
      EXPECT_EQ(BitsOf(v), pattern);
      EXPECT_EQ(v.vt, vt);
      EXPECT_EQ(CUtility::GetBit(Make(vt, pattern), index), 0);
      v.vt = VT_EMPTY;  // the pattern is no value a clear could release
    }
  }
  COleVariant text(u"text");
  const BSTR before = text.bstrVal;
  CUtility::SetBit(text, 0, true);
  EXPECT_EQ(text.bstrVal, before);
  EXPECT_EQ(text.vt, VT_BSTR);
  for (int index = 0; index < 32; ++index) EXPECT_EQ(CUtility::GetBit(text, index), 0);
}

}  // namespace
