// Storing doubles into variants and reading them back: rounding against truncation per type,
// wrapping to the type's bytes, the bytes beyond them, and the typed read.
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "variant/VariantValues.h"

namespace {

using namespace utility::testsupport::variants;

// The model: VT_I2, VT_I4, VT_UI2 and VT_UI4 round half away from zero (the sum d +- 0.5 in
// double precision, truncated), the rest truncate; the integer is then taken modulo 2^bits
// into the type's range, bits and sign coming from the catalogue. A VT_BOOL holds 16 bits
// and reads as 0 or 1; reals are only narrowed.
double ModelHeld(double d, VARTYPE vt) {
  if (vt == VT_R8) return d;
  if (vt == VT_R4) return static_cast<double>(static_cast<float>(d));
  double lo = 0, hi = 0;
  if (CUtility::GetVarTypeLimit(vt, lo, hi) == 0) return 0.0;
  const bool rounds = vt == VT_I2 || vt == VT_I4 || vt == VT_UI2 || vt == VT_UI4;
  const long long n = static_cast<long long>(std::trunc(rounds ? (d >= 0 ? d + 0.5 : d - 0.5) : d));
  const int bits = vt == VT_BOOL ? 16 : 8 * CUtility::GetSizeByVT(vt);
  const long long modulus = 1LL << bits;
  long long r = ((n % modulus) + modulus) % modulus;
  if ((lo < 0 || vt == VT_BOOL) && r >= modulus / 2) r -= modulus;
  return vt == VT_BOOL ? (r != 0 ? 1.0 : 0.0) : static_cast<double>(r);
}

TEST(DoubleToVar, RoundsTruncatesAndWrapsAsEachTypeSays) {
  struct Case {
    double value;
    VARTYPE vt;
    long long want;  // the stored integer, VT_BOOL's unnormalised
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  // A wrap for each type (the model test below covers the rest of the range), the rounding sum
  // of the largest double below 0.5 (1), VT_BOOL without normalisation; then values the
  // intermediate integer cannot hold (NaN, or a rounding sum out of range), which become its
  // most negative value.
  const Case cases[] = {{40000.0, VT_I2, -25536},
                        {0.49999999999999994, VT_I4, 1},
                        {65535.5, VT_UI2, 0},
                        {5000000000.0, VT_UI4, 705032704},
                        {300.0, VT_UI1, 44},
                        {-2.9, VT_I1, -2},
                        {5.0, VT_BOOL, 5},
                        {3e9, VT_I4, -2147483648LL},
                        {nan, VT_I4, -2147483648LL},
                        {2147483647.5, VT_I4, -2147483648LL},
                        {inf, VT_I2, 0},
                        {1e19, VT_UI4, 0},
                        {9.2e18, VT_UI4, static_cast<long long>(static_cast<unsigned>(9200000000000000000ull))}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " into " + std::to_string(c.vt));
    COleVariant v = Raw(c.vt, 0xA5A5A5A5A5A5A5A5ull);
    CUtility::DoubleToVar(c.value, &v);
    ASSERT_EQ(v.vt, c.vt);
    const int bytes = c.vt == VT_BOOL ? 2 : CUtility::GetSizeByVT(c.vt);
    const unsigned long long mask = (1ull << (8 * bytes)) - 1;
    EXPECT_EQ(static_cast<unsigned long long>(v.llVal) & mask, static_cast<unsigned long long>(c.want) & mask);
    // The bytes beyond the type's own are left as they were.
    EXPECT_EQ(static_cast<unsigned long long>(v.llVal) & ~mask, 0xA5A5A5A5A5A5A5A5ull & ~mask);
  }
}

// Reals are only narrowed; a string is left alone (the other types without a number are checked
// with the catalogue).
TEST(DoubleToVar, RealsAndStrings) {
  COleVariant r4 = R4(0.0f);
  CUtility::DoubleToVar(1e300, &r4);
  EXPECT_TRUE(std::isinf(r4.fltVal));
  COleVariant r8 = R8(0.0);
  CUtility::DoubleToVar(-0.0, &r8);
  EXPECT_TRUE(std::signbit(r8.dblVal));
  COleVariant text = Text(u"keep");
  const BSTR before = text.bstrVal;
  CUtility::DoubleToVar(5.0, &text);
  EXPECT_EQ(text.vt, VT_BSTR);
  EXPECT_EQ(text.bstrVal, before);
  CUtility::DoubleToVar(1.0, nullptr);  // ignored
  EXPECT_EQ(CUtility::VarToDouble(nullptr), 0.0);
  EXPECT_EQ(CUtility::VarToDouble(nullptr, VT_I4, 0), 0.0);
}

// Over generated doubles and types: what DoubleToVar stores reads back as the model says, and
// the typed read of an R8 gives the same value (or, with raw above 0, the R8 itself).
TEST(VarToDouble, StoredAndTypedReadsFollowTheModel) {
  const unsigned seed = 1357911;
  std::mt19937_64 rng(seed);
  const VARTYPE types[] = {VT_I2,  VT_I4,   VT_R4,   VT_R8,  VT_BOOL, VT_I1,    VT_UI1, VT_UI2,
                           VT_UI4, VT_DATE, VT_BSTR, VT_INT, VT_UINT, VT_EMPTY, VT_I8};
  for (int i = 0; i < 50000; ++i) {
    // Values inside the 32-bit range, with halves and fractions, where the rules are fixed.
    double d;
    switch (rng() % 4) {
      case 0:
        d = static_cast<double>(static_cast<long long>(rng() % 200001) - 100000) / 2.0;
        break;
      case 1:
        d = std::uniform_real_distribution<double>(-2147483000.0, 2147483000.0)(rng);
        break;
      case 2:
        d = std::uniform_real_distribution<double>(-300.0, 300.0)(rng);
        break;
      default:
        d = static_cast<double>(static_cast<long long>(rng() % 140000) - 70000);
        break;
    }
    const VARTYPE vt = types[rng() % std::size(types)];
    const int raw = static_cast<int>(rng() % 3) * 3 - 3;  // -3, 0 or 3
    SCOPED_TRACE("seed " + std::to_string(seed) + " i " + std::to_string(i) + " value " + std::to_string(d) + " vt " +
                 std::to_string(vt) + " raw " + std::to_string(raw));
    const double want = ModelHeld(d, vt);
    if (vt != VT_BSTR) {
      COleVariant target = Raw(vt, 0xA5A5A5A5A5A5A5A5ull);  // bytes beyond the type's own are never read
      CUtility::DoubleToVar(d, &target);
      ASSERT_EQ(CUtility::VarToDouble(&target), want);
    }
    COleVariant source = R8(d);
    ASSERT_EQ(CUtility::VarToDouble(&source, vt, raw), raw > 0 ? d : want);
    ASSERT_EQ(source.dblVal, d);
  }
}

}  // namespace
