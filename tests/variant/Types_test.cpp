// The type catalogue, and storing doubles into variants and reading them back. The catalogue is
// checked through what the types hold rather than a copy of it: a range is what the type's
// bytes store (DoubleToVar keeps its ends and wraps one past them), a code has a range exactly
// when VarToDouble reads a number from it, and the digit formats are the largest digit runs
// that fit the type's data. Storing rounds or truncates per type, wraps to the type's bytes and
// leaves the bytes beyond them alone.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "variant/VariantValues.h"

namespace {

using namespace utility::testsupport::variants;

// The stored value of d in a variant of type vt, read back.
double Held(double d, VARTYPE vt) {
  COleVariant v = Raw(vt, 0);
  CUtility::DoubleToVar(d, &v);
  return CUtility::VarToDouble(&v);
}

TEST(Catalogue, RangesAreWhatTheTypesHold) {
  int ranged = 0;
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const VARTYPE vt = static_cast<VARTYPE>(code);
    SCOPED_TRACE("vt " + std::to_string(code));
    double lo = 11.0, hi = 22.0;
    const int hasRange = CUtility::GetVarTypeLimit(vt, lo, hi);
    COleVariant one = Raw(vt, 1);  // the smallest nonzero pattern reads as nonzero in every number type
    const bool readsANumber = CUtility::VarToDouble(&one) != 0.0;
    one.vt = VT_EMPTY;  // the pattern is no string to release
    ASSERT_EQ(hasRange, readsANumber ? 1 : 0);
    // Data formats 0, 5 and 14 are the type's own range; formats outside 0..14 write nothing.
    for (int format : {0, 5, 14, -1, 15}) {
      const bool outside = format < 0 || format > 14;
      double formatLo = 11.0, formatHi = 22.0;
      ASSERT_EQ(CUtility::GetVarLimit(0, format, vt, formatLo, formatHi), outside ? 1 : hasRange) << format;
      ASSERT_EQ(formatLo, outside ? 11.0 : lo);
      ASSERT_EQ(formatHi, outside ? 22.0 : hi);
    }
    if (hasRange == 0) {
      ASSERT_EQ(lo, 11.0);
      ASSERT_EQ(hi, 22.0);
      // Of the codes without a range, only the machine-sized integers count as numeric.
      ASSERT_EQ(CUtility::IsNumVar(vt), vt == VT_INT || vt == VT_UINT ? 1 : 0);
      // DoubleToVar has nothing to store in them: the value is left as it was.
      COleVariant kept = Raw(vt, 0x1122334455667788ull);
      if (vt != VT_BSTR) CUtility::DoubleToVar(9.0, &kept);
      const VARTYPE keptType = kept.vt;
      kept.vt = VT_EMPTY;  // the pattern is no string to release
      ASSERT_EQ(keptType, vt);
      ASSERT_EQ(static_cast<unsigned long long>(kept.llVal), 0x1122334455667788ull);
      continue;
    }
    ++ranged;
    ASSERT_EQ(CUtility::IsNumVar(vt), 1);
    const int size = CUtility::GetSizeByVT(vt);
    if (vt == VT_R4 || vt == VT_R8) {
      ASSERT_EQ(hi, size == 4 ? static_cast<double>(FLT_MAX) : DBL_MAX);
      ASSERT_EQ(lo, -hi);
      continue;
    }
    // Integers: both ends are stored exactly, one step past either is not.
    ASSERT_EQ(Held(lo, vt), lo);
    ASSERT_EQ(Held(hi, vt), hi);
    ASSERT_NE(Held(hi + 1, vt), hi + 1);
    ASSERT_NE(Held(lo - 1, vt), lo - 1);
    // A VT_BOOL is one byte of data, 0 or 1; the others span all values of their bytes.
    ASSERT_EQ(hi - lo + 1, vt == VT_BOOL ? 2.0 : std::ldexp(1.0, 8 * size));
  }
  EXPECT_EQ(ranged, 9);
}

TEST(Catalogue, NamesAndTheSizesOfTypesWithoutARange) {
  struct Row {
    VARTYPE vt;
    const char* name;
    int size;  // -1: none
  };
  const Row rows[] = {
      {VT_I2, "2 byte signed int", 2},
      {VT_I4, "4 byte signed int", 4},
      {VT_R4, "4 byte real", 4},
      {VT_R8, "8 byte real", 8},
      {VT_DATE, "date", 8},
      {VT_BSTR, "string", -1},
      {VT_BOOL, "bool", 1},
      {VT_I1, "signed char", 1},
      {VT_UI1, "unsigned char", 1},
      {VT_UI2, "unsigned short", 2},
      {VT_UI4, "4 byte unsigned short", 4},
      {VT_I8, "Native", 8},
      {VT_INT, "Native", -1},
      {0xFFF, "Native", -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.vt);
    EXPECT_EQ(CUtility::GetSizeByVT(r.vt), r.size);
    CString name(u"previous text");
    CUtility::StringFromVartype(r.vt, name);  // assigns, never appends
    EXPECT_EQ(U8(name), r.name);
  }
  // Only the array bit is looked past; any other flag makes a type Native.
  for (unsigned code = 0; code < 0x1000; ++code) {
    SCOPED_TRACE(code);
    CString plain, name;
    CUtility::StringFromVartype(static_cast<VARTYPE>(code), plain);
    CUtility::StringFromVartype(static_cast<VARTYPE>(code | VT_ARRAY), name);
    ASSERT_EQ(U8(name), U8(plain) + " Array");
    for (unsigned flag : {unsigned{VT_BYREF}, unsigned{VT_VECTOR}}) {
      const VARTYPE flagged = static_cast<VARTYPE>(code | flag);
      CUtility::StringFromVartype(flagged, name);
      ASSERT_EQ(U8(name), "Native");
      CUtility::StringFromVartype(static_cast<VARTYPE>(flagged | VT_ARRAY), name);
      ASSERT_EQ(U8(name), "Native Array");
      ASSERT_EQ(CUtility::GetSizeByVT(flagged), -1);  // and not numeric: the catalogue test above
    }
  }
  EXPECT_EQ(CUtility::IsNumVar(static_cast<COleVariant*>(nullptr)), 0);
  COleVariant b = Int(VT_BOOL, -1), d = R8(1.0, VT_DATE);
  EXPECT_EQ(CUtility::IsNumVar(&b), 1);
  EXPECT_EQ(CUtility::IsNumVar(&d), 0);
}

