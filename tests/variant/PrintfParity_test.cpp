// Number texts against the C library's printf: VarToStr's "%.6f" and "%.15f", and ConVarToStr
// against a literal version of its table built from snprintf and strtod, over generated values.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "variant/VariantValues.h"

namespace {

using namespace varianttest;

std::string Printf(const char* format, double value) {
  const int n = std::snprintf(nullptr, 0, format, value);
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, value);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::string PlaceFormat(int decimals) { return "%." + std::to_string(decimals) + "f"; }

// Doubles of every kind: integers, fractions of all magnitudes, halves (the rounding cases of
// fixed formats), subnormals, huge values, random bit patterns.
double Generate(std::mt19937_64& rng) {
  std::uniform_int_distribution<int> kind(0, 7);
  switch (kind(rng)) {
    case 0:
      return static_cast<double>(static_cast<long long>(rng() % 2000001) - 1000000);
    case 1:
      return (static_cast<double>(rng() % 2000001) - 1000000.0) / 8.0;  // exact halves, quarters, eighths
    case 2:
      return std::ldexp(static_cast<double>(rng() >> 11), -static_cast<int>(rng() % 80));
    case 3:
      return std::uniform_real_distribution<double>(-1.0, 1.0)(rng) * std::pow(10.0, static_cast<double>(rng() % 40) - 20);
    case 4:
      return (rng() % 2 ? -1 : 1) * (static_cast<double>(rng() % 100000) + 0.5) / std::pow(10.0, static_cast<double>(rng() % 8));
    case 5: {
      double d;
      unsigned long long bits = rng();
      std::memcpy(&d, &bits, sizeof d);
      return std::isfinite(d) ? d : 1.0;
    }
    case 6:
      return std::ldexp(static_cast<double>(rng() % 1000), -1074 + static_cast<int>(rng() % 60));  // subnormals
    default:
      return std::ldexp(1.0 + static_cast<double>(rng() % 1000) / 1000.0, static_cast<int>(rng() % 1024));
  }
}

TEST(PrintfParity, VarToStrWritesRealsAsPrintfDoes) {
  const unsigned seed = 42424242;
  std::mt19937_64 rng(seed);
  for (int i = 0; i < 20000; ++i) {
    const double d = Generate(rng);
    const float f = static_cast<float>(d);
    SCOPED_TRACE("seed " + std::to_string(seed) + " i " + std::to_string(i) + " value " + Printf("%.17g", d));
    ASSERT_EQ(U8(CUtility::VarToStr(R8(d))), Printf("%.15f", d));
    ASSERT_EQ(U8(CUtility::VarToStr(R4(f))), Printf("%.6f", static_cast<double>(f)));
  }
}

// The display text as its table says, written with snprintf and cleaned with strtod.
std::string OracleConVarToStr(const COleVariant& v, int decimals, int hex) {
  char buffer[4096];
  const std::string place = PlaceFormat(decimals);
  auto integer = [&](long long value, unsigned pattern, const char* hexFormat, const char* plain) {
    if (hex) std::snprintf(buffer, sizeof buffer, hexFormat, pattern);
    else if (decimals > 0) std::snprintf(buffer, sizeof buffer, place.c_str(), static_cast<double>(value));
    else std::snprintf(buffer, sizeof buffer, plain, value);
    return std::string(buffer);
  };
  std::string text;
  switch (v.vt) {
    case VT_I1: text = integer(v.cVal, static_cast<unsigned>(static_cast<int>(static_cast<signed char>(v.cVal))), "0x%.2X", "%lld"); break;
    case VT_UI1: text = integer(v.bVal, v.bVal, "0x%.2X", "%lld"); break;
    case VT_I2: text = integer(v.iVal, static_cast<unsigned>(static_cast<int>(v.iVal)), "0x%.4X", "%lld"); break;
    case VT_UI2: text = integer(v.uiVal, v.uiVal, "0x%.4X", "%lld"); break;
    case VT_I4: text = integer(v.lVal, static_cast<unsigned>(v.lVal), "0x%.8X", "%lld"); break;
    case VT_INT: text = integer(v.intVal, static_cast<unsigned>(v.intVal), "0x%.8X", "%lld"); break;
    case VT_UI4: text = integer(v.ulVal, v.ulVal, "0x%.8X", "%lld"); break;
    case VT_UINT: text = integer(v.uintVal, v.uintVal, "0x%.8X", "%lld"); break;
    case VT_BOOL: text = integer(v.boolVal ? 1 : 0, static_cast<unsigned>(static_cast<int>(v.boolVal)), "0x%.2X", "%lld"); break;
    case VT_R4: {
      unsigned bits;
      std::memcpy(&bits, &v.fltVal, 4);
      if (hex) std::snprintf(buffer, sizeof buffer, "0x%.8X", bits);
      else std::snprintf(buffer, sizeof buffer, PlaceFormat(decimals < 0 ? 0 : decimals).c_str(), static_cast<double>(v.fltVal));
      text = buffer;
      break;
    }
    case VT_R8: {
      unsigned long long bits;
      std::memcpy(&bits, &v.dblVal, 8);
      if (hex) std::snprintf(buffer, sizeof buffer, "0x%.8X%.8X", static_cast<unsigned>(bits >> 32), static_cast<unsigned>(bits));
      else std::snprintf(buffer, sizeof buffer, PlaceFormat(decimals < 0 ? 0 : decimals).c_str(), v.dblVal);
      text = buffer;
      break;
    }
    default:
      return "***";
  }
  if (text.find('-') != std::string::npos && std::strtod(text.c_str(), nullptr) == 0.0) {
    std::string cleaned;
    for (char c : text) if (c != '-') cleaned += c;
    text = cleaned;
  }
  return text;
}

TEST(PrintfParity, ConVarToStrAgreesWithItsLiteralTableForPlacesZeroToThirty) {
  const unsigned seed = 777001;
  std::mt19937_64 rng(seed);
  const VARTYPE types[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_INT, VT_UI4, VT_UINT, VT_BOOL, VT_R4, VT_R8};
  for (int i = 0; i < 40000; ++i) {
    const VARTYPE vt = types[rng() % std::size(types)];
    COleVariant v = Raw(vt, rng());
    if (vt == VT_R8) v.dblVal = Generate(rng);
    if (vt == VT_R4) v.fltVal = static_cast<float>(Generate(rng));
    if (rng() % 4 == 0 && vt != VT_R4 && vt != VT_R8) v.llVal = static_cast<long long>(rng() % 3) - 1;  // 0, ±1
    const int decimals = static_cast<int>(rng() % 33) - 2;  // -2 to 30
    const int hex = rng() % 5 == 0 ? static_cast<int>(rng() % 3) : 0;
    SCOPED_TRACE("seed " + std::to_string(seed) + " i " + std::to_string(i) + " vt " + std::to_string(vt) +
                 " bits " + std::to_string(v.llVal) + " decimals " + std::to_string(decimals) + " hex " +
                 std::to_string(hex));
    ASSERT_EQ(U8(CUtility::ConVarToStr(&v, decimals, hex)), OracleConVarToStr(v, decimals, hex));
  }
}

TEST(PrintfParity, EveryPlaceCountOfAwkwardValues) {
  const double values[] = {0.5, 1.5, 2.5, -0.5, 0.125, 0.375, 1e-7, -1e-7, 123456789.987654321, 0.1, 2.0 / 3.0,
                           9.995, 99.5, 1e15 + 0.5, 1e22, 1.7976931348623157e308, 4.9406564584124654e-324,
                           -2.2250738585072014e-308, 0.0, -0.0};
  for (double d : values) {
    for (int decimals = 0; decimals <= 30; ++decimals) {
      SCOPED_TRACE(Printf("%.17g", d) + " places " + std::to_string(decimals));
      COleVariant v = R8(d);
      ASSERT_EQ(U8(CUtility::ConVarToStr(&v, decimals, 0)), OracleConVarToStr(v, decimals, 0));
    }
  }
}

}  // namespace
