// Text to variant: number scanning, storing per type, dates, strings and refused types.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "variant/VariantValues.h"

namespace {

using namespace varianttest;

// How much of a text is read as the number, seen through VT_R8, which keeps the value.
TEST(StrToVar, ReadsTheLeadingDecimalNumber) {
  struct Case {
    const char16_t* text;
    double want;
  };
  const Case cases[] = {
      {u"  42  ", 42}, {u"", 0},        {u"12abc", 12}, {u"1e3", 1000}, {u"true", 0},    {u"0x1A", 0},
      {u"+7", 7},      {u".5", 0.5},    {u"5.", 5},     {u".", 0},      {u"-", 0},       {u"1e", 1},
      {u"1e+", 1},     {u"1.5e1x", 15}, {u"2E-1", 0.2}, {u"1,5", 1},    {u"-2.5", -2.5}, {u"\u00a0 7 \u3000", 7},
      {u"\u0663", 0},  // digits of other scripts are not digits here
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(CString(c.text)));
    EXPECT_EQ(CUtility::StrToVar(CString(c.text), VT_R8).dblVal, c.want);
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

TEST(StrToVar, RealsKeepTheScannedValue) {
  struct Case {
    const char16_t* text;
    double want;
  };
  const Case cases[] = {
      {u"abc", 0.0},
      {u"inf", 0.0},
      {u"nan", 0.0},
      {u"-infinity", 0.0},
      {u"3.25", 3.25},
      {u"-0", -0.0},
      {u"1e308", 1e308},
      {u"0.1", 0.1},
      {u"1e999", std::numeric_limits<double>::infinity()},
      {u"-1e999", -std::numeric_limits<double>::infinity()},
      {u"1e-400", 0.0},
      {u"4.9406564584124654e-324", 4.9406564584124654e-324},
      {u"123456789012345678901234567890", 1.2345678901234568e29},
  };
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

TEST(StrToVar, ReadsOnlyTheFirst1023Bytes) {
  // 1023 digits fit the working buffer; the digit after them is not read.
  std::u16string digits(1023, u'1');
  const COleVariant fits = CUtility::StrToVar(CString(std::u16string_view(digits)), VT_R8);
  EXPECT_EQ(fits.dblVal, std::strtod(std::string(1023, '1').c_str(), nullptr));
  const COleVariant cut = CUtility::StrToVar(CString(std::u16string_view(digits + u"9")), VT_R8);
  EXPECT_EQ(cut.dblVal, fits.dblVal);
  std::u16string zeros = u"0." + std::u16string(1021, u'0') + u"5";  // the 5 is byte 1024
  EXPECT_EQ(CUtility::StrToVar(CString(std::u16string_view(zeros)), VT_R8).dblVal, 0.0);
  // Leading white space is trimmed before the buffer is filled.
  std::u16string padded = std::u16string(5000, u' ') + u"7";
  EXPECT_EQ(CUtility::StrToVar(CString(std::u16string_view(padded)), VT_I4).lVal, 7);
}

TEST(StrToVar, DatesReadBackAndFailToTheTwoFixedValues) {
  struct Case {
    const char16_t* text;
    double want;
  };
  const Case cases[] = {
      {u"2024-03-05 12:00:00", 45356.5},
      {u"  1899-12-30 00:00:00 ", 0.0},
      {u"1899-12-29 06:00:00", -1.25},
      {u"abc", 0.0},
      {u"", 0.0},
      {u"42", 0.0},
      {u"10000-01-01 00:00:00", -1.0},
      {u"0099-12-31", -1.0},
      {u"3/5/2024 2:00 PM", 45356.0 + 14.0 / 24.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(CString(c.text)));
    const COleVariant v = CUtility::StrToVar(CString(c.text), VT_DATE);
    ASSERT_EQ(v.vt, VT_DATE);
    EXPECT_EQ(v.date, c.want);
  }
}

TEST(StrToVar, StringsAreTrimmedCopies) {
  const COleVariant hello = CUtility::StrToVar(CString(u"  hello \t"), VT_BSTR);
  ASSERT_EQ(hello.vt, VT_BSTR);
  EXPECT_EQ(U8(CString(hello.bstrVal)), "hello");
  EXPECT_EQ(SysStringLen(hello.bstrVal), 5u);
  const COleVariant empty = CUtility::StrToVar(CString(u""), VT_BSTR);
  ASSERT_EQ(empty.vt, VT_BSTR);
  EXPECT_EQ(SysStringLen(empty.bstrVal), 0u);
  const COleVariant wide = CUtility::StrToVar(CString(u" caf\u00e9 \u4e2d "), VT_BSTR);
  EXPECT_EQ(U8(CString(wide.bstrVal)), "caf\xc3\xa9 \xe4\xb8\xad");
}

TEST(StrToVar, UnsupportedTypesGiveEmpty) {
  for (unsigned code :
       {unsigned{VT_EMPTY}, unsigned{VT_NULL}, unsigned{VT_CY}, unsigned{VT_DISPATCH}, unsigned{VT_ERROR},
        unsigned{VT_VARIANT}, unsigned{VT_UNKNOWN}, unsigned{VT_DECIMAL}, 15u, unsigned{VT_I8}, unsigned{VT_UI8}, 24u,
        0xFFFFu, unsigned{VT_ARRAY | VT_I4}, unsigned{VT_BYREF | VT_BSTR}}) {
    SCOPED_TRACE(code);
    const COleVariant v = CUtility::StrToVar(CString(u"5"), static_cast<VARTYPE>(code));
    EXPECT_EQ(v.vt, VT_EMPTY);
    EXPECT_EQ(v.llVal, 0);
  }
}

}  // namespace
