// Text to variant: number scanning, storing per type, dates, strings and refused types (that a
// date's text reads back to the same second is fuzz/DateParse.cpp's property).
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "variant/VariantValues.h"

namespace {

using namespace utility::testsupport::variants;

// How much of a text is read as the number, seen through VT_R8, which keeps the value, and
// VT_R4, which narrows it. Digits of other scripts (U+0663) are not digits here.
TEST(StrToVar, ReadsTheLeadingDecimalNumber) {
  struct Case {
    const char16_t* text;
    double want;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {{u"  42  ", 42},
                        {u"", 0},
                        {u"12abc", 12},
                        {u"1e3", 1000},
                        {u"0x1A", 0},
                        {u"+7", 7},
                        {u".5", 0.5},
                        {u".", 0},
                        {u"-", 0},
                        {u"2E-1", 0.2},
                        {u"1,5", 1},
                        {u"\u00a0 7 \u3000", 7},
                        {u"\u0663", 0},
                        {u"inf", 0},
                        {u"-0", -0.0},
                        {u"1e999", inf},
                        {u"1e-400", 0.0},
                        {u"4.9406564584124654e-324", 4.9406564584124654e-324},
                        {u"123456789012345678901234567890", 1.2345678901234568e29}};
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(CString(c.text)));
    const COleVariant r8 = CUtility::StrToVar(CString(c.text), VT_R8);
    ASSERT_EQ(r8.vt, VT_R8);
    EXPECT_EQ(r8.dblVal, c.want);
    EXPECT_EQ(std::signbit(r8.dblVal), std::signbit(c.want));
    const COleVariant r4 = CUtility::StrToVar(CString(c.text), VT_R4);
    ASSERT_EQ(r4.vt, VT_R4);
    EXPECT_EQ(r4.fltVal, static_cast<float>(c.want));
  }
}

// The number read is stored as DoubleToVar stores it, type by type; VT_INT and VT_UINT, which
// DoubleToVar leaves alone, get it rounded and wrapped to 32 bits as VT_I4 and VT_UI4 do.
TEST(StrToVar, StoresTheNumberAsDoubleToVarDoes) {
  const char16_t* texts[] = {u"  42  ", u"2.5", u"-2.5",  u"2.4",        u"2.9",        u"-2.9", u"300", u"1",
                             u"-1",     u"0.7", u"40000", u"5000000000", u"4294967295", u"1e3",  u"abc", u".5"};
  const VARTYPE types[] = {VT_I2, VT_I4, VT_BOOL, VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_INT, VT_UINT};
  for (const char16_t* text : texts) {
    const double number = CUtility::StrToVar(CString(text), VT_R8).dblVal;
    for (const VARTYPE vt : types) {
      SCOPED_TRACE(U8(CString(text)) + " as " + std::to_string(vt));
      const COleVariant got = CUtility::StrToVar(CString(text), vt);
      ASSERT_EQ(got.vt, vt);
      const VARTYPE model = vt == VT_INT ? VARTYPE{VT_I4} : vt == VT_UINT ? VARTYPE{VT_UI4} : vt;
      COleVariant want = Raw(model, 0);
      CUtility::DoubleToVar(number, &want);
      const int bytes = model == VT_BOOL ? 2 : CUtility::GetSizeByVT(model);  // a VT_BOOL holds two bytes
      const unsigned long long mask = (1ull << (8 * bytes)) - 1;              // the type's own bytes
      EXPECT_EQ(static_cast<unsigned long long>(got.llVal) & mask, static_cast<unsigned long long>(want.llVal) & mask);
    }
  }
}

TEST(StrToVar, ReadsOnlyTheFirst1023Bytes) {
  // Leading zeros keep the value in range whatever the length: the digit at byte 1023 counts,
  // the one at byte 1024 is not read.
  const auto read = [](const std::u16string& text) {
    return CUtility::StrToVar(CString(std::u16string_view(text)), VT_R8).dblVal;
  };
  EXPECT_EQ(read(std::u16string(1022, u'0') + u"7"), 7.0);
  EXPECT_EQ(read(u"-" + std::u16string(1021, u'0') + u"7"), -7.0);
  EXPECT_EQ(read(std::u16string(1023, u'0') + u"7"), 0.0);
  // Leading white space is trimmed before the buffer is filled.
  EXPECT_EQ(CUtility::StrToVar(CString(std::u16string_view(std::u16string(5000, u' ') + u"7")), VT_I4).lVal, 7);
}

// Text that is no date reads as day 0, a date out of range as -1.
TEST(StrToVar, DatesReadBackAndFailToTheTwoFixedValues) {
  auto check = [](const char16_t* text, double want) {
    const COleVariant v = CUtility::StrToVar(CString(text), VT_DATE);
    ASSERT_EQ(v.vt, VT_DATE);
    EXPECT_EQ(v.date, want) << U8(CString(text));
  };
  check(u"3/5/2024 2:00 PM", 45356.0 + 14.0 / 24.0);
  check(u"abc", 0.0);
  check(u"10000-01-01 00:00:00", -1.0);
}

TEST(StrToVar, StringsAreTrimmedCopiesAndOtherTypesEmpty) {
  const COleVariant hello = CUtility::StrToVar(CString(u" \u3000caf\u00e9 \u4e2d \t"), VT_BSTR);
  ASSERT_EQ(hello.vt, VT_BSTR);
  EXPECT_EQ(U8(CString(hello.bstrVal)), "caf\xc3\xa9 \xe4\xb8\xad");
  EXPECT_EQ(SysStringLen(hello.bstrVal), 6u);
  const COleVariant empty = CUtility::StrToVar(CString(u""), VT_BSTR);
  ASSERT_EQ(empty.vt, VT_BSTR);
  EXPECT_EQ(SysStringLen(empty.bstrVal), 0u);
  for (unsigned code = 0; code < 0x2100; ++code) {
    const VARTYPE vt = static_cast<VARTYPE>(code);
    double lo = 0, hi = 0;
    if (CUtility::GetVarTypeLimit(vt, lo, hi) != 0 || vt == VT_INT || vt == VT_UINT || vt == VT_DATE || vt == VT_BSTR) {
      continue;
    }
    const COleVariant v = CUtility::StrToVar(CString(u"5"), vt);
    ASSERT_EQ(v.vt, VT_EMPTY) << code;
    ASSERT_EQ(v.llVal, 0) << code;
  }
}

}  // namespace
