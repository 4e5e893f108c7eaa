// The display text: places, hexadecimal, dates, strings and the minus-zero clean-up.
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
  int decimals;
  int hex;
  const char* want;
};

void CheckAll(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.why) + " decimals " + std::to_string(c.decimals) + " hex " + std::to_string(c.hex));
    COleVariant v = c.value;
    EXPECT_EQ(U8(CUtility::ConVarToStr(&v, c.decimals, c.hex)), c.want);
  }
}

TEST(ConVarToStr, HexadecimalWidensSmallSignedTypesWithTheirSign) {
  CheckAll({
      {"I1 5", Int(VT_I1, 5), 0, 1, "0x05"},
      {"I1 127", Int(VT_I1, 127), 0, 1, "0x7F"},
      {"I1 -128", Int(VT_I1, -128), 0, 1, "0xFFFFFF80"},
      {"UI1 255", Int(VT_UI1, 255), 0, 1, "0xFF"},
      {"UI1 10", Int(VT_UI1, 10), 0, 1, "0x0A"},
      {"I2 0x1234", Int(VT_I2, 0x1234), 0, 1, "0x1234"},
      {"I2 -1", Int(VT_I2, -1), 0, 1, "0xFFFFFFFF"},
      {"I2 -32768", Int(VT_I2, -32768), 0, 1, "0xFFFF8000"},
      {"UI2 65535", Int(VT_UI2, 65535), 0, 1, "0xFFFF"},
      {"UI2 1", Int(VT_UI2, 1), 0, 1, "0x0001"},
      {"I4 -1", Int(VT_I4, -1), 0, 1, "0xFFFFFFFF"},
      {"I4 255", Int(VT_I4, 255), 3, 1, "0x000000FF"},
      {"INT -2", Int(VT_INT, -2), 0, 1, "0xFFFFFFFE"},
      {"UI4 1", Int(VT_UI4, 1), 0, 7, "0x00000001"},
      {"UINT max", Int(VT_UINT, 4294967295LL), 0, -1, "0xFFFFFFFF"},
      {"BOOL true", Int(VT_BOOL, -1), 0, 1, "0xFFFFFFFF"},
      {"BOOL false", Int(VT_BOOL, 0), 0, 1, "0x00"},
      {"BOOL 1", Int(VT_BOOL, 1), 0, 1, "0x01"},
      {"R4 1.0", R4(1.0f), 0, 1, "0x3F800000"},
      {"R4 -1.5", R4(-1.5f), 0, 1, "0xBFC00000"},
      {"R4 0", R4(0.0f), 0, 1, "0x00000000"},
      {"R8 1.0", R8(1.0), 0, 1, "0x3FF0000000000000"},
      {"R8 1.0 with places", R8(1.0), 5, 1, "0x3FF0000000000000"},
      {"R8 -2.5", R8(-2.5), 0, 1, "0xC004000000000000"},
      {"R8 smallest", R8(4.9406564584124654e-324), 0, 1, "0x0000000000000001"},
  });
}

TEST(ConVarToStr, PlacesAndPlainIntegers) {
  CheckAll({
      {"I2 -1 places", Int(VT_I2, -1), 2, 0, "-1.00"},
      {"I2 -1 plain", Int(VT_I2, -1), 0, 0, "-1"},
      {"I4 7 places", Int(VT_I4, 7), 3, 0, "7.000"},
      {"I4 7 zero places", Int(VT_I4, 7), 0, 0, "7"},
      {"I4 7 negative places", Int(VT_I4, 7), -2, 0, "7"},
      {"I4 -5 places", Int(VT_I4, -5), 2, 0, "-5.00"},
      {"UI1 plain", Int(VT_UI1, 200), 0, 0, "200"},
      {"I1 plain", Int(VT_I1, -100), 0, 0, "-100"},
      {"UI2 places", Int(VT_UI2, 65535), 1, 0, "65535.0"},
      {"UI4 plain", Int(VT_UI4, 4294967295LL), 0, 0, "4294967295"},
      {"UI4 places exact", Int(VT_UI4, 4294967295LL), 2, 0, "4294967295.00"},
      {"UINT plain", Int(VT_UINT, 4294967295LL), 0, 0, "4294967295"},
      {"UINT places", Int(VT_UINT, 4294967295LL), 2, 0, "4294967295.00"},
      {"INT plain", Int(VT_INT, -2147483648LL), 0, 0, "-2147483648"},
      {"BOOL true plain", Int(VT_BOOL, -1), 0, 0, "1"},
      {"BOOL true places", Int(VT_BOOL, -1), 2, 0, "1.00"},
      {"BOOL 7 places", Int(VT_BOOL, 7), 2, 0, "1.00"},
      {"BOOL false places", Int(VT_BOOL, 0), 2, 0, "0.00"},
  });
}

