// BSTR layout and functions: the byte-length prefix, the zero unit after the text, embedded
// zeros and odd byte lengths, null handling.
#include <cstring>

#include <gtest/gtest.h>

#include <Utility/Platform/Bstr.h>

#include "support/TempDir.h"

namespace {

using utility::testsupport::W;

UINT Prefix(BSTR b) {
  UINT n = 0;
  std::memcpy(&n, reinterpret_cast<const char*>(b) - 4, 4);
  return n;
}

TEST(Bstr, CarriesItsByteLengthBeforeTheText) {
  BSTR b = SysAllocString(W(u"abc"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(Prefix(b), 6u);
  EXPECT_EQ(SysStringLen(b), 3u);
  EXPECT_EQ(SysStringByteLen(b), 6u);
  EXPECT_EQ(std::memcmp(b, u"abc", 8), 0) << "text and zero unit";
  SysFreeString(b);
}

TEST(Bstr, LengthFormsKeepEmbeddedZerosAndOddLengths) {
  const char16_t text[] = {u'a', 0, u'b'};
  BSTR b = SysAllocStringLen(W(text), 3);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SysStringLen(b), 3u);
  EXPECT_EQ(std::memcmp(b, u"a\0b", 8), 0) << "text and zero unit";
  SysFreeString(b);

  BSTR odd = SysAllocStringByteLen("abc", 3);
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(SysStringByteLen(odd), 3u);
  EXPECT_EQ(SysStringLen(odd), 1u);
  EXPECT_EQ(std::memcmp(odd, "abc\0\0", 5), 0) << "a whole zero unit after the odd byte";
  SysFreeString(odd);

  BSTR blank = SysAllocStringLen(nullptr, 5);  // room only, text left to the caller
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(SysStringLen(blank), 5u);
  EXPECT_EQ(blank[5], 0);
  SysFreeString(blank);
}

TEST(Bstr, NullAndEmptyTexts) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);
  BSTR empty = SysAllocString(W(u""));
  ASSERT_NE(empty, nullptr) << "an empty text is a real BSTR";
  EXPECT_EQ(SysStringLen(empty), 0u);
  EXPECT_EQ(empty[0], 0);
  SysFreeString(empty);
}

}  // namespace
