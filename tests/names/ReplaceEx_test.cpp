// ReplaceEx: worked cases (fuzz/Names.cpp compares it with the literal rendering of
// ReplaceExOracle.h over any text).
#include <string>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

#include "support/TempDir.h"

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
      {u" A+B +C", u"+", u"Q", u"R", u" A+B +C"},     // each side keeps its own space
      {u"a  b", u" ", u"b", u"c", u"a  c"},           // space as a delimiter: spaces kept one for one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text '" + Utf8(c.text) + "' delimiters '" + Utf8(c.delimiters) + "' old '" + Utf8(c.oldWord) + "'");
    EXPECT_EQ(Replaced(c.text, c.delimiters, c.oldWord, c.newWord), CString(c.expected));
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
