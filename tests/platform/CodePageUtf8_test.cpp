// MultiByteToWideChar and WideCharToMultiByte on the active code page (UTF-8): Win32 count
// rules, argument and flag checks, malformed input, and agreement with a plain reference
// codec over generated text.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Error.h>

#include "support/Utf8Oracle.h"

#include "support/TempDir.h"

namespace {

constexpr DWORD kUntouched = 0xDEADu;

using utility::testsupport::W;

std::u16string ToWide(UINT cp, DWORD flags, const std::string& bytes) {
  const int n = MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  if (n > 0) {
    EXPECT_EQ(MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()),
                                  reinterpret_cast<WCHAR*>(out.data()), n),
              n);
  }
  return out;
}

std::string ToBytes(UINT cp, DWORD flags, const std::u16string& units) {
  const int n = WideCharToMultiByte(cp, flags, W(units), static_cast<int>(units.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  if (n > 0) {
    EXPECT_EQ(WideCharToMultiByte(cp, flags, W(units), static_cast<int>(units.size()), out.data(), n, nullptr, nullptr),
              n);
  }
  return out;
}

TEST(CodePageCounts, WholeTextCountsTheTerminator) {
  SetLastError(kUntouched);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "", -1, nullptr, 0), 1);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, nullptr, 0), 3);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, W(u"h\u00e9\u4e2d"), -1, nullptr, 0, nullptr, nullptr), 7);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, W(u""), -1, nullptr, 0, nullptr, nullptr), 1);
  EXPECT_EQ(GetLastError(), kUntouched) << "success must leave the last error alone";
}

TEST(CodePageCounts, ExplicitLengthKeepsEmbeddedZeros) {
  const char bytes[] = {'a', 0, 'b'};
  WCHAR out[3] = {9, 9, 9};
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, bytes, 3, out, 3), 3);
  EXPECT_EQ(out[0], u'a');
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(out[2], u'b');
  const char16_t units[] = {u'x', 0, u'\u00e9'};
  char narrow[4] = {9, 9, 9, 9};
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, W(units), 3, narrow, 4, nullptr, nullptr), 4);
  EXPECT_EQ(std::string(narrow, 4), std::string("x\0\xc3\xa9", 4));
}

TEST(CodePageCounts, BadArgumentsFailWithInvalidParameter) {
  WCHAR wide[8];
  char narrow[8];
  struct Case {
    const char* name;
    int result;
  };
  const Case cases[] = {
      {"null source", MultiByteToWideChar(CP_ACP, 0, nullptr, -1, wide, 8)},
      {"zero length", MultiByteToWideChar(CP_ACP, 0, "abc", 0, wide, 8)},
      {"length below -1", MultiByteToWideChar(CP_ACP, 0, "abc", -2, wide, 8)},
      {"negative capacity", MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, -1)},
      {"null buffer with capacity", MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 4)},
      {"unknown code page", MultiByteToWideChar(1234, 0, "abc", -1, wide, 8)},
      {"wide null source", WideCharToMultiByte(CP_ACP, 0, nullptr, -1, narrow, 8, nullptr, nullptr)},
      {"wide zero length", WideCharToMultiByte(CP_ACP, 0, W(u"a"), 0, narrow, 8, nullptr, nullptr)},
      {"wide null buffer with capacity", WideCharToMultiByte(CP_ACP, 0, W(u"a"), -1, nullptr, 8, nullptr, nullptr)},
      {"default char on UTF-8", WideCharToMultiByte(CP_ACP, 0, W(u"a"), -1, narrow, 8, "?", nullptr)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, 0);
  }
  SetLastError(0);
  BOOL used = 7;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, W(u"a"), -1, narrow, 8, nullptr, &used), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CodePageCounts, FlagsOutsideTheCodePagesSetFail) {
  WCHAR wide[8];
  char narrow[8];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "a", -1, wide, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, W(u"a"), -1, narrow, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, WC_ERR_INVALID_CHARS, W(u"a"), -1, narrow, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  // The strict flags themselves are accepted on valid text.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "a", -1, wide, 8), 2);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, WC_ERR_INVALID_CHARS, W(u"a"), -1, narrow, 8, nullptr, nullptr), 2);
}

