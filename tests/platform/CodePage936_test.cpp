// Code page 936 both ways: default characters, U+FFFD, short buffers, one converter per thread.
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Error.h>

#include "support/CodePageText.h"

namespace {

using utility::testsupport::ToBytes;
using utility::testsupport::ToWide;
using utility::testsupport::W;

std::u16string Decode936(const std::string& bytes) { return ToWide(CP_GBK, 0, bytes); }
std::string Encode936(const std::u16string& text, const char* defaultChar = nullptr, BOOL* used = nullptr) {
  return ToBytes(CP_GBK, 0, text, defaultChar, used);
}

// Known text both ways; what 936 cannot hold becomes the default character, and says so.
TEST(CodePage936, ConvertsKnownCjkTextAndGivesTheDefaultCharacterForTheRest) {
  auto check = [](const std::u16string& text, const char* defaultChar, const std::string& bytes, BOOL defaulted) {
    BOOL used = 7;
    EXPECT_EQ(Encode936(text, defaultChar, &used), bytes);
    EXPECT_EQ(used, defaulted);
    if (!defaulted) {
      EXPECT_EQ(Decode936(bytes), text);
    }
  };
  check(u"KEY_\u4e2d\u6587\uff0c", nullptr, "KEY_\xd6\xd0\xce\xc4\xa3\xac", FALSE);
  check(u"\u20ac", nullptr, "\x80", FALSE);  // the euro sign is the single byte 0x80
  check(std::u16string(u"a\0b", 3), nullptr, std::string("a\0b", 3), FALSE);
  check(u"a\u0e01b", nullptr, "a?b", TRUE);  // a Thai letter
  check(u"\U0001F600", nullptr, "?", TRUE);  // a surrogate pair is one character
  check(u"\xD800z", nullptr, "?z", TRUE);
  check(u"\u0e01", "*", "*", TRUE);
  check(u"\u0e01", "\xa1\xa1", "\xa1\xa1", TRUE);  // a double-byte default
  EXPECT_EQ(Encode936(u"\u0e01"), "?") << "no report asked for";
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "\xd6\xd0", -1, nullptr, 0), 2) << "terminator counted";
}

// Every lead and trail byte pair decodes to exactly one unit: the character, which encodes
// back to the same pair, or U+FFFD for a pair that 936 leaves unassigned.
TEST(CodePage936, EveryDoubleByteCharacterRoundTrips) {
  std::string all;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail != 0x7F) all += {static_cast<char>(lead), static_cast<char>(trail)};
    }
  }
  const std::u16string text = Decode936(all);
  ASSERT_EQ(text.size(), all.size() / 2) << "each pair must give exactly one unit";
  std::u16string mapped;
  std::string mappedBytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\xFFFD') continue;  // a pair that 936 leaves unassigned
    mapped += text[i];
    mappedBytes += all.substr(2 * i, 2);
  }
  EXPECT_GT(mapped.size(), 21000u) << "936 assigns over 21000 double-byte characters";
  BOOL used = FALSE;
  EXPECT_EQ(Encode936(mapped, nullptr, &used), mappedBytes);
  EXPECT_EQ(used, FALSE);
}

// Each ill-formed piece is one U+FFFD, and the strict flag refuses it.
TEST(CodePage936Linux, InvalidBytesBecomeReplacementAndResume) {
  auto check = [](const std::string& bytes, const std::u16string& text) {
    EXPECT_EQ(Decode936(bytes), text);
    SetLastError(0);
    WCHAR out[8];
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), out, 8),
              0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  };
  check("a\xffz", u"a\uFFFDz");
  check("\x81\x30", u"\uFFFD0");  // a lead byte before an invalid trail byte
  check("ab\xd6", u"ab\uFFFD");   // a lead byte at the end
  check("\xff\xd6\xd0", u"\uFFFD\u4e2d");
  check("\xa2\xe3z", u"\uFFFDz");  // an unassigned pair is one character
}

TEST(CodePage936, SmallBufferKeepsWholeCharacters) {
  char out[4] = {'x', 'x', 'x', 'x'};
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, W(u"\u4e2d\u6587"), 2, out, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(out, 4), "\xd6\xd0xx");
  char16_t wide[3] = {7, 7, 7};
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "\xd6\xd0\xce\xc4", -1, reinterpret_cast<WCHAR*>(wide), 2), 0);
  EXPECT_EQ(std::u16string(wide, 3), u"\u4e2d\u6587\x7");
}

// Each thread converts with its own converter state; interleaved use must not mix them.
TEST(CodePage936, ThreadsConvertIndependently) {
  const std::u16string text = u"\u4e2d\u6587 mixed text \u6d4b\u8bd5";
  const std::string bytes = Encode936(text);
  std::vector<int> good(4, 0);
  std::vector<std::thread> threads;
  for (int& g : good) {
    threads.emplace_back([&] {
      for (int k = 0; k < 300; ++k) g += Decode936(bytes) == text && Encode936(text) == bytes;
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(good, std::vector<int>(4, 300));
}

}  // namespace
