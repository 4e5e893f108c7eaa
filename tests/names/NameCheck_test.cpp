// CheckNameValidiy, IsPathNameValid and IsNumeric. The keyword step reads the starter
// KeyWords.ini that the build stages beside the test program (it lists IF and not COUNT_1).
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

#include "support/TempDir.h"

namespace {

using utility::testsupport::Utf8;

struct Case {
  const char16_t* name;
  int allowFreeForm;
  int allowSpace;
  int expected;
};

TEST(CheckNameValidiy, GradesNamesInTheOrderOfItsChecks) {
  const Case cases[] = {
      {u"", 0, 0, 1},
      {u"  \t\u3000 ", 1, 1, 1},
      {u"my var", 0, 0, 2},
      {u"my var", 0, 1, 3},
      {u"my #var", 0, 0, 2},
      {u"my #var", 1, 1, 3},
      {u"  Count_1  ", 0, 0, 0},
      {u"1abc", 0, 0, 3},
      {u"_abc", 0, 0, 3},
      {u"If", 0, 0, 4},
      {u" if ", 0, 0, 4},
      {u"ifx", 0, 0, 0},
      {u"\u00e9t\u00e9", 0, 0, 3},
      {u"\u5982\u679c", 1, 0, 4},
      {u"\u5982\u679c", 0, 0, 3},
      {u"tab\there", 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("'" + Utf8(c.name) + "' freeForm " + std::to_string(c.allowFreeForm) + " space " +
                 std::to_string(c.allowSpace));
    EXPECT_EQ(CUtility::CheckNameValidiy(CString(c.name), c.allowFreeForm, c.allowSpace), c.expected);
  }
}

TEST(CheckNameValidiy, ForbidsExactlyTheThirtyCharacters) {
  const std::u16string forbidden = u"~`!@#$%^&*()[]{}\"';:?><,-+=|\\/";
  ASSERT_EQ(forbidden.size(), 30u);
  for (char16_t c = 0x21; c < 0x7F; ++c) {
    const std::u16string name = std::u16string(u"a") + c + u"b";
    SCOPED_TRACE("'" + Utf8(name.c_str()) + "'");
    const bool isForbidden = forbidden.find(c) != std::u16string::npos;
    EXPECT_EQ(CUtility::CheckNameValidiy(CString(std::u16string_view(name)), 1, 1), isForbidden ? 3 : 0);
    const bool identifierCharacter =
        (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
    EXPECT_EQ(CUtility::CheckNameValidiy(CString(std::u16string_view(name)), 0, 0), identifierCharacter ? 0 : 3);
  }
}

TEST(IsPathNameValid, RejectsTheEightTexts) {
  struct PathCase {
    const char16_t* name;
    int expected;
  };
  const PathCase cases[] = {
      {u"a/b", 1}, {u"a//b", 0},  {u"c:", 0},    {u"a\\b", 0},     {u"\\", 0},           {u"\"q\"", 1},
      {u"", 1},    {u"a?", 0},    {u"*", 0},     {u"<a", 0},       {u"a>", 0},           {u"|", 0},
      {u" x ", 1}, {u"/a/b/", 1}, {u"a///b", 0}, {u"name.txt", 1}, {u"\u4e2d\u6587", 1},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE("'" + Utf8(c.name) + "'");
    EXPECT_EQ(CUtility::IsPathNameValid(CString(c.name)), c.expected);
  }
}

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
