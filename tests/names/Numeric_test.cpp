// IsNumeric: after trimming, digits only, at most one minus sign anywhere, and at most one
// decimal point when decimals are allowed (any nonzero flag).
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

#include "support/TempDir.h"

namespace {

using utility::testsupport::Utf8;

// The rule over texts without white space inside: count the signs and points.
int Model(const std::u16string& text, int allowDecimal) {
  int minus = 0, points = 0;
  for (char16_t c : text) {
    if (c == u'-') {
      ++minus;
    } else if (c == u'.') {
      ++points;
    } else if (c < u'0' || c > u'9') {
      return 0;
    }
  }
  return minus <= 1 && points <= (allowDecimal != 0 ? 1 : 0) ? 1 : 0;
}

TEST(IsNumeric, CountsSignsAndPointsOfGeneratedTexts) {
  const unsigned seed = 314;
  std::mt19937 rng(seed);
  const std::u16string alphabet = u"0123456789--..+eE,x\uff11\u0663";
  for (int round = 0; round < 20000; ++round) {
    std::u16string text;
    for (std::size_t n = rng() % 8; n > 0; --n) text.push_back(alphabet[rng() % alphabet.size()]);
    const int allowDecimal = static_cast<int>(rng() % 3) - 1;
    // White space around the text is trimmed first: ASCII and beyond.
    const std::u16string padded = (rng() % 2 ? u" \t" : u"") + text + (rng() % 2 ? u"\u3000\n" : u"");
    ASSERT_EQ(CUtility::IsNumeric(CString(std::u16string_view(padded)), allowDecimal), Model(text, allowDecimal))
        << "'" << Utf8(padded.c_str()) << "' decimal " << allowDecimal << " seed " << seed;
  }
  // White space inside the text is no digit; only white space is an empty number.
  EXPECT_EQ(CUtility::IsNumeric(CString(u"1 2"), 0), 0);
  EXPECT_EQ(CUtility::IsNumeric(CString(u" \t "), 0), 1);
  EXPECT_EQ(CUtility::IsNumeric(CString(u"3.14"), 2), 1);
}

}  // namespace