TEST(ConVarToStr, RealsAlwaysUseThePlaceCount) {
  CheckAll({
      {"R8 pi", R8(3.14159), 2, 0, "3.14"},
      {"R4 2.5", R4(2.5f), 1, 0, "2.5"},
      {"R8 zero places", R8(2.5), 0, 0, "2"},  // printf rounds half to even
      {"R8 3.5 zero places", R8(3.5), 0, 0, "4"},
      {"R4 0 places", R4(7.75f), 0, 0, "8"},
      {"R8 negative count shows no places", R8(2.75), -1, 0, "3"},
      {"R8 many places", R8(0.1), 20, 0, "0.10000000000000000555"},
      {"R8 inf", R8(std::numeric_limits<double>::infinity()), 2, 0, "inf"},
      {"R8 -inf", R8(-std::numeric_limits<double>::infinity()), 2, 0, "-inf"},
      {"R8 -nan", R8(-std::numeric_limits<double>::quiet_NaN()), 2, 0, "-nan"},
  });
}

TEST(ConVarToStr, NumbersShownAsZeroLoseTheirMinusSign) {
  CheckAll({
      {"R8 -0.0001 two places", R8(-0.0001), 2, 0, "0.00"},
      {"R8 minus zero three places", R8(-0.0), 3, 0, "0.000"},
      {"R4 -0.4 no places", R4(-0.4f), 0, 0, "0"},
      {"R8 -0.01 keeps its sign", R8(-0.01), 2, 0, "-0.01"},
      {"R8 -0.005 rounds to -0.01", R8(-0.0051), 2, 0, "-0.01"},
      {"R8 -1e-300 fifteen places", R8(-1e-300), 15, 0, "0.000000000000000"},
      {"I4 -5 keeps its sign", Int(VT_I4, -5), 0, 0, "-5"},
      {"R8 -inf keeps its sign", R8(-std::numeric_limits<double>::infinity()), 0, 0, "-inf"},
      {"BSTR -0 is not cleaned", Text(u"-0"), 2, 0, "-0"},
      {"BSTR -0.00 is not cleaned", Text(u"-0.00"), 0, 1, "-0.00"},
  });
}

TEST(ConVarToStr, DatesAndStringsWhateverTheChoices) {
  for (int decimals : {-3, 0, 2}) {
    for (int hex : {0, 1}) {
      CheckAll({
          {"date 0", R8(0.0, VT_DATE), decimals, hex, "1899-12-30 00:00:00"},
          {"date", R8(45356.5 + 7629.0 / 86400.0, VT_DATE), decimals, hex, "2024-03-05 14:07:09"},
          {"year 100", R8(-657434.0, VT_DATE), decimals, hex, "0100-01-01 00:00:00"},
          {"too early", R8(-657435.0, VT_DATE), decimals, hex, "Invalid DateTime"},
          {"too late", R8(1e7, VT_DATE), decimals, hex, "Invalid DateTime"},
          {"nan", R8(std::nan(""), VT_DATE), decimals, hex, "Invalid DateTime"},
          {"string kept as is", Text(u"  x  "), decimals, hex, "  x  "},
          {"null string", Raw(VT_BSTR, 0), decimals, hex, ""},
      });
    }
  }
}

TEST(ConVarToStr, NullAndUnhandledTypesGiveTheFailureText) {
  EXPECT_EQ(U8(CUtility::ConVarToStr(nullptr, 2, 0)), "***");
  for (unsigned code :
       {unsigned{VT_EMPTY}, unsigned{VT_NULL}, unsigned{VT_CY}, unsigned{VT_ERROR}, unsigned{VT_DECIMAL},
        unsigned{VT_I8}, unsigned{VT_UI8}, 15u, 24u, unsigned{VT_ARRAY | VT_I4}, unsigned{VT_BYREF | VT_R8}}) {
    for (int hex : {0, 1}) {
      SCOPED_TRACE(code);
      COleVariant v = Raw(static_cast<VARTYPE>(code), 0);
      EXPECT_EQ(U8(CUtility::ConVarToStr(&v, 2, hex)), "***");
    }
  }
}

TEST(ConVarToStr, VeryLongPlaceCounts) {
  COleVariant v = R8(-1e-300);
  const CString shown = CUtility::ConVarToStr(&v, 2000, 0);
  // 1 digit, a point, 2000 places; digits of 1e-300 reach far beyond place 300.
  ASSERT_EQ(shown.GetLength(), 2003);
  EXPECT_EQ(shown[0], u'-');
  EXPECT_EQ(shown[2002], u'0');
  COleVariant tiny = R8(-4.9406564584124654e-324);
  const CString zeros = CUtility::ConVarToStr(&tiny, 300, 0);
  EXPECT_EQ(U8(zeros), "0." + std::string(300, '0'));
  EXPECT_EQ(U8(CUtility::ConVarToStr(&v, 100001, 0)), "***");
  COleVariant i = Int(VT_I4, 3);
  EXPECT_EQ(U8(CUtility::ConVarToStr(&i, 100001, 0)), "***");
  EXPECT_EQ(CUtility::ConVarToStr(&i, 100000, 0).GetLength(), 100002);
}

TEST(ConVarToStr, LeavesTheVariantAlone) {
  COleVariant v = R8(-0.0001);
  CUtility::ConVarToStr(&v, 2, 0);
  EXPECT_EQ(v.vt, VT_R8);
  EXPECT_EQ(v.dblVal, -0.0001);
}

}  // namespace
