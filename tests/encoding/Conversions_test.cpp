// The conversions against the plain codecs: every conversion of one direction over generated
// mostly valid UTF-8 and UTF-16 (with lone surrogates): the code page is one choice for all (the
// codec's fast paths are the UTF-8 kernel tests'). Then the edges of every conversion: null and
// empty texts, the cut at a zero unit, explicit lengths, the terminators asked for, and the sizes
// of the blocks handed back (each test writes or reads the last element it is owed, so
// AddressSanitizer catches a short array).
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <Utility/Platform/ComUtil.h>
#include <Utility/Utility.h>

#include "support/TempDir.h"
#include "support/Utf8Oracle.h"

namespace {

using utility::testsupport::W;

std::u16string Units(const unsigned short* p, std::size_t n) {
  return std::u16string(reinterpret_cast<const char16_t*>(p), n);
}
std::u16string Text(const CString& s) { return std::u16string(s.View()); }

// Both directions against the plain codecs, including the extra unit or byte past the
// terminator that the new-array forms allocate.
void ExpectSameAsReference(const std::string& text) {
  const std::u16string wide = utility::testsupport::oracle::Decode(text);
  const CString got = CUtility::ANSIToUnicode2(text.c_str());
  ASSERT_EQ(Text(got), wide);
  unsigned short* array = CUtility::ANSIToUnicode1(text.c_str());
  ASSERT_EQ(Units(array, wide.size() + 2), wide + u'\0' + u'\0');
  delete[] array;

  const std::string narrow = utility::testsupport::oracle::Encode(wide);
  for (char* got8 : {CUtility::UnicodeToANSI(W(wide)), CUtility::UnicodeToANSI(got)}) {
    EXPECT_EQ(std::string(got8, narrow.size() + 2), narrow + '\0' + '\0');
    delete[] got8;
  }
}

TEST(ConversionFamily, AllConversionsOfADirectionAgree) {
  constexpr unsigned kSeed = 424242;
  std::mt19937 rng(kSeed);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE("seed " + std::to_string(kSeed) + " round " + std::to_string(round));
    // Every 30th text long enough for UnicodeToANSI to join pieces from the heap.
    const std::size_t size = round % 30 == 29 ? 40000 : std::uniform_int_distribution<std::size_t>(1, 100)(rng);
    const std::string bytes = utility::testsupport::oracle::RandomMostlyUtf8(rng, size);
    const std::u16string expected = utility::testsupport::oracle::Decode(bytes);
    ExpectSameAsReference(bytes);
    ASSERT_EQ(Text(CUtility::ConvertCharToString(bytes.c_str())), expected);
    unsigned short* task = nullptr;
    ASSERT_EQ(CUtility::AnsiToUnicode(bytes.c_str(), &task), 0);
    ASSERT_EQ(Units(task, expected.size() + 1), expected + u'\0');
    CoTaskMemFree(task);
    unsigned short* counted = nullptr;
    ASSERT_EQ(CUtility::ToWideString(counted, bytes.c_str(), -1, 0), static_cast<int>(expected.size()));
    ASSERT_EQ(Units(counted, expected.size()), expected);
    delete[] counted;

    std::u16string units =
        utility::testsupport::oracle::RandomValidUtf16(rng, std::uniform_int_distribution<std::size_t>(1, 100)(rng));
    if (round % 3 == 0) units[units.size() / 2] = u'\xDC01';  // a lone surrogate
    const std::string narrow = utility::testsupport::oracle::Encode(units);
    char* viaCom = CUtility::ConvertStringToChar(CString(W(units)));
    ASSERT_EQ(std::string(viaCom), narrow);
    delete[] viaCom;
    char* viaArray = CUtility::UnicodeToANSI(W(units));
    ASSERT_EQ(std::string(viaArray), narrow);
    delete[] viaArray;
    char* viaCount = nullptr;
    ASSERT_EQ(CUtility::ToMultiBytes(viaCount, W(units), -1, 1), static_cast<int>(narrow.size()));
    ASSERT_EQ(std::string(viaCount), narrow);
    delete[] viaCount;
    char* viaTask = nullptr;
    const LONG hr = CUtility::UnicodeToAnsi(W(units), &viaTask);
    if (narrow.size() + 1 <= 2 * (units.size() + 1)) {
      ASSERT_EQ(hr, 0);
      ASSERT_EQ(std::string(viaTask), narrow);
      CoTaskMemFree(viaTask);
    } else {
      ASSERT_EQ(hr, static_cast<LONG>(0x8007007A));
      ASSERT_EQ(viaTask, nullptr);
    }
  }
}

