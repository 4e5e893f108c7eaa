// The Win32 rules around the codec (Utf8Kernels_test.cpp) on the active code page, UTF-8.
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Error.h>

#include "support/CodePageText.h"

namespace {

using utility::testsupport::ToBytes;
using utility::testsupport::ToWide;
using utility::testsupport::W;

// Every alias of the active code page is UTF-8; success leaves the last error alone.
TEST(CodePageCounts, WholeTextCountsTheTerminatorAndExplicitLengthsKeepZeros) {
  EXPECT_EQ(GetACP(), CP_UTF8);
  for (UINT cp : {CP_OEMCP, CP_THREAD_ACP, CP_UTF8}) EXPECT_EQ(ToBytes(cp, 0, u"\u00e9"), "\xc3\xa9") << cp;
  SetLastError(0xDEADu);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, W(u"h\u00e9\u4e2d"), -1, nullptr, 0, nullptr, nullptr), 7);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, W(u""), -1, nullptr, 0, nullptr, nullptr), 1);
  EXPECT_EQ(GetLastError(), 0xDEADu) << "success must leave the last error alone";
  EXPECT_EQ(ToWide(CP_ACP, 0, std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
  EXPECT_EQ(ToBytes(CP_ACP, 0, std::u16string(u"x\0\u00e9", 3)), std::string("x\0\xc3\xa9", 4));
}

// Every refusal returns 0 and names its reason in the last error, on both code pages.
TEST(CodePageCounts, BadArgumentsAndFlagsFailWithTheirError) {
  WCHAR wide[8];
  char narrow[8];
  BOOL used = 7;
  const DWORD kParameter = ERROR_INVALID_PARAMETER, kFlags = ERROR_INVALID_FLAGS;
  // code page, flags, source, length, destination, capacity, error
  const std::tuple<UINT, DWORD, const char*, int, WCHAR*, int, DWORD> toWide[] = {
      {CP_ACP, 0, nullptr, -1, wide, 8, kParameter},      {CP_ACP, 0, "abc", 0, wide, 8, kParameter},
      {CP_ACP, 0, "abc", -2, wide, 8, kParameter},        {CP_ACP, 0, "abc", -1, wide, -1, kParameter},
      {CP_ACP, 0, "abc", -1, nullptr, 4, kParameter},     {1234, 0, "abc", -1, wide, 8, kParameter},
      {CP_ACP, MB_PRECOMPOSED, "a", -1, wide, 8, kFlags}, {CP_GBK, MB_PRECOMPOSED | 0x2u, "a", -1, wide, 4, kFlags},
  };
  for (const auto& [cp, flags, src, length, dst, capacity, error] : toWide) {
    SCOPED_TRACE(testing::Message() << cp << " " << flags << " " << length << " " << capacity);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(cp, flags, src, length, dst, capacity), 0);
    EXPECT_EQ(GetLastError(), error);
  }
  // code page, flags, source, length, destination, default character, its report, error
  const std::tuple<UINT, DWORD, const char16_t*, int, char*, const char*, BOOL*, DWORD> toBytes[] = {
      {CP_ACP, 0, nullptr, -1, narrow, nullptr, nullptr, kParameter},
      {CP_ACP, 0, u"a", 0, narrow, nullptr, nullptr, kParameter},
      {CP_ACP, 0, u"a", -1, nullptr, nullptr, nullptr, kParameter},  // a capacity without a buffer
      {CP_ACP, 0, u"a", -1, narrow, "?", nullptr, kParameter},
      {CP_UTF8, 0, u"a", -1, narrow, nullptr, &used, kParameter},
      {CP_ACP, WC_NO_BEST_FIT_CHARS, u"a", -1, narrow, nullptr, nullptr, kFlags},
      {CP_GBK, WC_ERR_INVALID_CHARS, u"a", -1, narrow, nullptr, nullptr, kFlags},
  };
  for (const auto& [cp, flags, src, length, dst, defaultChar, report, error] : toBytes) {
    SCOPED_TRACE(testing::Message() << cp << " " << flags << " " << length);
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(cp, flags, W(src), length, dst, 8, defaultChar, report), 0);
    EXPECT_EQ(GetLastError(), error);
  }
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, MB_PRECOMPOSED, "a", -1, wide, 4), 2);  // what 936 does take
}

// A short buffer gets the whole characters that fit (the kernel tests try every capacity), not the terminator.
TEST(CodePageCounts, SmallBufferGetsWhatFitsThenFails) {
  WCHAR wide[4] = {0x7777, 0x7777, 0x7777, 0x7777};
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wide), 4), u"abc\x7777");
}

// The strict flags refuse what the lenient conversions replace by U+FFFD; well-formed text passes.
TEST(CodePageCounts, StrictFlagsRefuseIllFormedText) {
  WCHAR wide[8];
  char narrow[8];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "a\x80z", 3, wide, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "\xf4\x8f\xbf\xbf", 4, wide, 8), 2);
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, WC_ERR_INVALID_CHARS, W(u"a\xDC00z"), 3, narrow, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

}  // namespace
