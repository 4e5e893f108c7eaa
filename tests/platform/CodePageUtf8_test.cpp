// MultiByteToWideChar and WideCharToMultiByte on the active code page (UTF-8): Win32 count
// rules, argument and flag checks and malformed input; the codec itself is the UTF-8 kernels'
// (Utf8Kernels_test.cpp and fuzz/Utf8Kernels.cpp check it against the reference).
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Error.h>

#include "support/CodePageText.h"
#include "support/Utf8Oracle.h"

namespace {

namespace oracle = utility::testsupport::oracle;
using utility::testsupport::ToBytes;
using utility::testsupport::ToWide;
using utility::testsupport::W;

TEST(CodePageCounts, WholeTextCountsTheTerminatorAndExplicitLengthsKeepZeros) {
  SetLastError(0xDEADu);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "", -1, nullptr, 0), 1);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, W(u"h\u00e9\u4e2d"), -1, nullptr, 0, nullptr, nullptr), 7);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, W(u""), -1, nullptr, 0, nullptr, nullptr), 1);
  EXPECT_EQ(GetLastError(), 0xDEADu) << "success must leave the last error alone";
  EXPECT_EQ(ToWide(CP_ACP, 0, std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
  EXPECT_EQ(ToBytes(CP_ACP, 0, std::u16string(u"x\0\u00e9", 3)), std::string("x\0\xc3\xa9", 4));
}

// Every refusal returns 0 and names its reason in the last error, on both code pages: null,
// zero or negative lengths and capacities, a capacity without a buffer, an unknown code page, a
// default character on UTF-8, and flags outside the code page's set.
TEST(CodePageCounts, BadArgumentsAndFlagsFailWithTheirError) {
  WCHAR wide[8];
  char narrow[8];
  BOOL used = 7;
  const DWORD kParameter = ERROR_INVALID_PARAMETER, kFlags = ERROR_INVALID_FLAGS;
  // code page, flags, source, length, destination, capacity, error
  const std::tuple<UINT, DWORD, const char*, int, WCHAR*, int, DWORD> toWide[] = {
      {CP_ACP, 0, nullptr, -1, wide, 8, kParameter},      {CP_ACP, 0, nullptr, -1, nullptr, 0, kParameter},
      {CP_ACP, 0, "abc", 0, wide, 8, kParameter},         {CP_ACP, 0, "abc", -2, wide, 8, kParameter},
      {CP_ACP, 0, "abc", -1, wide, -1, kParameter},       {CP_ACP, 0, "abc", -1, nullptr, 4, kParameter},
      {1234, 0, "abc", -1, wide, 8, kParameter},          {CP_GBK, 0, nullptr, -1, wide, 4, kParameter},
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
  // The flags each code page does take.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "a", -1, wide, 8), 2);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, WC_ERR_INVALID_CHARS, W(u"a"), -1, narrow, 8, nullptr, nullptr), 2);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, MB_PRECOMPOSED, "a", -1, wide, 4), 2);
}

TEST(CodePageCounts, AllCodePageAliasesAreUtf8) {
  for (UINT cp : {CP_ACP, CP_OEMCP, CP_THREAD_ACP, CP_UTF8}) {
    SCOPED_TRACE(cp);
    EXPECT_EQ(ToWide(cp, 0, "\xe4\xb8\xad"), u"\u4e2d");
    EXPECT_EQ(ToBytes(cp, 0, u"\u00e9"), "\xc3\xa9");
  }
  EXPECT_EQ(GetACP(), CP_UTF8);
}

// A buffer short of the need gets the whole characters that fit, then the call fails (the kernel
// tests check this at every capacity); here a terminator finds no room.
TEST(CodePageCounts, SmallBufferGetsWhatFitsThenFails) {
  WCHAR wide[4] = {0x7777, 0x7777, 0x7777, 0x7777};
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wide), 4), u"abc\x7777");
  char narrow[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, W(u"a\u4e2d"), -1, narrow, 3, nullptr, nullptr), 0);
  EXPECT_EQ(std::string(narrow, 4), "axxx") << "a three-byte character must not be split";
}

// Each malformed sequence, decoded leniently and strictly.
TEST(Utf8Decoding, MalformedSequencesBecomeOneReplacementPerMaximalSubpart) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"stray continuation", "a\x80z", u"a\uFFFDz"},
      {"overlong two-byte", "\xc0\xaf", u"\uFFFD\uFFFD"},
      {"overlong three-byte", "\xe0\x80\xaf", u"\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogate", "\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"truncated three-byte", "\xe4\xb8", u"\uFFFD"},
      {"truncated before ASCII", "\xe4\xb8z", u"\uFFFDz"},
      {"truncated four-byte", "\xf0\x9f\x98", u"\uFFFD"},
      {"above U+10FFFF", "\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"F5 and FF", "\xf5\xff", u"\uFFFD\uFFFD"},
      {"valid after invalid", "\xff\xe4\xb8\xad", u"\uFFFD\u4e2d"},
      {"largest scalar", "\xf4\x8f\xbf\xbf", u"\U0010FFFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ToWide(CP_ACP, 0, c.bytes), c.text);
    const bool valid = c.text.find(u'\xFFFD') == std::u16string::npos;
    WCHAR out[16];
    SetLastError(0);
    const int size = static_cast<int>(c.bytes.size());
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, c.bytes.data(), size, out, 16),
              valid ? static_cast<int>(c.text.size()) : 0);
    EXPECT_EQ(GetLastError(), valid ? 0u : static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  }
}

TEST(Utf8Encoding, LoneSurrogatesBecomeReplacementOrFailWhenStrict) {
  for (const std::u16string& s : {std::u16string(u"\xD800"), std::u16string(u"a\xDC00z"),
                                  std::u16string(u"\xDBFF\xDBFF"), std::u16string(u"\xDFFF\xD800")}) {
    SCOPED_TRACE(testing::PrintToString(std::vector<int>(s.begin(), s.end())));
    EXPECT_EQ(ToBytes(CP_ACP, 0, s), oracle::Encode(s));
    char out[32];
    SetLastError(0);
    EXPECT_EQ(
        WideCharToMultiByte(CP_ACP, WC_ERR_INVALID_CHARS, W(s), static_cast<int>(s.size()), out, 32, nullptr, nullptr),
        0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  }
}

}  // namespace
