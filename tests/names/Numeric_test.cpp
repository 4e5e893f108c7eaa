// IsNumeric: digits, at most one minus sign anywhere, and at most one decimal point when
// decimals are allowed.
#include <string>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

#include "support/TempDir.h"

namespace {

using utility::testsupport::Utf8;

TEST(IsNumeric, AcceptsPlainDecimalText) {
  struct Case {
    const char16_t* text;
    int allowDecimal;
    int expected;
  };
  const Case cases[] = {
      {u"12", 0, 1},
      {u"-12", 0, 1},
      {u"12-", 0, 1},
      {u"-", 0, 1},
      {u"--1", 0, 0},
      {u"1-2-3", 0, 0},
      {u"+1", 0, 0},
      {u"1e5", 1, 0},
      {u"1 2", 0, 0},
      {u"", 0, 1},
      {u"   ", 0, 1},
      {u"1.5", 0, 0},
      {u"1.5", 1, 1},
      {u".5", 1, 1},
      {u"5.", 1, 1},
      {u".", 1, 1},
      {u"1.2.3", 1, 0},
      {u" \t12\n", 0, 1},
      {u"1,000", 0, 0},
      {u"\uff11", 0, 0},
      {u"-.", 1, 1},
      {u"-1.-", 1, 0},
      {u"\u3000-7\u3000", 0, 1},
      {u".", 0, 0},
      {u"0x1F", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("'" + Utf8(c.text) + "' decimal " + std::to_string(c.allowDecimal));
    EXPECT_EQ(CUtility::IsNumeric(CString(c.text), c.allowDecimal), c.expected);
  }
}

TEST(IsNumeric, AnyNonZeroAllowsDecimals) {
  EXPECT_EQ(CUtility::IsNumeric(CString(u"3.14"), 2), 1);
  EXPECT_EQ(CUtility::IsNumeric(CString(u"3.14"), -1), 1);
}

}  // namespace
