// The new-array conversions on text that takes the ASCII fast path, or just misses it,
// compared with the plain codecs: lengths around the vector widths, a non-ASCII character at
// each position, and generated mostly-ASCII text.
#include <cstdio>
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

TEST(AsciiFastPath, AgreesWithTheReferenceAroundTheVectorWidths) {
  for (std::size_t length = 0; length <= 300; ++length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text += static_cast<char>(1 + (i * 37) % 127);
    SCOPED_TRACE("length " + std::to_string(length));
    ExpectSameAsReference(text);
    if (HasFailure()) return;
  }
}

TEST(AsciiFastPath, FallsBackForANonAsciiCharacterAtEachPosition) {
  // A two-byte character, a three-byte one, a four-byte one (a surrogate pair when wide),
  // and a malformed byte.
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

TEST(AsciiFastPath, AgreesWithTheReferenceOnGeneratedMostlyAsciiText) {
  const unsigned seed = 20261206;
  std::mt19937 random(seed);
  for (int round = 0; round < 400; ++round) {
    const std::size_t length = random() % 2000;
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
      // One byte in about five hundred is outside ASCII, so many texts stay pure ASCII.
      text += random() % 500 == 0 ? static_cast<char>(0x80 + random() % 0x80) : static_cast<char>(1 + random() % 0x7F);
    }
    SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round));
    ExpectSameAsReference(text);
    if (HasFailure()) return;
  }
}

}  // namespace
