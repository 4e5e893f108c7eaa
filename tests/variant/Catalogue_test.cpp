// The type catalogue: numeric set, names, sizes, type ranges and data-format ranges.
#include <cfloat>
#include <string>

#include <gtest/gtest.h>

#include "variant/VariantValues.h"

namespace {

using varianttest::U8;

struct Entry {
  VARTYPE vt;
  const char16_t* name;
  int size;
  bool numeric;
  bool ranged;
  double minimum, maximum;
};

// The catalogue as a table; every code not here is "Native", -1, not numeric, no range.
const Entry kCatalogue[] = {
    {VT_I2, u"2 byte signed int", 2, true, true, -32768, 32767},
    {VT_I4, u"4 byte signed int", 4, true, true, -2147483648.0, 2147483647.0},
    {VT_R4, u"4 byte real", 4, true, true, -3.4028234663852886e38, 3.4028234663852886e38},
    {VT_R8, u"8 byte real", 8, true, true, -1.7976931348623157e308, 1.7976931348623157e308},
    {VT_DATE, u"date", 8, false, false, 0, 0},
    {VT_BSTR, u"string", -1, false, false, 0, 0},
    {VT_BOOL, u"bool", 1, true, true, 0, 1},
    {VT_I1, u"signed char", 1, true, true, -128, 127},
    {VT_UI1, u"unsigned char", 1, true, true, 0, 255},
    {VT_UI2, u"unsigned short", 2, true, true, 0, 65535},
    {VT_UI4, u"4 byte unsigned short", 4, true, true, 0, 4294967295.0},
    {VT_I8, u"Native", 8, false, false, 0, 0},
    {VT_UI8, u"Native", 8, false, false, 0, 0},
    {VT_INT, u"Native", -1, true, false, 0, 0},
    {VT_UINT, u"Native", -1, true, false, 0, 0},
};

Entry Expected(VARTYPE vt) {
  for (const Entry& e : kCatalogue) {
    if (e.vt == vt) return e;
  }
  return {vt, u"Native", -1, false, false, 0, 0};
}

TEST(Catalogue, EveryCodeMatchesTheTable) {
  // All 16-bit codes: the listed ones, the unlisted ones and every flagged form.
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const VARTYPE vt = static_cast<VARTYPE>(code);
    const Entry want = Expected(vt);
    SCOPED_TRACE("vt " + std::to_string(code));
    ASSERT_EQ(CUtility::IsNumVar(vt), want.numeric ? 1 : 0);
    ASSERT_EQ(CUtility::GetSizeByVT(vt), want.size);
    double lo = 11.0, hi = 22.0;
    ASSERT_EQ(CUtility::GetVarTypeLimit(vt, lo, hi), want.ranged ? 1 : 0);
    ASSERT_EQ(lo, want.ranged ? want.minimum : 11.0);
    ASSERT_EQ(hi, want.ranged ? want.maximum : 22.0);
  }
}

TEST(Catalogue, RealLimitsAreTheLargestFiniteValuesExactly) {
  double lo = 0, hi = 0;
  ASSERT_TRUE(CUtility::GetVarTypeLimit(VT_R4, lo, hi));
  EXPECT_EQ(hi, static_cast<double>(FLT_MAX));
  EXPECT_EQ(lo, -static_cast<double>(FLT_MAX));
  ASSERT_TRUE(CUtility::GetVarTypeLimit(VT_R8, lo, hi));
  EXPECT_EQ(hi, DBL_MAX);
  EXPECT_EQ(lo, -DBL_MAX);
}

TEST(IsNumVar, PointerFormReadsTheTypeAndRefusesNull) {
  EXPECT_EQ(CUtility::IsNumVar(static_cast<COleVariant*>(nullptr)), 0);
  COleVariant b = varianttest::Int(VT_BOOL, -1);
  EXPECT_EQ(CUtility::IsNumVar(&b), 1);
  COleVariant d = varianttest::R8(1.0, VT_DATE);
  EXPECT_EQ(CUtility::IsNumVar(&d), 0);
  COleVariant s = varianttest::Text(u"5");
  EXPECT_EQ(CUtility::IsNumVar(&s), 0);
  COleVariant a = varianttest::Int(static_cast<VARTYPE>(VT_ARRAY | VT_I4), 0);
  EXPECT_EQ(CUtility::IsNumVar(&a), 0);
}

TEST(StringFromVartype, LooksPastTheArrayBitOnly) {
  struct Case {
    unsigned vt;
    const char16_t* want;
  };
  const Case cases[] = {
      {VT_ARRAY | VT_I4, u"4 byte signed int Array"},
      {VT_ARRAY | VT_EMPTY, u"Native Array"},
      {VT_BYREF | VT_I4, u"Native"},
      {VT_BYREF | VT_ARRAY | VT_R8, u"Native Array"},
      {VT_VECTOR | VT_I2, u"Native"},
      {VT_ARRAY | VT_UI1, u"unsigned char Array"},
      {VT_ARRAY | VT_UI4, u"4 byte unsigned short Array"},
      {VT_ARRAY | VT_INT, u"Native Array"},
      {VT_CY, u"Native"},
      {15, u"Native"},
      {24, u"Native"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vt);
    CString name(u"previous text");
    CUtility::StringFromVartype(static_cast<VARTYPE>(c.vt), name);
    EXPECT_EQ(U8(name), U8(CString(c.want)));
  }
  for (const Entry& e : kCatalogue) {
    CString name;
    CUtility::StringFromVartype(e.vt, name);
    EXPECT_EQ(U8(name), U8(CString(e.name))) << e.vt;
  }
}

