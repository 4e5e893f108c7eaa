// ANSIToUnicode1, ANSIToUnicode2 and both UnicodeToANSI forms: array sizes (the extra unit
// is read, so AddressSanitizer catches a short array), null and empty inputs, cuts at a zero
// unit, and agreement with the step-by-step reference over generated text.
#include <cstdio>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "support/Utf8Oracle.h"
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

TEST(ANSIToUnicode1, ConvertsIntoAnArrayOneLongerThanTheCount) {
  struct Case {
    const char* text;
    std::u16string units;  // including the terminator
  };
  const Case cases[] = {
      {"abc", std::u16string(u"abc\0", 4)},
      {"caf\xc3\xa9", std::u16string(u"caf\u00e9\0", 5)},
      {"\xe4\xb8\xad\xf0\x9f\x98\x80", std::u16string(u"\u4e2d\U0001F600\0", 4)},
      {"bad \xff\xc0", std::u16string(u"bad \uFFFD\uFFFD\0", 7)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    unsigned short* result = CUtility::ANSIToUnicode1(c.text);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(Units(result, c.units.size()), c.units);
    EXPECT_EQ(result[c.units.size()], 0) << "the extra unit";
    delete[] result;
  }
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

class GeneratedConversions : public testing::Test {
 protected:
  void SetUp() override {
    std::printf("seed %u\n", kSeed);
    rng.seed(kSeed);
  }
  static constexpr unsigned kSeed = 5318008;
  std::mt19937 rng;
};

TEST_F(GeneratedConversions, ArrayFormsMatchTheStepByStepReference) {
  for (int round = 0; round < 500; ++round) {
    SCOPED_TRACE("seed " + std::to_string(kSeed) + " round " + std::to_string(round));
    const std::string bytes = oracle::RandomMostlyUtf8(rng, std::uniform_int_distribution<std::size_t>(0, 200)(rng));
    unsigned short* expected = LiteralAnsiToUnicode1(bytes.c_str());
    unsigned short* got = CUtility::ANSIToUnicode1(bytes.c_str());
    const std::size_t n = static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, bytes.c_str(), -1, nullptr, 0));
    ASSERT_EQ(Units(got, n + 1), Units(expected, n + 1));
    ASSERT_EQ(Text(CUtility::ANSIToUnicode2(bytes.c_str())), Text(LiteralAnsiToUnicode2(bytes.c_str())));
    delete[] got;
    delete[] expected;

    std::u16string units = oracle::RandomValidUtf16(rng, std::uniform_int_distribution<std::size_t>(1, 200)(rng));
    if (round % 3 == 0) units[units.size() / 2] = u'\xDC01';  // a lone surrogate
    char* reference = LiteralUnicodeToAnsi(W(units));
    const std::size_t m = std::strlen(reference) + 2;
    char* fromPointer = CUtility::UnicodeToANSI(W(units));
    char* fromString = CUtility::UnicodeToANSI(CString(W(units)));
    ASSERT_EQ(std::string(fromPointer, m), std::string(reference, m));
    ASSERT_EQ(std::string(fromString, m), std::string(reference, m));
    delete[] reference;
    delete[] fromPointer;
    delete[] fromString;
  }
}

}  // namespace
