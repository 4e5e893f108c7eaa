// GetDigit, SetDigit, ConvertToBitValue and GetByte, including the positions and widths whose
// answer this library chose (see docs/bits.md).
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

namespace {

// The digit at a position, read from the decimal text of the value: an oracle that shares no
// arithmetic with the library. Negative values give negative digits.
int DigitFromText(int value, int position) {
  const long long magnitude = std::llabs(static_cast<long long>(value));
  const std::string text = std::to_string(magnitude);
  if (position < 0 || position >= static_cast<int>(text.size())) return 0;
  const int digit = text[text.size() - 1 - static_cast<std::size_t>(position)] - '0';
  return value < 0 ? -digit : digit;
}

TEST(GetDigit, ReadsDecimalDigits) {
  struct Case {
    int value;
    int position;
    int expected;
  };
  for (const Case& c : {Case{12345, 0, 5}, Case{12345, 2, 3}, Case{12345, 4, 1}, Case{12345, 5, 0},
                        Case{2147483647, 9, 2}, Case{12345, 10, 0}, Case{-123, 0, -3}, Case{-123, 1, -2},
                        Case{-123, 2, -1}, Case{0, 0, 0}, Case{INT_MIN, 9, -2}, Case{INT_MIN, 0, -8},
                        Case{12345, -1, 0}, Case{12345, INT_MIN, 0}, Case{12345, INT_MAX, 0}}) {
    SCOPED_TRACE(std::to_string(c.value) + " at " + std::to_string(c.position));
    EXPECT_EQ(CUtility::GetDigit(c.value, c.position), c.expected);
  }
}

TEST(GetDigit, AgreesWithTheDecimalText) {
  const unsigned seed = 77;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  for (int round = 0; round < 20000; ++round) {
    const int value = static_cast<int>(rng());
    for (int position = -2; position <= 11; ++position) {
      ASSERT_EQ(CUtility::GetDigit(value, position), DigitFromText(value, position)) << value << " at " << position;
    }
  }
}

TEST(SetDigit, ReplacesOneDigit) {
  struct Case {
    int value;
    int position;
    int digit;
    ULONG expected;
  };
  for (const Case& c :
       {Case{12345, 2, 9, 12945}, Case{5, 3, 7, 7005}, Case{12345, 0, 0, 12340}, Case{12345, 5, 1, 112345},
        Case{12345, 1, 10, 0}, Case{12345, 1, -1, 0}, Case{-123, 1, 5, 4294967243u}, Case{0, 0, 0, 0},
        Case{123, 9, 3, 3000000123u}, Case{123, 9, 5, 705032827u}, Case{2147483647, 8, 9, 2947483647u},
        Case{12345, -1, 1, 0}, Case{12345, 10, 1, 0}, Case{12345, 2, INT_MIN, 0}}) {
    SCOPED_TRACE(std::to_string(c.value) + " at " + std::to_string(c.position) + " digit " + std::to_string(c.digit));
    EXPECT_EQ(CUtility::SetDigit(c.value, c.position, c.digit), c.expected);
  }
}

TEST(SetDigit, AgreesWithTextEditingForNonNegativeValues) {
  const unsigned seed = 991;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  for (int round = 0; round < 20000; ++round) {
    const int value = static_cast<int>(rng() & 0x7FFFFFFF);
    const int position = static_cast<int>(rng() % 10);
    const int digit = static_cast<int>(rng() % 10);
    std::string text = std::to_string(value);
    text.insert(0, 12 - text.size(), '0');
    text[text.size() - 1 - static_cast<std::size_t>(position)] = static_cast<char>('0' + digit);
    const auto expected = static_cast<ULONG>(std::stoull(text) & 0xFFFFFFFFu);
    ASSERT_EQ(CUtility::SetDigit(value, position, digit), expected) << value << " " << position << " " << digit;
    if (std::stoull(text) <= static_cast<unsigned long long>(INT_MAX)) {  // no wrap
      ASSERT_EQ(CUtility::GetDigit(static_cast<int>(expected), position), digit);
    }
  }
}

// Bit (shift + j) of the value for j below the width, bits past 31 reading the sign bit.
int FieldByBits(int value, int shift, int width) {
  const auto bits = static_cast<std::uint32_t>(value);
  const int start = ((shift % 32) + 32) % 32;
  std::uint32_t out = 0;
  for (int j = 0; j < width && j < 32; ++j) {
    const int from = start + j;
    const std::uint32_t bit = from < 32 ? (bits >> from) & 1u : bits >> 31;
    out |= bit << j;
  }
  return static_cast<int>(out);
}

TEST(ConvertToBitValue, ExtractsFields) {
  struct Case {
    int value;
    int shift;
    int width;
    int expected;
  };
  for (const Case& c : {Case{0x1234, 4, 8, 0x23}, Case{0x1234, 0, 4, 4}, Case{-1, 28, 8, 255}, Case{0xF0, 4, 4, 15},
                        Case{0xF0, 36, 4, 15}, Case{0xF0, 4, 0, 0}, Case{static_cast<int>(0x80000000u), 31, 1, 1},
                        Case{0xF0, 4, -1, 0}, Case{0xF0, 4, -127, 0}, Case{0xF0, 4, INT_MIN, 0}, Case{-16, 4, 32, -1},
                        Case{0x12345678, 0, 40, 0x12345678}, Case{0x12345678, -28, 8, 0x67}}) {
    SCOPED_TRACE(std::to_string(c.value) + " shift " + std::to_string(c.shift) + " width " + std::to_string(c.width));
    EXPECT_EQ(CUtility::ConvertToBitValue(c.value, c.shift, c.width), c.expected);
  }
}

TEST(ConvertToBitValue, AgreesWithBitByBitExtraction) {
  const unsigned seed = 31337;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  for (int round = 0; round < 5000; ++round) {
    const int value = static_cast<int>(rng());
    const int shift = static_cast<int>(rng() % 200) - 100;
    for (int width = -3; width <= 34; ++width) {
      ASSERT_EQ(CUtility::ConvertToBitValue(value, shift, width), FieldByBits(value, shift, width))
          << value << " " << shift << " " << width;
    }
  }
}

TEST(GetByte, ReadsAtSignedOffsets) {
  unsigned char bytes[] = {1, 2, 3, 0xFE};
  EXPECT_EQ(CUtility::GetByte(bytes, 2), 3);
  EXPECT_EQ(CUtility::GetByte(bytes, 3), 0xFE);
  EXPECT_EQ(CUtility::GetByte(bytes + 2, -2), 1);
  EXPECT_EQ(CUtility::GetByte(nullptr, 0), 0);
  EXPECT_EQ(CUtility::GetByte(nullptr, 5), 0);
}

}  // namespace
