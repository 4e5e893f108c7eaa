// GetDigit, SetDigit, ConvertToBitValue and GetByte against models that share no arithmetic
// with the library (the decimal text, text editing, bit-by-bit extraction), plus the positions
// and widths whose answer this library chose (see docs/bits.md).
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

namespace {

// The digit at a position, read from the decimal text of the value; negative values give
// negative digits, positions outside the text 0.
int DigitFromText(int value, int position) {
  const std::string text = std::to_string(std::llabs(static_cast<long long>(value)));
  if (position < 0 || position >= static_cast<int>(text.size())) return 0;
  const int digit = text[text.size() - 1 - static_cast<std::size_t>(position)] - '0';
  return value < 0 ? -digit : digit;
}

TEST(GetDigit, AgreesWithTheDecimalText) {
  const unsigned seed = 77;
  std::mt19937 rng(seed);
  for (int round = 0; round < 20000; ++round) {
    const int value = round < 3 ? (round == 0 ? INT_MIN : round == 1 ? INT_MAX : 0) : static_cast<int>(rng());
    for (int position : {INT_MIN, -2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, INT_MAX}) {
      ASSERT_EQ(CUtility::GetDigit(value, position), DigitFromText(value, position))
          << value << " at " << position << " seed " << seed;
    }
  }
}

TEST(SetDigit, AgreesWithTextEditingForNonNegativeValues) {
  const unsigned seed = 991;
  std::mt19937 rng(seed);
  for (int round = 0; round < 20000; ++round) {
    const int value = static_cast<int>(rng() & 0x7FFFFFFF);
    const int position = static_cast<int>(rng() % 10);
    const int digit = static_cast<int>(rng() % 10);
    std::string text = std::to_string(value);
    text.insert(0, 12 - text.size(), '0');
    text[text.size() - 1 - static_cast<std::size_t>(position)] = static_cast<char>('0' + digit);
    // The result wraps to 32 bits.
    const auto expected = static_cast<ULONG>(std::stoull(text) & 0xFFFFFFFFu);
    ASSERT_EQ(CUtility::SetDigit(value, position, digit), expected)
        << value << " " << position << " " << digit << " seed " << seed;
  }
}

// A negative value's digit is negative: it is taken out and the new one put in, the result
// wrapped to 32 bits. A digit or a position outside 0..9 gives 0.
TEST(SetDigit, NegativeValuesAndRefusedArguments) {
  EXPECT_EQ(CUtility::SetDigit(-123, 1, 5), 4294967243u);  // -123 + 20 + 50
  EXPECT_EQ(CUtility::SetDigit(-5, 0, 0), 0u);
  const std::pair<int, int> refused[] = {{1, 10}, {1, -1}, {2, INT_MIN}, {-1, 1}, {10, 1}};
  for (const auto& [position, digit] : refused) {
    EXPECT_EQ(CUtility::SetDigit(12345, position, digit), 0u) << position << " " << digit;
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

TEST(ConvertToBitValue, AgreesWithBitByBitExtraction) {
  const unsigned seed = 31337;
  std::mt19937 rng(seed);
  for (int round = 0; round < 5000; ++round) {
    const int value = static_cast<int>(rng());
    const int shift = static_cast<int>(rng() % 200) - 100;
    for (int width : {INT_MIN, -127, -3, -2, -1, 0, 1, 2, 7, 8, 15, 16, 17, 30, 31, 32, 33, 40, INT_MAX}) {
      ASSERT_EQ(CUtility::ConvertToBitValue(value, shift, width), FieldByBits(value, shift, width))
          << value << " " << shift << " " << width << " seed " << seed;
    }
  }
}

TEST(GetByte, ReadsAtSignedOffsets) {
  unsigned char bytes[] = {1, 2, 3, 0xFE};
  EXPECT_EQ(CUtility::GetByte(bytes, 3), 0xFE);
  EXPECT_EQ(CUtility::GetByte(bytes + 2, -2), 1);
  EXPECT_EQ(CUtility::GetByte(nullptr, 5), 0);
}

}  // namespace
