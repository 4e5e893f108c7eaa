// Every conversion of one direction gives the same text as the plain codecs, over generated
// mostly valid UTF-8 and UTF-16 (with lone surrogates): the code page is one choice for all.
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "Conversions.h"
#include "support/Utf8Oracle.h"

namespace {

using namespace utility::testsupport::conversions;

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
