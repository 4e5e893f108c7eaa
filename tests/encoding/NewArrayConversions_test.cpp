// ANSIToUnicode1, ANSIToUnicode2 and both UnicodeToANSI forms: null and empty inputs and the
// cut at a zero unit (the extra unit is read, so AddressSanitizer catches a short array). The
// converted text itself is checked against the plain codecs in AsciiFastPath_test.
#include <string>

#include <gtest/gtest.h>

#include "Conversions.h"

namespace {

using namespace conversions;

TEST(ANSIToUnicode1, GivesNullForNullAndTwoZerosForEmpty) {
  EXPECT_EQ(CUtility::ANSIToUnicode1(nullptr), nullptr);
  unsigned short* empty = CUtility::ANSIToUnicode1("");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty[0], 0);
  EXPECT_EQ(empty[1], 0) << "n = 1 plus the extra unit";
  delete[] empty;
}

TEST(ANSIToUnicode2, NullAndEmptyGiveEmptyStrings) {
  EXPECT_TRUE(CUtility::ANSIToUnicode2(nullptr).IsEmpty());
  EXPECT_TRUE(CUtility::ANSIToUnicode2("").IsEmpty());
  const CString s = CUtility::ANSIToUnicode2("x\xe4\xb8\xad");
  EXPECT_EQ(s.GetLength(), 2);
  EXPECT_EQ(s, u"x\u4e2d");
}

TEST(UnicodeToANSI, NullGivesANewEmptyStringNeverNull) {
  char* result = CUtility::UnicodeToANSI(static_cast<const unsigned short*>(nullptr));
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result[0], 0);
  delete[] result;
  char* empty = CUtility::UnicodeToANSI(W(u""));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty[0], 0);
  EXPECT_EQ(empty[1], 0) << "n = 1 plus the extra byte";
  delete[] empty;
}

TEST(UnicodeToANSI, StringFormEndsAtTheFirstZeroUnit) {
  struct Case {
    const char* name;
    CString text;
    std::string bytes;
  };
  const Case cases[] = {
      {"embedded zero", CString(W(u"ab\0cd"), 5), "ab"},
      {"leading zero", CString(W(u"\0x"), 2), ""},
      {"no zero", CString(u"\u00e9\u4e2d"), "\xc3\xa9\xe4\xb8\xad"},
      {"lone surrogate", CString(W(u"a\xD800"), 2), "a\xef\xbf\xbd"},
      {"empty", CString(), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char* result = CUtility::UnicodeToANSI(c.text);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(std::string(result), c.bytes);
    EXPECT_EQ(result[c.bytes.size() + 1], 0) << "the extra byte";
    delete[] result;
  }
}

}  // namespace
