// UnicodeToAnsi and AnsiToUnicode: results in task-allocator blocks (released here with
// CoTaskMemFree, so AddressSanitizer checks the allocator), null handling, and the HRESULT of
// a text that outgrows its block of two bytes per unit.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "Conversions.h"

namespace {

using namespace conversions;

TEST(UnicodeToAnsi, NullTextSetsOutToNullAndSucceeds) {
  char sentinel = 0;
  char* out = &sentinel;
  EXPECT_EQ(CUtility::UnicodeToAnsi(nullptr, &out), 0);
  EXPECT_EQ(out, nullptr);
  unsigned short unit = 0;
  unsigned short* wide = &unit;
  EXPECT_EQ(CUtility::AnsiToUnicode(nullptr, &wide), 0);
  EXPECT_EQ(wide, nullptr);
}

TEST(UnicodeToAnsi, ConvertsIntoATwoBytesPerUnitBlock) {
  struct Case {
    const char* name;
    std::u16string text;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty: a two-byte block", u"", ""},
      {"ASCII", u"abc", "abc"},
      {"two-byte characters", u"\u00e9\u00e8", "\xc3\xa9\xc3\xa8"},
      {"one CJK character just fits", u"\u4e2d", "\xe4\xb8\xad"},
      {"lone surrogate", u"x\xDC00", "x\xef\xbf\xbd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char* out = nullptr;
    ASSERT_EQ(CUtility::UnicodeToAnsi(W(c.text), &out), 0);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::string(out), c.bytes);
    // The block spans 2 x (L + 1) bytes: AddressSanitizer reports this write if it is shorter.
    out[2 * c.text.size() + 1] = 'x';
    CoTaskMemFree(out);
  }
}

TEST(UnicodeToAnsi, TextOutgrowingItsBlockFailsWithTheFoldedError) {
  // Two CJK characters need 7 bytes of UTF-8; the block holds 6.
  char* out = reinterpret_cast<char*>(1);
  EXPECT_EQ(CUtility::UnicodeToAnsi(W(u"\u4e2d\u6587"), &out), static_cast<LONG>(0x8007007A));
  EXPECT_EQ(out, nullptr);
}

TEST(AnsiToUnicode, ConvertsIntoABlockOfLPlusOneUnits) {
  struct Case {
    const char* text;
    std::u16string units;
  };
  const Case cases[] = {
      {"", u""},
      {"abc", u"abc"},
      {"\xe4\xb8\xad\xe6\x96\x87", u"\u4e2d\u6587"},
      {"\xf0\x9f\x98\x80", u"\U0001F600"},
      {"bad\xff", u"bad\uFFFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    unsigned short* out = nullptr;
    ASSERT_EQ(CUtility::AnsiToUnicode(c.text, &out), 0);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(Units(out, c.units.size() + 1), c.units + u'\0');
    // The block spans L + 1 units: AddressSanitizer reports this write if it is shorter.
    out[std::strlen(c.text)] = 0x7777;
    CoTaskMemFree(out);
  }
}

TEST(TaskMemConversions, NullOutParameterIsRefused) {
  EXPECT_EQ(CUtility::UnicodeToAnsi(W(u"a"), nullptr), E_POINTER);
  EXPECT_EQ(CUtility::AnsiToUnicode("a", nullptr), E_POINTER);
}

}  // namespace
