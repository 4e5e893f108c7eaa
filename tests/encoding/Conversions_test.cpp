// The conversions are wrappers over the codec (the kernel tests check it): each gives the plain
// codec's text, and what it adds is checked to the last element owed, for AddressSanitizer.
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

#include "support/TempDir.h"
#include "support/Utf8Oracle.h"

namespace {

namespace oracle = utility::testsupport::oracle;
using utility::testsupport::W;

std::u16string Units(const unsigned short* p, std::size_t n) {
  return std::u16string(reinterpret_cast<const char16_t*>(p), n);
}

// The new-array forms hold one element more than the text and its terminator, also zero.
TEST(ConversionFamily, AllConversionsOfADirectionAgree) {
  std::mt19937 rng(424242);
  for (int round = 0; round < 100; ++round) {
    SCOPED_TRACE(round);
    // Some texts long enough for UnicodeToANSI to join pieces from the heap.
    const std::size_t size = round % 10 == 9 ? 40000 : 1 + rng() % 100;
    const std::string bytes = oracle::RandomMostlyUtf8(rng, size);
    const std::u16string wide = oracle::Decode(bytes);
    ASSERT_EQ(std::u16string(CUtility::ANSIToUnicode2(bytes.c_str()).View()), wide);
    ASSERT_EQ(std::u16string(CUtility::ConvertCharToString(bytes.c_str()).View()), wide);
    unsigned short* array = CUtility::ANSIToUnicode1(bytes.c_str());
    ASSERT_EQ(Units(array, wide.size() + 2), wide + u'\0' + u'\0');
    delete[] array;
    unsigned short* task = nullptr;
    ASSERT_EQ(CUtility::AnsiToUnicode(bytes.c_str(), &task), 0);
    ASSERT_EQ(Units(task, wide.size() + 1), wide + u'\0');
    CoTaskMemFree(task);
    unsigned short* counted = nullptr;
    ASSERT_EQ(CUtility::ToWideString(counted, bytes.c_str(), -1, 0), static_cast<int>(wide.size()));
    ASSERT_EQ(Units(counted, wide.size()), wide);
    delete[] counted;

    std::u16string units = round % 2 == 0 ? wide : oracle::RandomValidUtf16(rng, size);
    if (round % 3 == 0) units[units.size() / 2] = u'\xDC01';  // a lone surrogate
    const std::string narrow = oracle::Encode(units);
    auto expect = [&](char* got, std::size_t zeros) {
      EXPECT_EQ(std::string(got, narrow.size() + zeros), narrow + std::string(zeros, '\0'));
      delete[] got;
    };
    expect(CUtility::UnicodeToANSI(W(units)), 2);
    const CString cut(W(units + u'\0' + u"cd"), static_cast<int>(units.size()) + 3);  // string forms end at a zero
    expect(CUtility::UnicodeToANSI(cut), 2);
    expect(CUtility::ConvertStringToChar(cut), 1);
    char* viaCount = nullptr;
    ASSERT_EQ(CUtility::ToMultiBytes(viaCount, W(units), -1, 1), static_cast<int>(narrow.size()));
    expect(viaCount, 1);
    char* viaTask = reinterpret_cast<char*>(1);
    const bool fits = narrow.size() + 1 <= 2 * (units.size() + 1);  // the block holds 2 bytes a unit
    ASSERT_EQ(CUtility::UnicodeToAnsi(W(units), &viaTask), fits ? 0 : static_cast<LONG>(0x8007007A));
    ASSERT_EQ(viaTask == nullptr, !fits);
    if (fits) {
      EXPECT_EQ(std::string(viaTask), narrow);
    }
    CoTaskMemFree(viaTask);
  }
}

TEST(Conversions, NullAndEmptyTexts) {
  EXPECT_EQ(CUtility::ANSIToUnicode1(nullptr), nullptr);
  unsigned short* empty = CUtility::ANSIToUnicode1("");
  EXPECT_EQ(Units(empty, 2), std::u16string(2, u'\0'));  // n = 1 plus the extra unit
  delete[] empty;
  char* none = CUtility::UnicodeToANSI(static_cast<const unsigned short*>(nullptr));  // never null
  EXPECT_EQ(none[0], 0);
  delete[] none;

  char sentinel = 0;
  char* out = &sentinel;
  EXPECT_EQ(CUtility::UnicodeToAnsi(nullptr, &out), 0);  // no text: success, and no block
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(CUtility::AnsiToUnicode("a", nullptr), E_POINTER);
}

// ToWideString and ToMultiBytes count no terminator, add one only when asked, and leave the
// out-parameter alone when there is nothing to convert.
TEST(CountedConversions, CountsTerminatorsAndNothingToConvert) {
  // ASCII sources, so that the wide text is the narrow one widened.
  for (const auto& [source, length] :
       {std::pair{std::string("abc"), -1}, std::pair{std::string("abcdef"), 2}, std::pair{std::string("a\0b", 3), 3}}) {
    const std::string narrow = length < 0 ? source : source.substr(0, static_cast<std::size_t>(length));
    const std::u16string wide(narrow.begin(), narrow.end()), wideSource(source.begin(), source.end());
    for (int terminate : {0, 1}) {
      SCOPED_TRACE(narrow + " length " + std::to_string(length) + " terminate " + std::to_string(terminate));
      unsigned short* wideOut = nullptr;
      ASSERT_EQ(CUtility::ToWideString(wideOut, source.c_str(), length, terminate), static_cast<int>(wide.size()));
      EXPECT_EQ(Units(wideOut, wide.size() + terminate), wide + std::u16string(terminate, u'\0'));
      delete[] wideOut;
      char* narrowOut = nullptr;
      ASSERT_EQ(CUtility::ToMultiBytes(narrowOut, W(wideSource), length, terminate), static_cast<int>(narrow.size()));
      EXPECT_EQ(std::string(narrowOut, narrow.size() + terminate), narrow + std::string(terminate, '\0'));
      delete[] narrowOut;
    }
  }
  // A length counts units, the result bytes.
  char* whole = nullptr;
  ASSERT_EQ(CUtility::ToMultiBytes(whole, W(u"\u00e9x"), 1, 0), 2);
  EXPECT_EQ(std::string(whole, 2), "\xc3\xa9");
  delete[] whole;

  unsigned short sentinelUnit = 0;
  char sentinelByte = 0;
  const std::pair<const char*, int> nothing[] = {{"", -1}, {"abc", 0}, {nullptr, 5}, {"abc", -3}};
  for (const auto& [text, length] : nothing) {
    const std::u16string wide = text == nullptr ? u"" : std::u16string(text, text + std::strlen(text));
    for (int terminate : {0, 1}) {
      unsigned short* wideOut = &sentinelUnit;
      EXPECT_EQ(CUtility::ToWideString(wideOut, text, length, terminate), 0);
      EXPECT_EQ(wideOut, &sentinelUnit);
      char* narrowOut = &sentinelByte;
      EXPECT_EQ(CUtility::ToMultiBytes(narrowOut, text == nullptr ? nullptr : W(wide), length, terminate), 0);
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
