// Storing doubles into variants and reading them back: rounding against truncation per type,
// wrapping to the low bits, and the typed read, against a literal version of the rules.
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "variant/VariantValues.h"

namespace {

using namespace varianttest;

// The rules written out: the integer formed, then its value modulo 2^bits in the type's range.
long long Wrap(long long n, int bits, bool isSigned) {
  const long long modulus = 1LL << bits;
  long long r = ((n % modulus) + modulus) % modulus;
  if (isSigned && r >= modulus / 2) r -= modulus;
  return r;
}
bool RoundsType(VARTYPE vt) { return vt == VT_I2 || vt == VT_I4 || vt == VT_UI2 || vt == VT_UI4; }
double OracleHeld(double d, VARTYPE vt) {
  if (vt == VT_R8) return d;
  if (vt == VT_R4) return static_cast<double>(static_cast<float>(d));
  double formed = std::trunc(d);
  if (RoundsType(vt)) {
    const double sum = d >= 0 ? d + 0.5 : d - 0.5;  // the sum in double precision, then truncated
    formed = std::trunc(sum);
  }
  const long long n = static_cast<long long>(formed);
  switch (vt) {
    case VT_I2:
      return static_cast<double>(Wrap(n, 16, true));
    case VT_I4:
      return static_cast<double>(Wrap(n, 32, true));
    case VT_UI2:
      return static_cast<double>(Wrap(n, 16, false));
    case VT_UI4:
      return static_cast<double>(Wrap(n, 32, false));
    case VT_I1:
      return static_cast<double>(Wrap(n, 8, true));
    case VT_UI1:
      return static_cast<double>(Wrap(n, 8, false));
    case VT_BOOL:
      return Wrap(n, 16, true) != 0 ? 1.0 : 0.0;
    default:
      return 0.0;
  }
}

TEST(DoubleToVar, RoundsTruncatesAndWrapsAsEachTypeSays) {
  struct Case {
    double value;
    VARTYPE vt;
    long long want;
  };
  const Case cases[] = {
      {2.5, VT_I2, 3},
      {-2.5, VT_I2, -3},
      {2.4, VT_I2, 2},
      {40000.0, VT_I2, -25536},
      {2.5, VT_I4, 3},
      {-0.5, VT_I4, -1},
      {0.49999999999999994, VT_I4, 1},  // the sum rounds up
      {2147483647.4, VT_I4, 2147483647},
      {-1.0, VT_UI2, 65535},
      {65535.5, VT_UI2, 0},
      {5000000000.0, VT_UI4, 705032704},
      {-1.0, VT_UI4, 4294967295LL},
      {4294967295.5, VT_UI4, 0},
      {2.9, VT_UI1, 2},
      {300.0, VT_UI1, 44},
      {-1.0, VT_UI1, 255},
      {-2.9, VT_I1, -2},
      {200.0, VT_I1, -56},
      {0.7, VT_BOOL, 0},
      {1.0, VT_BOOL, 1},
      {-1.0, VT_BOOL, -1},
      {5.0, VT_BOOL, 5},
      {65536.0, VT_BOOL, 0},
      {-0.9, VT_BOOL, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " into " + std::to_string(c.vt));
    COleVariant v = Raw(c.vt, 0xA5A5A5A5A5A5A5A5ull);
    CUtility::DoubleToVar(c.value, &v);
    ASSERT_EQ(v.vt, c.vt);
    long long got = 0;
    int bytes = 0;
    switch (c.vt) {
      case VT_I2:
        got = v.iVal, bytes = 2;
        break;
      case VT_I4:
        got = v.lVal, bytes = 4;
        break;
      case VT_BOOL:
        got = v.boolVal, bytes = 2;
        break;
      case VT_I1:
        got = static_cast<signed char>(v.cVal), bytes = 1;
        break;
      case VT_UI1:
        got = v.bVal, bytes = 1;
        break;
      case VT_UI2:
        got = v.uiVal, bytes = 2;
        break;
      case VT_UI4:
        got = v.ulVal, bytes = 4;
        break;
      default:
        break;
    }
    EXPECT_EQ(got, c.want);
    // The bytes beyond the type's own are left as they were.
    unsigned char raw[8];
    std::memcpy(raw, &v.llVal, 8);
    for (int i = bytes; i < 8; ++i) EXPECT_EQ(raw[i], 0xA5) << "byte " << i;
  }
}

TEST(DoubleToVar, RealsAndOtherTypes) {
  COleVariant r4 = R4(0.0f);
  CUtility::DoubleToVar(0.1, &r4);
  EXPECT_EQ(r4.fltVal, 0.1f);
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
  for (unsigned code : {unsigned{VT_DATE}, unsigned{VT_EMPTY}, unsigned{VT_CY}, unsigned{VT_INT}, unsigned{VT_UINT},
                        unsigned{VT_I8}, unsigned{VT_UI8}, unsigned{VT_ARRAY | VT_I4}, unsigned{VT_BYREF | VT_I2}}) {
    COleVariant v = Raw(static_cast<VARTYPE>(code), 0x1122334455667788ull);
    CUtility::DoubleToVar(9.0, &v);
    EXPECT_EQ(v.vt, code);
    EXPECT_EQ(static_cast<unsigned long long>(v.llVal), 0x1122334455667788ull) << code;
  }
  CUtility::DoubleToVar(1.0, nullptr);  // ignored
}

TEST(DoubleToVar, ValuesTheIntermediateIntegerCannotHoldBecomeItsMostNegativeValue) {
  struct Case {
    double value;
    VARTYPE vt;
    long long want;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {3e9, VT_I4, -2147483648LL},
      {-3e9, VT_I4, -2147483648LL},
      {nan, VT_I4, -2147483648LL},
      {inf, VT_I2, 0},
      {2147483647.5, VT_I4, -2147483648LL},  // the rounding sum is out of range
      {3e9, VT_BOOL, 0},
      {nan, VT_UI1, 0},
      {1e19, VT_UI4, 0},
      {-inf, VT_UI4, 0},
      {9.2e18, VT_UI4, static_cast<long long>(static_cast<unsigned>(9200000000000000000ull))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " into " + std::to_string(c.vt));
    COleVariant v = Raw(c.vt, 0);
    CUtility::DoubleToVar(c.value, &v);
    const double held = CUtility::VarToDouble(&v);
    EXPECT_EQ(held, c.vt == VT_BOOL ? (c.want != 0 ? 1.0 : 0.0) : static_cast<double>(c.want));
  }
}

TEST(VarToDouble, ReadsTheNineTypesAndZeroForTheRest) {
  struct Case {
    const char* why;
    COleVariant v;
    double want;
  };
  const Case cases[] = {
      {"UI4 max", Int(VT_UI4, 0xFFFFFFFFLL), 4294967295.0},
      {"I1 0xFF", Raw(VT_I1, 0xFF), -1.0},
      {"UI1 0xFF", Raw(VT_UI1, 0xFF), 255.0},
      {"BOOL 2", Int(VT_BOOL, 2), 1.0},
      {"BOOL true", Int(VT_BOOL, -1), 1.0},
      {"BOOL false", Raw(VT_BOOL, 0xFFFF0000ull), 0.0},
      {"I2", Int(VT_I2, -32768), -32768.0},
      {"I4", Int(VT_I4, -7), -7.0},
      {"UI2", Int(VT_UI2, 65535), 65535.0},
      {"R4 widened", R4(0.1f), static_cast<double>(0.1f)},
      {"R8", R8(-2.5), -2.5},
      {"date is no number", R8(45356.5, VT_DATE), 0.0},
      {"text is never parsed", Text(u"12"), 0.0},
      {"INT", Int(VT_INT, 5), 0.0},
      {"UINT", Int(VT_UINT, 5), 0.0},
      {"I8", Int(VT_I8, 5), 0.0},
      {"CY", Int(VT_CY, 50000), 0.0},
      {"empty", Raw(VT_EMPTY, 0), 0.0},
      {"byref", Int(static_cast<VARTYPE>(VT_BYREF | VT_I4), 5), 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    COleVariant v = c.v;
    EXPECT_EQ(CUtility::VarToDouble(&v), c.want);
    EXPECT_EQ(CUtility::VarToDouble(&v, VT_R8, 0), c.want);
    EXPECT_EQ(CUtility::VarToDouble(&v, VT_BSTR, 1), c.want);
  }
  EXPECT_EQ(CUtility::VarToDouble(nullptr), 0.0);
  EXPECT_EQ(CUtility::VarToDouble(nullptr, VT_I4, 0), 0.0);
}

TEST(VarToDouble, TypedReadGivesTheValueAsTheTypeWouldHoldIt) {
  struct Case {
    double held;
    VARTYPE vt;
    int raw;
    double want;
  };
  const Case cases[] = {
      {3.7, VT_I2, 0, 4.0},
      {3.7, VT_UI1, 0, 3.0},
      {3.7, VT_BOOL, 0, 1.0},
      {3.7, VT_R4, 0, 3.700000047683716},
      {3.7, VT_BSTR, 0, 0.0},
      {0.7, VT_BOOL, 0, 0.0},
      {70000.0, VT_I2, 0, 4464.0},
      {-2.5, VT_I2, 0, -3.0},
      {3.7, VT_I2, -5, 4.0},
      {3.7, VT_I2, 1, 3.7},
      {3.7, VT_DATE, 0, 0.0},
      {3.7, VT_INT, 0, 0.0},
      {3.7, VT_UINT, 0, 0.0},
      {3.7, VT_DISPATCH, 0, 0.0},
      {3.7, VT_BYREF | VT_I4, 0, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.held) + " as " + std::to_string(c.vt) + " raw " + std::to_string(c.raw));
    COleVariant v = R8(c.held);
    EXPECT_EQ(CUtility::VarToDouble(&v, c.vt, c.raw), c.want);
    EXPECT_EQ(v.dblVal, c.held);
  }
}

TEST(VarToDouble, TypedReadEqualsStoringThroughDoubleToVarAndReadingBack) {
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
    SCOPED_TRACE("seed " + std::to_string(seed) + " i " + std::to_string(i) + " value " + std::to_string(d) + " vt " +
                 std::to_string(vt));
    COleVariant source = R8(d);
    const double typed = CUtility::VarToDouble(&source, vt, 0);
    COleVariant target = Raw(vt, 0);
    if (vt != VT_BSTR) CUtility::DoubleToVar(d, &target);
    const double stored = vt == VT_BSTR ? 0.0 : CUtility::VarToDouble(&target);
    ASSERT_EQ(typed, stored);
    ASSERT_EQ(typed, OracleHeld(d, vt));
  }
}

}  // namespace
