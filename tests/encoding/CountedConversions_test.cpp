// ToWideString and ToMultiBytes: the count never includes a terminator, the array is one
// longer only when a terminator is asked for, and every "nothing to convert" case leaves the
// out-parameter as it was with nothing allocated.
#include <string>

#include <gtest/gtest.h>

#include "Conversions.h"

namespace {

using namespace conversions;

TEST(ToWideString, ConvertsAndTerminatesOnRequest) {
  struct Case {
    const char* text;
    int length;
    int terminate;
    std::u16string units;  // the converted units
  };
  const Case cases[] = {
      {"abc", -1, 1, u"abc"},
      {"abc", -1, 0, u"abc"},
      {"abcdef", 2, 1, u"ab"},  // exactly the first two bytes
      {"abcdef", 2, 0, u"ab"},
      {"\xe4\xb8\xad", -1, 1, u"\u4e2d"},
      {"\xe4\xb8\xad", 2, 1, u"\uFFFD"},  // a sequence cut by the length
      {"a\0b", 3, 1, std::u16string(u"a\0b", 3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " length " + std::to_string(c.length) + " terminate " +
                 std::to_string(c.terminate));
    unsigned short* out = nullptr;
    const int n = CUtility::ToWideString(out, c.text, c.length, c.terminate);
    ASSERT_EQ(n, static_cast<int>(c.units.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(Units(out, c.units.size()), c.units);
    if (c.terminate != 0) {
      EXPECT_EQ(out[n], 0) << "the terminator unit";
    }
    delete[] out;
  }
}

TEST(ToMultiBytes, ConvertsAndTerminatesOnRequest) {
  struct Case {
    std::u16string text;
    int length;
    int terminate;
    std::string bytes;
  };
  const Case cases[] = {
      {u"abc", -1, 1, "abc"},
      {u"abc", -1, 0, "abc"},
      {u"abcdef", 2, 1, "ab"},
      {u"\u4e2d", -1, 1, "\xe4\xb8\xad"},
      {u"\u00e9x", 1, 0, "\xc3\xa9"},
      {u"\xD800", -1, 1, "\xef\xbf\xbd"},
      {std::u16string(u"a\0b", 3), 3, 1, std::string("a\0b", 3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes + " length " + std::to_string(c.length) + " terminate " + std::to_string(c.terminate));
    char* out = nullptr;
    const int n = CUtility::ToMultiBytes(out, W(c.text), c.length, c.terminate);
    ASSERT_EQ(n, static_cast<int>(c.bytes.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::string(out, c.bytes.size()), c.bytes);
    if (c.terminate != 0) {
      EXPECT_EQ(out[n], 0) << "the terminator byte";
    }
    delete[] out;
  }
}

TEST(CountedConversions, NothingToConvertLeavesOutUntouched) {
  unsigned short sentinelUnit = 0;
  char sentinelByte = 0;
  struct Case {
    const char* name;
    const char* narrow;
    const char16_t* wide;
    int length;
  };
  const Case cases[] = {
      {"empty whole text", "", u"", -1},          {"length 0", "abc", u"abc", 0},
      {"null text, whole", nullptr, nullptr, -1}, {"null text, length 5", nullptr, nullptr, 5},
      {"length below -1", "abc", u"abc", -3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int terminate : {0, 1}) {
      unsigned short* wideOut = &sentinelUnit;
      EXPECT_EQ(CUtility::ToWideString(wideOut, c.narrow, c.length, terminate), 0);
      EXPECT_EQ(wideOut, &sentinelUnit);
      char* narrowOut = &sentinelByte;
      EXPECT_EQ(CUtility::ToMultiBytes(narrowOut, W(c.wide), c.length, terminate), 0);
      EXPECT_EQ(narrowOut, &sentinelByte);
    }
  }
}

}  // namespace
