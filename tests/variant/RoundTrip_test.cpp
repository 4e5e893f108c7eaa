// Parse what we print: the date text of every tested date reads back to the same second.
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

}  // namespace