TEST(StringFromVartype, AssignsRatherThanAppends) {
  CString name;
  CUtility::StringFromVartype(static_cast<VARTYPE>(VT_ARRAY | VT_UI1), name);
  EXPECT_EQ(U8(name), "unsigned char Array");
  CUtility::StringFromVartype(VT_I2, name);
  EXPECT_EQ(U8(name), "2 byte signed int");
}

// GetVarLimit written out literally from its rules, as the oracle for every argument.
struct Limit {
  int result;
  double lo, hi;
};
Limit OracleVarLimit(int hex, int format, VARTYPE vt) {
  Limit l{0, -7.0, -9.0};
  if (format < 0 || format > 14) return {1, -7.0, -9.0};
  if (format == 0 || format == 5 || format == 14) {
    const Entry e = Expected(vt);
    if (!e.ranged) return l;
    return {1, e.minimum, e.maximum};
  }
  if (format == 1 || format == 2) return {1, 0, 4095};
  if (format == 3 || format == 4) return {1, 0, 32767};
  if (format == 9 || format == 10) return {1, 0, 8191};
  if (format == 11 || format == 12) return {1, 0, 255};
  l.lo = 0;
  if (hex != 0 && hex != 1) return {1, 0, -9.0};
  const bool oneByte = vt == VT_I1 || vt == VT_UI1;
  const bool twoByte = vt == VT_I2 || vt == VT_UI2;
  const bool wide = vt == VT_I4 || vt == VT_UI4 || vt == VT_I8 || vt == VT_UI8 || vt == VT_R4 || vt == VT_R8;
  if (!oneByte && !twoByte && !wide) return {0, 0, -9.0};
  if (hex == 1) return {1, 0, format == 6 ? 2457.0 : format == 8 ? 2576980377.0 : 39321.0};
  const bool signedInteger = vt == VT_I1 || vt == VT_I2 || vt == VT_I4 || vt == VT_I8;
  double hi = 0;
  if (format == 6) hi = oneByte ? 99 : 999;
  if (format == 7) hi = oneByte ? 99 : 9999;
  if (format == 8) hi = oneByte ? 99 : twoByte ? 9999 : 99999999;
  if (format == 13) hi = oneByte ? (signedInteger ? 79 : 99) : (signedInteger ? 7999 : 9999);
  return {1, 0, hi};
}

TEST(GetVarLimit, AgreesWithTheLiteralRulesForEveryFormatModeAndType) {
  for (int hex = -1; hex <= 3; ++hex) {
    for (int format = -2; format <= 16; ++format) {
      for (unsigned code = 0; code <= 25; ++code) {
        for (unsigned flag : {0u, unsigned{VT_ARRAY}}) {
          const VARTYPE vt = static_cast<VARTYPE>(code | flag);
          SCOPED_TRACE("hex " + std::to_string(hex) + " format " + std::to_string(format) + " vt " +
                       std::to_string(vt));
          double lo = -7.0, hi = -9.0;
          const int result = CUtility::GetVarLimit(hex, format, vt, lo, hi);
          const Limit want = OracleVarLimit(hex, format, vt);
          ASSERT_EQ(result, want.result);
          ASSERT_EQ(lo, want.lo);
          ASSERT_EQ(hi, want.hi);
        }
      }
    }
  }
}

TEST(GetVarLimit, WorkedExamples) {
  struct Case {
    int hex, format;
    VARTYPE vt;
    int result;
    double lo, hi;
  };
  const Case cases[] = {
      {0, 13, VT_I2, 1, 0, 7999},     {0, 13, VT_UI2, 1, 0, 9999},     {1, 13, VT_I2, 1, 0, 39321},
      {0, 8, VT_I2, 1, 0, 9999},      {0, 8, VT_I4, 1, 0, 99999999},   {0, 6, VT_BOOL, 0, 0, -9},
      {2, 7, VT_I4, 1, 0, -9},        {0, 15, VT_I4, 1, -7, -9},       {0, -1, VT_I4, 1, -7, -9},
      {5, 1, VT_BSTR, 1, 0, 4095},    {0, 0, VT_I2, 1, -32768, 32767}, {0, 0, VT_DATE, 0, -7, -9},
      {1, 8, VT_UI1, 1, 0, 2576980377.0}, {0, 13, VT_I1, 1, 0, 79},   {1, 6, VT_R8, 1, 0, 2457},
      {0, 7, VT_INT, 0, 0, -9},       {0, 7, VT_UINT, 0, 0, -9},       {9, 12, VT_EMPTY, 1, 0, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("hex " + std::to_string(c.hex) + " format " + std::to_string(c.format) + " vt " +
                 std::to_string(c.vt));
    double lo = -7, hi = -9;
    EXPECT_EQ(CUtility::GetVarLimit(c.hex, c.format, c.vt, lo, hi), c.result);
    EXPECT_EQ(lo, c.lo);
    EXPECT_EQ(hi, c.hi);
  }
}

}  // namespace
