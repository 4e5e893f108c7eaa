// CString::FromLatin1: every byte value maps to the unit of the same value, at lengths around
// the vector widths of the widening loop and at unaligned starts, embedded zeros kept.
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include <Utility/Platform/String.h>

namespace {

TEST(FromLatin1, MapsEveryByteToTheUnitOfTheSameValue) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const CString s = CString::FromLatin1(all);
  ASSERT_EQ(s.GetLength(), 256);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(s.GetAt(b), b) << "byte " << b;
  EXPECT_EQ(s.GetString()[256], 0) << "terminated after the last unit";
}

TEST(FromLatin1, WidensEveryLengthFromEveryStart) {
  std::string bytes;
  for (int i = 0; i < 400; ++i) bytes += static_cast<char>(0x20 + (i * 73) % 0xE0);
  for (std::size_t from = 0; from < 4; ++from) {
    for (std::size_t n = 0; n <= 300; ++n) {
      SCOPED_TRACE("from " + std::to_string(from) + ", n " + std::to_string(n));
      const CString s = CString::FromLatin1(std::string_view(bytes).substr(from, n));
      std::u16string expected;
      for (std::size_t i = 0; i < n; ++i)
        expected += static_cast<char16_t>(static_cast<unsigned char>(bytes[from + i]));
      ASSERT_EQ(std::u16string(s.View()), expected);
    }
  }
}

TEST(FromLatin1, EmptyGivesEmpty) {
  EXPECT_TRUE(CString::FromLatin1({}).IsEmpty());
  EXPECT_EQ(CString::FromLatin1(std::string_view("a\0b", 3)).GetLength(), 3) << "embedded zeros are units";
}

}  // namespace