TEST(CodePageCounts, AllCodePageAliasesAreUtf8) {
  for (UINT cp : {CP_ACP, CP_OEMCP, CP_THREAD_ACP, CP_UTF8}) {
    SCOPED_TRACE(cp);
    EXPECT_EQ(ToWide(cp, 0, "\xe4\xb8\xad"), u"\u4e2d");
    EXPECT_EQ(ToBytes(cp, 0, u"\u00e9"), "\xc3\xa9");
  }
  EXPECT_EQ(GetACP(), CP_UTF8);
}

// A buffer one short of the need gets what fits, whole characters only, and then fails.
TEST(CodePageCounts, SmallBufferGetsWhatFitsThenFails) {
  struct Case {
    const char* bytes;
    int capacity;
    std::u16string written;
  };
  const Case cases[] = {
      {"abcdef", 3, u"abc"},
      {"abc", 3, u"abc"},              // the terminator finds no room
      {"a\xf0\x9f\x98\x80", 2, u"a"},  // a surrogate pair is never split
      {"0123456789abcdefghijklmnopqrstuvwxyz", 20, u"0123456789abcdefghij"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    std::vector<WCHAR> out(static_cast<std::size_t>(c.capacity) + 1, 0x7777);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, c.bytes, -1, out.data(), c.capacity), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(out.data()), c.written.size()), c.written);
    EXPECT_EQ(out[static_cast<std::size_t>(c.capacity)], 0x7777) << "wrote past the capacity";
  }
  char narrow[8];
  std::fill(std::begin(narrow), std::end(narrow), 'x');
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, W(u"a\u4e2d"), -1, narrow, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(narrow[0], 'a');
  EXPECT_EQ(narrow[1], 'x') << "a three-byte character must not be split";
}

TEST(Utf8Decoding, MalformedSequencesBecomeOneReplacementPerMaximalSubpart) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"stray continuation",
       "a\x80"
       "b",
       u"a\uFFFDb"},
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
    EXPECT_EQ(utility::testsupport::oracle::Decode(c.bytes), c.text) << "the reference codec disagrees";
    SetLastError(0);
    const bool valid = c.text.find(u'\xFFFD') == std::u16string::npos;
    WCHAR out[16];
    const int strict =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, c.bytes.data(), static_cast<int>(c.bytes.size()), out, 16);
    if (valid) {
      EXPECT_EQ(strict, static_cast<int>(c.text.size()));
    } else {
      EXPECT_EQ(strict, 0);
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    }
  }
}

