// The plain text of a variant, row by row of its table.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "variant/VariantValues.h"

namespace {

using namespace varianttest;

struct Case {
  const char* why;
  COleVariant value;
  const char* want;
};

void Check(const Case& c) {
  SCOPED_TRACE(c.why);
  EXPECT_EQ(U8(CUtility::VarToStr(c.value)), c.want);
}

TEST(VarToStr, IntegersInDecimal) {
  const Case cases[] = {
      {"I2 min", Int(VT_I2, -32768), "-32768"},
      {"I2 max", Int(VT_I2, 32767), "32767"},
      {"I2 zero", Int(VT_I2, 0), "0"},
      {"UI2 max", Int(VT_UI2, 65535), "65535"},
      {"I1 -1", Int(VT_I1, -1), "-1"},
      {"I1 min", Int(VT_I1, -128), "-128"},
      {"UI1 max", Int(VT_UI1, 255), "255"},
      {"I4 min", Int(VT_I4, -2147483648LL), "-2147483648"},
      {"I4 max", Int(VT_I4, 2147483647), "2147483647"},
      {"UI4 max", Int(VT_UI4, 4294967295LL), "4294967295"},
      // Only the type's own bytes count: the rest of the payload is ignored.
      {"I2 reads 16 bits", Raw(VT_I2, 0x12345678FFFFull), "-1"},
      {"UI1 reads 8 bits", Raw(VT_UI1, 0x1FFull), "255"},
      {"I4 reads 32 bits", Raw(VT_I4, 0xAAAAAAAA00000005ull), "5"},
  };
  for (const Case& c : cases) Check(c);
}

// The digit count changes at each power of ten: every length, on both sides of each change.
TEST(VarToStr, IntegersAtEveryDigitCount) {
  for (unsigned long long power = 1; power <= 1000000000ull; power *= 10) {
    for (const unsigned long long value : {power - 1, power, power + 1, power * 9 + power - 1}) {
      if (value > 4294967295ull) continue;
      SCOPED_TRACE(value);
      EXPECT_EQ(U8(CUtility::VarToStr(Int(VT_UI4, static_cast<long long>(value)))), std::to_string(value));
      if (value <= 2147483648ull) {
        const long long negative = -static_cast<long long>(value);
        EXPECT_EQ(U8(CUtility::VarToStr(Int(VT_I4, negative))), std::to_string(negative));
      }
    }
  }
}

TEST(VarToStr, BooleansAreZeroOrOne) {
  const Case cases[] = {
      {"false", Int(VT_BOOL, 0), "0"},
      {"VARIANT_TRUE", Int(VT_BOOL, -1), "1"},
      {"nonstandard 1", Int(VT_BOOL, 1), "1"},
      {"nonstandard 5", Int(VT_BOOL, 5), "1"},
      {"high byte only", Int(VT_BOOL, 0x100), "1"},
  };
  for (const Case& c : cases) Check(c);
}

// Finite reals are printf's "%.6f" and "%.15f" (PrintfParity_test); here, the values it does
// not generate.
TEST(VarToStr, RealsWithFixedPlacesAndNoTrimming) {
  const Case cases[] = {
      {"R4 widened before formatting", R4(16777217.0f), "16777216.000000"},
      {"R8 minus zero keeps its sign", R8(-0.0), "-0.000000000000000"},
      {"R8 inf", R8(std::numeric_limits<double>::infinity()), "inf"},
      {"R8 -inf", R8(-std::numeric_limits<double>::infinity()), "-inf"},
      {"R4 nan", R4(std::numeric_limits<float>::quiet_NaN()), "nan"},
  };
  for (const Case& c : cases) Check(c);
}

TEST(VarToStr, DatesAsTheDateText) {
  const Case cases[] = {
      {"origin", R8(0.0, VT_DATE), "1899-12-30 00:00:00"},
      {"noon", R8(45356.5, VT_DATE), "2024-03-05 12:00:00"},
      {"before the origin", R8(-1.25, VT_DATE), "1899-12-29 06:00:00"},
      {"first day", R8(-657434.0, VT_DATE), "0100-01-01 00:00:00"},
      {"last second", R8(2958465.0 + 86399.0 / 86400.0, VT_DATE), "9999-12-31 23:59:59"},
      {"rounded to the second", R8(45356.5 + 0.7 / 86400.0, VT_DATE), "2024-03-05 12:00:01"},
      {"below the range", R8(-657435.0, VT_DATE), "-001--1--1 -1:-1:-1"},
      {"above the range", R8(2958466.0, VT_DATE), "-001--1--1 -1:-1:-1"},
      {"not a number", R8(std::nan(""), VT_DATE), "-001--1--1 -1:-1:-1"},
  };
  for (const Case& c : cases) Check(c);
}

TEST(VarToStr, StringsUpToTheFirstZeroAndTrimmed) {
  COleVariant embedded;
  embedded.vt = VT_BSTR;
  embedded.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(u"ab\0cd"), 5);
  COleVariant null = Raw(VT_BSTR, 0);
  const Case cases[] = {
      {"plain", Text(u"hello"), "hello"},
      {"trimmed, inner blank kept", Text(u"  a b  "), "a b"},
      {"tabs and line ends", Text(u"\t\r\nx\n"), "x"},
      {"Unicode white space", Text(u"\u3000x\u00a0"), "x"},
      {"only blanks", Text(u"   "), ""},
      {"empty", Text(u""), ""},
      {"null", null, ""},
      {"embedded zero", embedded, "ab"},
      {"the failure text itself", Text(u"***"), "***"},
  };
  for (const Case& c : cases) Check(c);
}

TEST(VarToStr, EveryOtherTypeIsTheFailureText) {
  const unsigned codes[] = {VT_EMPTY,
                            VT_NULL,
                            VT_CY,
                            VT_ERROR,
                            VT_VARIANT,
                            VT_DECIMAL,
                            15,
                            VT_I8,
                            VT_UI8,
                            VT_INT,
                            VT_UINT,
                            24,
                            0xFFF,
                            unsigned{VT_ARRAY | VT_I4},
                            unsigned{VT_BYREF | VT_I2},
                            unsigned{VT_VECTOR | VT_R8},
                            unsigned{VT_ARRAY | VT_EMPTY}};
  for (unsigned code : codes) {
    SCOPED_TRACE(code);
    EXPECT_EQ(U8(CUtility::VarToStr(Raw(static_cast<VARTYPE>(code), 0x0102030405060708ull))), "***");
  }
}

TEST(VarToStr, LeavesTheCallersVariantAlone) {
  COleVariant s = Text(u"  padded  ");
  const BSTR before = s.bstrVal;
  EXPECT_EQ(U8(CUtility::VarToStr(s)), "padded");
  EXPECT_EQ(s.vt, VT_BSTR);
  EXPECT_EQ(s.bstrVal, before);
  EXPECT_EQ(U8(CString(s.bstrVal)), "  padded  ");
}

}  // namespace