TEST(Conversions, NullAndEmptyTexts) {
  EXPECT_EQ(CUtility::ANSIToUnicode1(nullptr), nullptr);
  unsigned short* empty = CUtility::ANSIToUnicode1("");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(Units(empty, 2), std::u16string(2, u'\0'));  // n = 1 plus the extra unit
  delete[] empty;
  EXPECT_TRUE(CUtility::ANSIToUnicode2(nullptr).IsEmpty());
  EXPECT_TRUE(CUtility::ANSIToUnicode2("").IsEmpty());
  char* none = CUtility::UnicodeToANSI(static_cast<const unsigned short*>(nullptr));  // never null
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none[0], 0);
  delete[] none;
  char* narrow = CUtility::UnicodeToANSI(W(u""));
  ASSERT_NE(narrow, nullptr);
  EXPECT_EQ(std::string(narrow, 2), std::string(2, '\0')) << "n = 1 plus the extra byte";
  delete[] narrow;
  EXPECT_NO_THROW(EXPECT_TRUE(CUtility::ConvertCharToString(nullptr).IsEmpty()));
  EXPECT_TRUE(CUtility::ConvertCharToString("").IsEmpty());
  EXPECT_EQ(_com_util::ConvertStringToBSTR(nullptr), nullptr);
  EXPECT_EQ(_com_util::ConvertBSTRToString(nullptr), nullptr);

  char sentinel = 0;
  char* out = &sentinel;
  EXPECT_EQ(CUtility::UnicodeToAnsi(nullptr, &out), 0);
  EXPECT_EQ(out, nullptr);
  unsigned short unit = 0;
  unsigned short* wide = &unit;
  EXPECT_EQ(CUtility::AnsiToUnicode(nullptr, &wide), 0);
  EXPECT_EQ(wide, nullptr);
  EXPECT_EQ(CUtility::UnicodeToAnsi(W(u"a"), nullptr), E_POINTER);
  EXPECT_EQ(CUtility::AnsiToUnicode("a", nullptr), E_POINTER);
}

