// The display texts. Against the C library's printf over generated values: ConVarToStr's fixed
// texts (VarToStr writes reals with the same writer, at the places the special values below
// show) and hexadecimal bits, and VarToStr's "%d". Then the values printf is not asked about:
// booleans, non-finite reals, dates, strings, unhandled types and very long place counts.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "variant/VariantValues.h"

namespace {

using namespace utility::testsupport::variants;

std::string Printf(const char* format, double value) {
  const int n = std::snprintf(nullptr, 0, format, value);
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, value);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::string PlaceFormat(int decimals) { return "%." + std::to_string(decimals) + "f"; }

// Doubles of every kind: integers, exact eighths and decimal halves (the rounding cases of fixed
// formats), any mantissa at small scales and at any scale (subnormal and huge ones included).
double Generate(std::mt19937_64& rng) {
  const double sign = rng() % 2 ? -1.0 : 1.0;
  switch (rng() % 5) {
    case 0:
      return sign * static_cast<double>(rng() % 1000001);
    case 1:
      return sign * static_cast<double>(rng() % 1000001) / 8.0;
    case 2:
      return sign * (static_cast<double>(rng() % 100000) + 0.5) / std::pow(10.0, static_cast<double>(rng() % 8));
    case 3:
      return sign * std::ldexp(static_cast<double>(rng() >> 11), -static_cast<int>(rng() % 80));
    default:
      return sign * std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 2097) - 1126);
  }
}

// printf's fixed text of a value, with the minus sign dropped where the text reads as zero.
std::string Fixed(double value, int decimals) {
  std::string text = Printf(PlaceFormat(decimals < 0 ? 0 : decimals).c_str(), value);
  if (text[0] == '-' && std::strtod(text.c_str(), nullptr) == 0.0) text.erase(0, 1);
  return text;
}

// Without hex: a real is its fixed text; an integer type with places is the fixed text of its
// value, and without places its decimal text (as VarToStr's). With hex: the bits in hexadecimal.
TEST(PrintfParity, ConVarToStrIsTheFixedTextOrTheBitsInHex) {
  const unsigned seed = 777001;
  std::mt19937_64 rng(seed);
  const VARTYPE types[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_INT, VT_UI4, VT_UINT, VT_BOOL, VT_R4, VT_R8};
  for (int i = 0; i < 40000; ++i) {
    const VARTYPE vt = types[rng() % std::size(types)];
    COleVariant v = Raw(vt, rng());
    if (vt == VT_R8) v.dblVal = Generate(rng);
    if (vt == VT_R4) v.fltVal = static_cast<float>(Generate(rng));
    const bool real = vt == VT_R4 || vt == VT_R8;
    if (!real && rng() % 2 == 0) {
      // 0, and the numbers next to a power of ten of either sign, where the digit count changes.
      long long n = 1;
      for (auto k = rng() % 10; k > 0; --k) n *= 10;
      n = rng() % 4 == 0 ? 0 : n + static_cast<long long>(rng() % 3) - 1;
      v.llVal = rng() % 2 ? n : -n;
    }
    const int decimals = static_cast<int>(rng() % 33) - 2;  // -2 to 30
    const int hex = rng() % 5 != 0 ? 0 : rng() % 2 ? -1 : static_cast<int>(1 + rng() % 7);
    SCOPED_TRACE("seed " + std::to_string(seed) + " i " + std::to_string(i) + " vt " + std::to_string(vt) + " bits " +
                 std::to_string(v.llVal) + " decimals " + std::to_string(decimals) + " hex " + std::to_string(hex));
    const std::string text = U8(CUtility::ConVarToStr(&v, decimals, hex));
    // The value as the type holds it (VT_BOOL shows 1 for true); VarToDouble reads no VT_INT.
    const double value = vt == VT_INT ? v.intVal : vt == VT_UINT ? v.uintVal : CUtility::VarToDouble(&v);
    // VarToStr writes the integers it knows in decimal, read from the type's own bytes.
    if (!real && vt != VT_INT && vt != VT_UINT) {
      ASSERT_EQ(U8(CUtility::VarToStr(v)), std::to_string(static_cast<long long>(value)));
    }
    if (hex == 0) {
      if (real || decimals > 0) {
        ASSERT_EQ(text, Fixed(value, decimals));
      } else {
        ASSERT_EQ(text, std::to_string(static_cast<long long>(value)));
      }
      continue;
    }
    // The pattern: a real's stored bits, an integer's value widened to 32 bits by its sign,
    // at least two digits for each byte of the type (four bytes for the machine-sized ones).
    unsigned long long bits = 0;
    if (vt == VT_R8) {
      std::memcpy(&bits, &v.dblVal, 8);
    } else if (vt == VT_R4) {
      std::uint32_t b = 0;
      std::memcpy(&b, &v.fltVal, 4);
      bits = b;
    } else {
      const bool isSigned = vt == VT_I1 || vt == VT_I2 || vt == VT_I4 || vt == VT_INT || vt == VT_BOOL;
      const long long held = vt == VT_BOOL ? v.boolVal : static_cast<long long>(value);
      bits = static_cast<std::uint32_t>(isSigned ? static_cast<std::int32_t>(held) : static_cast<std::uint32_t>(held));
    }
    const int size = CUtility::GetSizeByVT(vt);
    char want[32];
    std::snprintf(want, sizeof want, "0x%0*llX", 2 * (size > 0 ? size : 4), bits);
    ASSERT_EQ(text, want);
  }
}

// plain: VarToStr's text; display: ConVarToStr's with 2 places, and with hex for dates and
// strings.
TEST(VarToStr, SpecialValuesInBothTexts) {
  auto check = [](const char* why, COleVariant v, const char* plain, const char* display) {
    EXPECT_EQ(U8(CUtility::VarToStr(v)), plain) << why;
    EXPECT_EQ(U8(CUtility::ConVarToStr(&v, 2, 0)), display) << why;
    if (v.vt == VT_DATE || v.vt == VT_BSTR) {
      for (int decimals : {-3, 0}) EXPECT_EQ(U8(CUtility::ConVarToStr(&v, decimals, 1)), display) << why;
    }
  };
  check("false", Int(VT_BOOL, 0), "0", "0.00");
  check("VARIANT_TRUE", Int(VT_BOOL, -1), "1", "1.00");
  check("nonstandard true", Int(VT_BOOL, 0x100), "1", "1.00");
  check("R4 widened before formatting", R4(16777217.0f), "16777216.000000", "16777216.00");
  check("R8 minus zero", R8(-0.0), "-0.000000000000000", "0.00");
  check("R8 inf", R8(std::numeric_limits<double>::infinity()), "inf", "inf");
  check("R8 -nan", R8(-std::numeric_limits<double>::quiet_NaN()), "-nan", "-nan");
  check("date", R8(45356.5 + 7629.0 / 86400.0, VT_DATE), "2024-03-05 14:07:09", "2024-03-05 14:07:09");
  check("below the range", R8(-657435.0, VT_DATE), "-001--1--1 -1:-1:-1", "Invalid DateTime");
  check("string", Text(u"  a b  "), "a b", "  a b  ");
  check("white space beyond ASCII", Text(u"\u3000x\t\r\n\u00a0"), "x", "\xe3\x80\x80x\t\r\n\xc2\xa0");
  check("null string", Raw(VT_BSTR, 0), "", "");
  check("embedded zero", Text({u"ab\0cd", 5}), "ab", "ab");
  check("a minus zero string is not cleaned", Text(u"-0.00"), "-0.00", "-0.00");
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