// The bit formats are 0 to 2^bits - 1 whatever the type and mode.
TEST(GetVarLimit, BitFormatsWhateverTheType) {
  struct BitFormat {
    int format;
    int bits;
  };
  for (const BitFormat f : {BitFormat{1, 12}, BitFormat{2, 12}, BitFormat{3, 15}, BitFormat{4, 15}, BitFormat{9, 13},
                            BitFormat{10, 13}, BitFormat{11, 8}, BitFormat{12, 8}}) {
    for (unsigned vt : {unsigned{VT_EMPTY}, unsigned{VT_I2}, unsigned{VT_BSTR}, unsigned{VT_ARRAY | VT_R8}}) {
      for (int hex : {0, 1, 7}) {
        double lo = -7, hi = -9;
        EXPECT_EQ(CUtility::GetVarLimit(hex, f.format, static_cast<VARTYPE>(vt), lo, hi), 1) << f.format;
        EXPECT_EQ(lo, 0) << f.format;
        EXPECT_EQ(hi, std::ldexp(1.0, f.bits) - 1) << f.format;
      }
    }
  }
}

// The digit formats 6, 7, 8 and 13 hold 3, 4, 8 and 4 decimal digits, at most two per byte of
// the type's data; format 13 keeps the sign bit of a signed integer, so its leading digit is
// 7. In hex mode the maximum is the run of nines read as hexadecimal, whatever the type.
TEST(GetVarLimit, DigitFormatsAreTheLongestDigitRunThatFits) {
  const VARTYPE accepted[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_I8, VT_UI8, VT_R4, VT_R8};
  const bool isSigned[] = {true, false, true, false, true, false, true, false, false, false};
  struct DigitFormat {
    int format;
    int digits;
  };
  for (unsigned code = 0; code < 0x2100; ++code) {
    const VARTYPE vt = static_cast<VARTYPE>(code);
    const auto at = std::find(std::begin(accepted), std::end(accepted), vt);
    const bool accepts = at != std::end(accepted);
    for (const DigitFormat f : {DigitFormat{6, 3}, DigitFormat{7, 4}, DigitFormat{8, 8}, DigitFormat{13, 4}}) {
      SCOPED_TRACE("vt " + std::to_string(code) + " format " + std::to_string(f.format));
      double decimal = 0, hexMaximum = 0;
      if (accepts) {
        const int digits = std::min(f.digits, 2 * CUtility::GetSizeByVT(vt));
        decimal = std::pow(10.0, digits) - 1;
        if (f.format == 13 && isSigned[at - std::begin(accepted)]) decimal -= 2 * std::pow(10.0, digits - 1);
      }
      for (int i = 0; i < f.digits; ++i) hexMaximum = hexMaximum * 16 + 9;
      double lo = -7, hi = -9;
      ASSERT_EQ(CUtility::GetVarLimit(0, f.format, vt, lo, hi), accepts ? 1 : 0);
      ASSERT_EQ(lo, 0);
      ASSERT_EQ(hi, accepts ? decimal : -9);
      lo = -7, hi = -9;
      ASSERT_EQ(CUtility::GetVarLimit(1, f.format, vt, lo, hi), accepts ? 1 : 0);
      ASSERT_EQ(hi, accepts ? hexMaximum : -9);
      // A mode other than decimal (0) or hex (1) succeeds with the maximum untouched.
      lo = -7, hi = -9;
      ASSERT_EQ(CUtility::GetVarLimit(2, f.format, vt, lo, hi), 1);
      ASSERT_EQ(lo, 0);
      ASSERT_EQ(hi, -9);
    }
  }
}

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
                        {5000000000.0, VT_UI4, 705032704},
                        {300.0, VT_UI1, 44},
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
    // Values inside the 32-bit range where the rules are fixed: integers and halves, and
    // fractions at the scale of the small types and of the large ones.
    const double d = rng() % 3 == 0 ? static_cast<double>(static_cast<long long>(rng() % 280001) - 140000) / 2.0
                     : rng() % 2    ? std::uniform_real_distribution<double>(-2147483000.0, 2147483000.0)(rng)
                                    : std::uniform_real_distribution<double>(-300.0, 300.0)(rng);
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