// The string forms end at the first zero unit, with the terminator and the extra byte after it.
TEST(Conversions, StringFormsEndAtTheFirstZeroUnit) {
  struct Case {
    const char* name;
    CString text;
    std::string bytes;
  };
  const Case cases[] = {
      {"embedded zero", CString(W(u"ab\0cd"), 5), "ab"},
      {"leading zero", CString(W(u"\0x"), 2), ""},
      {"no zero", CString(u"\u00e9\u4e2d"), "\xc3\xa9\xe4\xb8\xad"},
      {"empty", CString(), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char* array = CUtility::UnicodeToANSI(c.text);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(std::string(array, c.bytes.size() + 2), c.bytes + '\0' + '\0');
    delete[] array;
    char* exact = CUtility::ConvertStringToChar(c.text);  // exactly sized: the terminator is the last byte
    ASSERT_NE(exact, nullptr);
    EXPECT_EQ(std::string(exact, c.bytes.size() + 1), c.bytes + '\0');
    delete[] exact;
  }
}

// ToWideString and ToMultiBytes: the count never includes a terminator, the array is one longer
// only when a terminator is asked for, and nothing to convert leaves the out-parameter alone.
TEST(CountedConversions, CountsTerminatorsAndNothingToConvert) {
  struct Case {
    std::string narrowSource;
    std::u16string wideSource;
    int length;
    std::string narrow;
    std::u16string wide;
  };
  const Case cases[] = {
      {"abc", u"abc", -1, "abc", u"abc"},
      {"abcdef", u"abcdef", 2, "ab", u"ab"},
      {"\xe4\xb8\xad", u"\u4e2d", -1, "\xe4\xb8\xad", u"\u4e2d"},
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3), 3, std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
  };
  for (const Case& c : cases) {
    for (int terminate : {0, 1}) {
      SCOPED_TRACE(c.narrow + " length " + std::to_string(c.length) + " terminate " + std::to_string(terminate));
      unsigned short* wide = nullptr;
      ASSERT_EQ(CUtility::ToWideString(wide, c.narrowSource.c_str(), c.length, terminate),
                static_cast<int>(c.wide.size()));
      EXPECT_EQ(Units(wide, c.wide.size() + terminate), c.wide + std::u16string(terminate, u'\0'));
      delete[] wide;
      char* narrow = nullptr;
      ASSERT_EQ(CUtility::ToMultiBytes(narrow, W(c.wideSource), c.length, terminate),
                static_cast<int>(c.narrow.size()));
      EXPECT_EQ(std::string(narrow, c.narrow.size() + terminate), c.narrow + std::string(terminate, '\0'));
      delete[] narrow;
    }
  }
  // A sequence cut by the length is one replacement character; a count of units, all bytes.
  unsigned short* cut = nullptr;
  ASSERT_EQ(CUtility::ToWideString(cut, "\xe4\xb8\xad", 2, 1), 1);
  EXPECT_EQ(Units(cut, 2), std::u16string(u"\uFFFD") + u'\0');
  delete[] cut;
  char* whole = nullptr;
  ASSERT_EQ(CUtility::ToMultiBytes(whole, W(u"\u00e9x"), 1, 0), 2);
  EXPECT_EQ(std::string(whole, 2), "\xc3\xa9");
  delete[] whole;

  unsigned short sentinelUnit = 0;
  char sentinelByte = 0;
  struct Nothing {
    const char* narrow;
    const char16_t* wide;
    int length;
  };
  for (const Nothing n : {Nothing{"", u"", -1}, Nothing{"abc", u"abc", 0}, Nothing{nullptr, nullptr, -1},
                          Nothing{nullptr, nullptr, 5}, Nothing{"abc", u"abc", -3}}) {
    for (int terminate : {0, 1}) {
      unsigned short* wideOut = &sentinelUnit;
      EXPECT_EQ(CUtility::ToWideString(wideOut, n.narrow, n.length, terminate), 0);
      EXPECT_EQ(wideOut, &sentinelUnit);
      char* narrowOut = &sentinelByte;
      EXPECT_EQ(CUtility::ToMultiBytes(narrowOut, W(n.wide), n.length, terminate), 0);
      EXPECT_EQ(narrowOut, &sentinelByte);
    }
  }
}

// UnicodeToAnsi's block is 2 x (L + 1) bytes: text that outgrows it fails with the folded
// ERROR_INSUFFICIENT_BUFFER; AnsiToUnicode's is L + 1 units.
TEST(TaskMemConversions, BlocksOfTheDocumentedSize) {
  for (const char16_t* units : {u"", u"\u00e9\u00e8", u"\u4e2d"}) {
    const std::u16string text(units);
    char* out = nullptr;
    ASSERT_EQ(CUtility::UnicodeToAnsi(W(text), &out), 0);
    ASSERT_NE(out, nullptr);
    out[2 * text.size() + 1] = 'x';  // the block's last byte
    CoTaskMemFree(out);
  }
  char* out = reinterpret_cast<char*>(1);
  EXPECT_EQ(CUtility::UnicodeToAnsi(W(u"\u4e2d\u6587"), &out), static_cast<LONG>(0x8007007A));  // 7 bytes, room for 6
  EXPECT_EQ(out, nullptr);
  for (const char* text : {"", "\xe4\xb8\xad\xe6\x96\x87", "\xf0\x9f\x98\x80"}) {
    unsigned short* wide = nullptr;
    ASSERT_EQ(CUtility::AnsiToUnicode(text, &wide), 0);
    ASSERT_NE(wide, nullptr);
    wide[std::strlen(text)] = 0x7777;  // the block's last unit
    CoTaskMemFree(wide);
  }
}

}  // namespace
