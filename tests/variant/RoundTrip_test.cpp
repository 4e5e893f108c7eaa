// Parse what we print: the date text of every tested date reads back to the same second, and
// integer texts read back to the same value of the same type.
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "variant/VariantValues.h"

namespace {

using namespace utility::testsupport::variants;

TEST(RoundTrip, DateTextReadsBackToTheSameSecond) {
  const unsigned seed = 31415926;
  std::mt19937_64 rng(seed);
  std::uniform_int_distribution<long long> days(-657434, 2958465);
  std::uniform_int_distribution<int> seconds(0, 86399);
  for (int i = 0; i < 20000; ++i) {
    const long long day = days(rng);
    // Whole seconds, and seconds with a fraction that the text rounds away.
    const double time = (seconds(rng) + (i % 2 ? 0.0 : std::uniform_real_distribution<double>(0, 0.49)(rng))) / 86400.0;
    const double value = day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
    SCOPED_TRACE("seed " + std::to_string(seed) + " i " + std::to_string(i) + " value " + std::to_string(value));
    COleVariant date = R8(value, VT_DATE);
    const CString text = CUtility::VarToStr(date);
    ASSERT_EQ(U8(CUtility::ConVarToStr(&date, 3, 1)), U8(text));
    const COleVariant back = CUtility::StrToVar(text, VT_DATE);
    ASSERT_EQ(back.vt, VT_DATE);
    ASSERT_EQ(U8(CUtility::VarToStr(back)), U8(text));
    // The value read back is the whole second nearest the original.
    ASSERT_NEAR(std::fabs(back.date - value) * 86400.0, 0.0, 0.5 + 1e-6) << U8(text);
  }
}

TEST(RoundTrip, IntegerTextsReadBackToTheSameValue) {
  const unsigned seed = 2718281;
  std::mt19937_64 rng(seed);
  const VARTYPE types[] = {VT_I2, VT_I4, VT_BOOL, VT_I1, VT_UI1, VT_UI2, VT_UI4};
  for (int i = 0; i < 20000; ++i) {
    const VARTYPE vt = types[rng() % std::size(types)];
    COleVariant v = Raw(vt, rng());
    if (vt == VT_BOOL) v.boolVal = rng() % 2 ? VARIANT_TRUE : VARIANT_FALSE;
    SCOPED_TRACE("seed " + std::to_string(seed) + " i " + std::to_string(i) + " vt " + std::to_string(vt));
    const CString plain = CUtility::ConVarToStr(&v, 0, 0);
    COleVariant back = CUtility::StrToVar(plain, vt);
    // VT_BOOL shows 1 for true, which reads back as 1 rather than VARIANT_TRUE: equal data.
    if (vt == VT_BOOL) {
      ASSERT_EQ(CUtility::IsDataEqual(v, back), 1) << U8(plain);
    } else {
      ASSERT_EQ(CUtility::IsVarSame(v, back), 1) << U8(plain);
    }
    ASSERT_EQ(U8(CUtility::VarToStr(back)), U8(CUtility::VarToStr(v)));
  }
}

TEST(RoundTrip, RealsReadBackWithinTheShownPlaces) {
  const unsigned seed = 1618033;
  std::mt19937_64 rng(seed);
  for (int i = 0; i < 20000; ++i) {
    const double d = std::uniform_real_distribution<double>(-1e6, 1e6)(rng);
    SCOPED_TRACE("seed " + std::to_string(seed) + " value " + std::to_string(d));
    const COleVariant back = CUtility::StrToVar(CUtility::VarToStr(R8(d)), VT_R8);
    ASSERT_LE(std::fabs(back.dblVal - d), 0.5e-15 + std::fabs(d) * 1e-15);
    // "%.17g"-exact texts read back bit for bit.
    char exact[64];
    std::snprintf(exact, sizeof exact, "%.17g", d);
    ASSERT_EQ(CUtility::StrToVar(CString(exact), VT_R8).dblVal, d);
  }
}

}  // namespace
