// The conversions against the plain codecs: the new-array forms on text that takes the ASCII
// fast path or just misses it, and every conversion of one direction over generated mostly
// valid UTF-8 and UTF-16 (with lone surrogates): the code page is one choice for all.
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "Conversions.h"
#include "support/Utf8Oracle.h"

namespace {

using namespace utility::testsupport::conversions;

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

// ASCII text takes the fast path, text with one character outside ASCII falls back: every
// length around the vector widths, and each kind of character at each position.
TEST(AsciiFastPath, AgreesWithTheReferenceAroundTheVectorWidths) {
  for (std::size_t length = 0; length <= 300; ++length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text += static_cast<char>(1 + (i * 37) % 127);
    SCOPED_TRACE("length " + std::to_string(length));
    ExpectSameAsReference(text);
    if (HasFailure()) return;
  }
  // A two-byte character, a three-byte one, a four-byte one (a surrogate pair when wide), and
  // a malformed byte.
  for (const char* odd : {"\xc3\xa9", "\xe4\xb8\xad", "\xf0\x9f\x98\x80", "\xff"}) {
    for (std::size_t length : {1, 15, 16, 17, 31, 32, 33, 63, 64, 65, 127, 128, 129, 200}) {
      for (std::size_t at = 0; at < length; ++at) {
        std::string text(length, 'q');
        text.replace(at, 1, odd);
        SCOPED_TRACE("length " + std::to_string(length) + ", at " + std::to_string(at));
        ExpectSameAsReference(text);
        if (HasFailure()) return;
      }
    }
  }
}

TEST(ConversionFamily, AllConversionsOfADirectionAgree) {
  constexpr unsigned kSeed = 424242;
  std::mt19937 rng(kSeed);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE("seed " + std::to_string(kSeed) + " round " + std::to_string(round));
    const std::string bytes =
        utility::testsupport::oracle::RandomMostlyUtf8(rng, std::uniform_int_distribution<std::size_t>(1, 100)(rng));
    const std::u16string expected = utility::testsupport::oracle::Decode(bytes);
    ASSERT_EQ(Text(CUtility::ANSIToUnicode2(bytes.c_str())), expected);
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

}  // namespace
