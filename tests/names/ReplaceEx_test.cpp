// ReplaceEx: worked cases, and agreement with the literal rendering over many
// generated texts, delimiter sets and words.
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

#include "support/TempDir.h"
#include "tests/names/ReplaceExOracle.h"

namespace {

using utility::testsupport::Utf8;

CString Replaced(const char16_t* text, const char16_t* delimiters, const char16_t* oldWord, const char16_t* newWord) {
  CString s(text);
  CUtility::ReplaceEx(s, CString(delimiters), CString(oldWord), CString(newWord));
  return s;
}

TEST(ReplaceEx, ReplacesWholeWordsOnly) {
  struct Case {
    const char16_t* text;
    const char16_t* delimiters;
    const char16_t* oldWord;
    const char16_t* newWord;
    const char16_t* expected;
  };
  const Case cases[] = {
      {u"A+B*A", u"+-*/", u"A", u"X", u"X+B*X"},
      {u"AB+A", u"+-*/", u"A", u"X", u"AB+X"},
      {u"A+a", u"+", u"a", u"X", u"A+X"},             // case-sensitive
      {u"A+A", u"+", u"A", u"AA", u"AA+AA"},          // the result is not scanned again
      {u"  A  ", u"", u"A", u"X", u" X "},            // no delimiters: one word
      {u"  B  ", u"", u"A", u"X", u"  B  "},          // kept as it is, white space and all
      {u"A, ,B", u",", u"Q", u"R", u"A,,B"},          // a white-space word disappears
      {u"A+  ", u"+", u"Q", u"R", u"A+"},             // trailing spaces after the last delimiter go
      {u"\t\tA \n+ B", u"+", u"Q", u"R", u" A + B"},  // runs of white space become one space
      {u"a  b", u" ", u"b", u"c", u"a  c"},           // space as a delimiter: spaces kept one for one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text '" + Utf8(c.text) + "' delimiters '" + Utf8(c.delimiters) + "' old '" + Utf8(c.oldWord) + "'");
    EXPECT_EQ(Replaced(c.text, c.delimiters, c.oldWord, c.newWord), CString(c.expected));
  }
}

TEST(ReplaceEx, AgreesWithTheLiteralRendering) {
  const unsigned seed = 5201314;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  // Letters that form words, delimiters and white space of several kinds.
  const std::u16string alphabet = u"AAABBa+-*/,;  \t\n\r\u3000\u00A0\u2028.";
  const char16_t* words[] = {u"A", u"B", u"AB", u"", u" A", u"a", u"+", u"A+B"};
  const std::u16string delimiterPool = u"+-*/,; \t.\u3000";
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  for (int round = 0; round < 30000; ++round) {
    std::u16string text;
    const std::size_t length = pick(40);
    for (std::size_t i = 0; i < length; ++i) text.push_back(alphabet[pick(alphabet.size())]);
    std::u16string delimiters;
    const std::size_t count = pick(5);
    for (std::size_t i = 0; i < count; ++i) delimiters.push_back(delimiterPool[pick(delimiterPool.size())]);
    const CString oldWord(words[pick(std::size(words))]);
    const CString newWord(words[pick(std::size(words))]);

    CString expected{std::u16string_view(text)};
    utility::testsupport::oracle::LiteralReplaceEx(expected, CString(std::u16string_view(delimiters)), oldWord,
                                                   newWord);
    CString actual{std::u16string_view(text)};
    CUtility::ReplaceEx(actual, CString(std::u16string_view(delimiters)), oldWord, newWord);
    ASSERT_EQ(actual, expected) << "round " << round << " text '" << Utf8(CString(std::u16string_view(text)))
                                << "' delimiters '" << Utf8(CString(std::u16string_view(delimiters))) << "' old '"
                                << Utf8(oldWord) << "' new '" << Utf8(newWord) << "'";
  }
}

// The words may be the very string being rebuilt; the result is as if they were copies.
TEST(ReplaceEx, WordsThatAreTheTextItself) {
  CString text(u"A");
  CUtility::ReplaceEx(text, CString(u"+"), text, CString(u"X"));
  EXPECT_EQ(text, CString(u"X"));
  CString shrinking(u" ABC ");
  CUtility::ReplaceEx(shrinking, CString(u"+"), CString(u"ABC"), shrinking);
  EXPECT_EQ(shrinking, CString(u"  ABC  "));
  CString delimiters(u"+A+");
  CUtility::ReplaceEx(delimiters, delimiters, CString(u"A"), CString(u"X"));
  EXPECT_EQ(delimiters, CString(u"+A+"));
}

}  // namespace
