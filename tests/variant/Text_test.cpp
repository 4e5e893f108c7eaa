// The plain text (VarToStr) and the display text (ConVarToStr) of the values that the printf
// comparison (PrintfParity_test) does not generate: booleans, non-finite reals, dates, strings,
// unhandled types and very long place counts.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "variant/VariantValues.h"

namespace {

using namespace utility::testsupport::variants;

struct Case {
  const char* why;
  COleVariant value;
  const char* plain;    // VarToStr
  const char* display;  // ConVarToStr with 2 places, and the same with hex for dates and strings
};

TEST(VarToStr, SpecialValuesInBothTexts) {
  COleVariant embedded;
  embedded.vt = VT_BSTR;
  embedded.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(u"ab\0cd"), 5);
  const Case cases[] = {
      {"false", Int(VT_BOOL, 0), "0", "0.00"},
      {"VARIANT_TRUE", Int(VT_BOOL, -1), "1", "1.00"},
      {"nonstandard true", Int(VT_BOOL, 0x100), "1", "1.00"},
      {"R4 widened before formatting", R4(16777217.0f), "16777216.000000", "16777216.00"},
      {"R8 minus zero", R8(-0.0), "-0.000000000000000", "0.00"},
      {"R8 inf", R8(std::numeric_limits<double>::infinity()), "inf", "inf"},
      {"R8 -inf", R8(-std::numeric_limits<double>::infinity()), "-inf", "-inf"},
      {"R4 nan", R4(std::numeric_limits<float>::quiet_NaN()), "nan", "nan"},
      {"R8 -nan", R8(-std::numeric_limits<double>::quiet_NaN()), "-nan", "-nan"},
      {"date origin", R8(0.0, VT_DATE), "1899-12-30 00:00:00", "1899-12-30 00:00:00"},
      {"date", R8(45356.5 + 7629.0 / 86400.0, VT_DATE), "2024-03-05 14:07:09", "2024-03-05 14:07:09"},
      {"before the origin", R8(-1.25, VT_DATE), "1899-12-29 06:00:00", "1899-12-29 06:00:00"},
      {"first day", R8(-657434.0, VT_DATE), "0100-01-01 00:00:00", "0100-01-01 00:00:00"},
      {"last second", R8(2958465.0 + 86399.0 / 86400.0, VT_DATE), "9999-12-31 23:59:59", "9999-12-31 23:59:59"},
      {"rounded to the second", R8(45356.5 + 0.7 / 86400.0, VT_DATE), "2024-03-05 12:00:01", "2024-03-05 12:00:01"},
      {"below the range", R8(-657435.0, VT_DATE), "-001--1--1 -1:-1:-1", "Invalid DateTime"},
      {"above the range", R8(2958466.0, VT_DATE), "-001--1--1 -1:-1:-1", "Invalid DateTime"},
      {"date nan", R8(std::nan(""), VT_DATE), "-001--1--1 -1:-1:-1", "Invalid DateTime"},
      {"string", Text(u"  a b  "), "a b", "  a b  "},
      {"white space beyond ASCII", Text(u"\u3000x\t\r\n\u00a0"), "x", "\xe3\x80\x80x\t\r\n\xc2\xa0"},
      {"only blanks", Text(u"   "), "", "   "},
      {"null string", Raw(VT_BSTR, 0), "", ""},
      {"embedded zero", embedded, "ab", "ab"},
      {"a minus zero string is not cleaned", Text(u"-0.00"), "-0.00", "-0.00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    COleVariant v = c.value;
    EXPECT_EQ(U8(CUtility::VarToStr(v)), c.plain);
    EXPECT_EQ(U8(CUtility::ConVarToStr(&v, 2, 0)), c.display);
    if (v.vt == VT_DATE || v.vt == VT_BSTR) {
      for (int decimals : {-3, 0}) EXPECT_EQ(U8(CUtility::ConVarToStr(&v, decimals, 1)), c.display);
    }
  }
}

TEST(VarToStr, EveryOtherTypeIsTheFailureText) {
  EXPECT_EQ(U8(CUtility::ConVarToStr(nullptr, 2, 0)), "***");
  for (unsigned code = 0; code < 0x2100; ++code) {
    const VARTYPE vt = static_cast<VARTYPE>(code);
    if (vt == VT_BSTR) continue;
    COleVariant v = Raw(vt, 0x0102030405060708ull);
    const bool plain = vt == VT_I2 || vt == VT_I4 || vt == VT_R4 || vt == VT_R8 || vt == VT_DATE || vt == VT_BOOL ||
                       vt == VT_I1 || vt == VT_UI1 || vt == VT_UI2 || vt == VT_UI4;
    const bool display = plain || vt == VT_INT || vt == VT_UINT;
    ASSERT_EQ(U8(CUtility::VarToStr(v)) == "***", !plain) << code;
    for (int hex : {0, 1}) ASSERT_EQ(U8(CUtility::ConVarToStr(&v, 2, hex)) == "***", !display) << code;
    v.vt = VT_EMPTY;  // the pattern is no value a clear could release
  }
}

TEST(ConVarToStr, VeryLongPlaceCounts) {
  COleVariant v = R8(-1e-300);
  const CString shown = CUtility::ConVarToStr(&v, 2000, 0);
  // 1 digit, a point, 2000 places; the digits of 1e-300 reach far beyond place 300.
  ASSERT_EQ(shown.GetLength(), 2003);
  EXPECT_EQ(U8(shown).substr(0, 301), "-0." + std::string(298, '0'));
  EXPECT_NE(shown[302], u'0');
  EXPECT_NE(U8(shown).find_first_of("123456789", 310), std::string::npos);
  EXPECT_EQ(shown[2002], u'0');
  COleVariant tiny = R8(-4.9406564584124654e-324);
  EXPECT_EQ(U8(CUtility::ConVarToStr(&tiny, 300, 0)), "0." + std::string(300, '0'));
  EXPECT_EQ(U8(CUtility::ConVarToStr(&v, 100001, 0)), "***");
  EXPECT_EQ(CUtility::ConVarToStr(&v, 100000, 0).GetLength(), 100003);
  COleVariant i = Int(VT_I4, 3);
  EXPECT_EQ(U8(CUtility::ConVarToStr(&i, 100001, 0)), "***");
  EXPECT_EQ(CUtility::ConVarToStr(&i, 100000, 0).GetLength(), 100002);
}

}  // namespace