TEST(Utf8Encoding, LoneSurrogatesBecomeReplacementOrFailWhenStrict) {
  const std::u16string lone[] = {u"\xD800",
                                 u"a\xDC00"
                                 "b",
                                 std::u16string(u"\xDBFF\xDBFF"), u"\xDFFF\xD800"};
  for (const std::u16string& s : lone) {
    SCOPED_TRACE(testing::PrintToString(std::vector<int>(s.begin(), s.end())));
    EXPECT_EQ(ToBytes(CP_ACP, 0, s), utility::testsupport::oracle::Encode(s));
    EXPECT_NE(ToBytes(CP_ACP, 0, s).find("\xef\xbf\xbd"), std::string::npos);
    char out[32];
    SetLastError(0);
    EXPECT_EQ(
        WideCharToMultiByte(CP_ACP, WC_ERR_INVALID_CHARS, W(s), static_cast<int>(s.size()), out, 32, nullptr, nullptr),
        0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  }
}

class GeneratedText : public testing::Test {
 protected:
  void SetUp() override {
    std::printf("seed %u\n", kSeed);
    rng.seed(kSeed);
  }
  static constexpr unsigned kSeed = 20261206;
  std::mt19937 rng;
};

TEST_F(GeneratedText, ValidUtf16RoundTripsThroughUtf8) {
  for (int round = 0; round < 400; ++round) {
    const std::u16string text =
        utility::testsupport::oracle::RandomValidUtf16(rng, std::uniform_int_distribution<std::size_t>(1, 300)(rng));
    SCOPED_TRACE("seed " + std::to_string(kSeed) + " round " + std::to_string(round));
    const std::string bytes = ToBytes(CP_ACP, WC_ERR_INVALID_CHARS, text);
    ASSERT_EQ(bytes, utility::testsupport::oracle::Encode(text));
    ASSERT_EQ(ToWide(CP_ACP, MB_ERR_INVALID_CHARS, bytes), text);
  }
}

TEST_F(GeneratedText, DecodingAgreesWithTheReferenceOnMalformedBytes) {
  for (int round = 0; round < 1500; ++round) {
    const std::string bytes =
        utility::testsupport::oracle::RandomMostlyUtf8(rng, std::uniform_int_distribution<std::size_t>(1, 120)(rng));
    SCOPED_TRACE("seed " + std::to_string(kSeed) + " round " + std::to_string(round));
    bool invalid = false;
    const std::u16string expected = utility::testsupport::oracle::Decode(bytes, &invalid);
    ASSERT_EQ(ToWide(CP_ACP, 0, bytes), expected);
    WCHAR probe[1];
    const int strict =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), probe, 0);
    ASSERT_EQ(strict, invalid ? 0 : static_cast<int>(expected.size()));
    // Every capacity short of the need writes a prefix of whole characters and fails.
    const int cap = std::uniform_int_distribution<int>(1, static_cast<int>(expected.size()))(rng);
    std::vector<WCHAR> out(static_cast<std::size_t>(cap) + 1, 0x7777);
    const int got = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), cap);
    if (cap == static_cast<int>(expected.size())) {
      ASSERT_EQ(got, cap);
    } else {
      ASSERT_EQ(got, 0);
      ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
      std::size_t fits = static_cast<std::size_t>(cap);
      if (expected[fits - 1] >= 0xD800 && expected[fits - 1] <= 0xDBFF) --fits;  // a pair is not split
      ASSERT_EQ(std::u16string(reinterpret_cast<const char16_t*>(out.data()), fits), expected.substr(0, fits));
      ASSERT_EQ(out[static_cast<std::size_t>(cap)], 0x7777);
    }
  }
}

TEST_F(GeneratedText, EncodingAgreesWithTheReferenceWithLoneSurrogates) {
  for (int round = 0; round < 800; ++round) {
    std::u16string text =
        utility::testsupport::oracle::RandomValidUtf16(rng, std::uniform_int_distribution<std::size_t>(1, 100)(rng));
    for (int k = std::uniform_int_distribution<int>(0, 3)(rng); k > 0; --k) {
      const auto at = std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(rng);
      text[at] = static_cast<char16_t>(std::uniform_int_distribution<int>(0xD800, 0xDFFF)(rng));
    }
    SCOPED_TRACE("seed " + std::to_string(kSeed) + " round " + std::to_string(round));
    const std::string expected = utility::testsupport::oracle::Encode(text);
    ASSERT_EQ(ToBytes(CP_ACP, 0, text), expected);
    const int cap = std::uniform_int_distribution<int>(1, static_cast<int>(expected.size()))(rng);
    std::string out(static_cast<std::size_t>(cap) + 1, '\x7f');
    const int got =
        WideCharToMultiByte(CP_ACP, 0, W(text), static_cast<int>(text.size()), out.data(), cap, nullptr, nullptr);
    if (cap == static_cast<int>(expected.size())) {
      ASSERT_EQ(got, cap);
    } else {
      ASSERT_EQ(got, 0);
      // What was written is the expected text cut at the last whole character that fits.
      std::size_t fits = static_cast<std::size_t>(cap);
      while (fits > 0 && fits < expected.size() && (static_cast<unsigned char>(expected[fits]) & 0xC0) == 0x80) --fits;
      ASSERT_EQ(out.substr(0, fits), expected.substr(0, fits));
      ASSERT_EQ(out[static_cast<std::size_t>(cap)], '\x7f');
    }
  }
}

}  // namespace
