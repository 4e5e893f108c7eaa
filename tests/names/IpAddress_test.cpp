// IsValidIP and IsSameIp. IsSameIp is compared with the C library's inet_addr (the classic BSD
// parser) over generated texts; IsValidIP with a literal strtok_r/atoi rendering of its rule.
#include <arpa/inet.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

#include "support/TempDir.h"

namespace {

using utility::testsupport::Utf8;

int ValidIp(const std::string& text) {
  std::vector<char> copy(text.begin(), text.end());
  copy.push_back('\0');
  const int result = CUtility::IsValidIP(copy.data());
  EXPECT_EQ(std::string(copy.data()), text) << "IsValidIP changed its argument";
  return result;
}

// The rule told literally: strtok at ".", every part all digits, atoi saturating at INT_MAX.
int LiteralValidIp(const std::string& text) {
  std::vector<char> copy(text.begin(), text.end());
  copy.push_back('\0');
  char* state = nullptr;
  int part = 0;
  for (char* token = strtok_r(copy.data(), ".", &state); token != nullptr; token = strtok_r(nullptr, ".", &state)) {
    if (++part >= 5) return 0;
    for (const char* c = token; *c != 0; ++c) {
      if (*c < '0' || *c > '9') return 0;
    }
    errno = 0;
    long long number = std::strtoll(token, nullptr, 10);
    if (errno == ERANGE || number > INT_MAX) number = INT_MAX;
    if (part == 1 && (number < 1 || number > 254)) return 0;
    if (part > 1 && number > 255) return 0;
  }
  return part == 4 ? 1 : 0;
}

TEST(IsValidIP, AcceptsFourDecimalParts) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"192.168.1.1", 1},
      {"1.0.0.0", 1},
      {"0.1.2.3", 0},
      {"255.1.1.1", 0},
      {"254.255.255.255", 1},
      {"1.2.3.256", 0},
      {"1.2.3", 0},
      {"1.2.3.4.5", 0},
      {"1..2.3.4", 1},
      {".1.2.3.4", 1},
      {"1.2.3.4.", 1},
      {"...", 0},
      {"01.002.03.4", 1},
      {"1.2.3.4 ", 0},
      {"1.+2.3.4", 0},
      {"1.-2.3.4", 0},
      {"", 0},
      {"0x1.2.3.4", 0},
      {"1.2.3.99999999999999999999", 0},
      {"1.2.3.0255", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("'") + c.text + "'");
    EXPECT_EQ(ValidIp(c.text), c.expected);
    EXPECT_EQ(LiteralValidIp(c.text), c.expected);  // the oracle agrees with the table
  }
  EXPECT_EQ(CUtility::IsValidIP(nullptr), 0);
}

TEST(IsValidIP, AgreesWithTheLiteralRule) {
  const unsigned seed = 8080;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  const std::string alphabet = "0123456789.....2551 x-";
  for (int round = 0; round < 50000; ++round) {
    std::string text;
    const std::size_t length = rng() % 20;
    for (std::size_t i = 0; i < length; ++i) text.push_back(alphabet[rng() % alphabet.size()]);
    ASSERT_EQ(ValidIp(text), LiteralValidIp(text)) << "'" << text << "'";
  }
}

TEST(IsValidIP, SharesNoTokenizerStateWithItsCaller) {
  char list[] = "one,two,three";
  char address[] = "10.0.0.1";
  char* token = std::strtok(list, ",");
  ASSERT_STREQ(token, "one");
  EXPECT_EQ(CUtility::IsValidIP(address), 1);
  EXPECT_STREQ(std::strtok(nullptr, ","), "two");
  EXPECT_STREQ(std::strtok(nullptr, ","), "three");
}

std::string Dotted(std::uint32_t hostOrder) {
  return std::to_string(hostOrder >> 24) + "." + std::to_string((hostOrder >> 16) & 0xFF) + "." +
         std::to_string((hostOrder >> 8) & 0xFF) + "." + std::to_string(hostOrder & 0xFF);
}

int SameIp(const std::string& a, const std::string& b) {
  return CUtility::IsSameIp(CString(a.c_str()), CString(b.c_str()));
}

TEST(IsSameIp, ComparesParsedValues) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  };
  const Case cases[] = {
      {"10.0.0.1", "10.0.0.01", 1},
      {"10.0.0.8", "10.0.0.010", 1},
      {"10.0.0.10", "10.0.0.010", 0},
      {"10.1", "10.0.0.1", 1},
      {"abc", "xyz", 1},
      {"abc", "255.255.255.255", 1},
      {"0x0A.0.0.1", "10.0.0.1", 1},
      {"167772161", "10.0.0.1", 1},
      {"10.0.1", "10.0.0.1", 1},
      {"10.0.0.1 trailing", "10.0.0.1", 1},
      {"10.0.0.1x", "10.0.0.1", 0},
      {"", "abc", 1},
      {"10.0.0.256", "abc", 1},
      {"08", "abc", 1},
      {"0x", "abc", 1},
      {"1.2.3.4.5", "abc", 1},
      {"10.0.0.1", "10.0.0.2", 0},
      {"4294967295", "abc", 1},
      {"4294967296", "0", 0},
      {"1.16777215", "1.255.255.255", 1},
      {"1.16777216", "abc", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("'") + c.a + "' '" + c.b + "'");
    EXPECT_EQ(SameIp(c.a, c.b), c.expected);
    EXPECT_EQ(SameIp(c.b, c.a), c.expected);
  }
}

TEST(IsSameIp, ReadsTextsAsTheCLibrarysInetAddrDoes) {
  const unsigned seed = 1984;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  const std::string alphabet = "0123456789000.....xXabcdefABCDEFg \t\n+-";
  for (int round = 0; round < 50000; ++round) {
    std::string text;
    const std::size_t length = rng() % 18;
    for (std::size_t i = 0; i < length; ++i) text.push_back(alphabet[rng() % alphabet.size()]);
    const std::uint32_t value = ntohl(inet_addr(text.c_str()));
    ASSERT_EQ(SameIp(text, Dotted(value)), 1) << "'" << text << "' reads " << Dotted(value);
    ASSERT_EQ(SameIp(text, Dotted(value ^ 1u)), 0) << "'" << text << "'";
  }
}

TEST(IsSameIp, OverlongTextsAreNoAddress) {
  const std::string padded = "10.0.0.1 " + std::string(1014, 'x');  // 1023 bytes: still read
  ASSERT_EQ(padded.size(), 1023u);
  EXPECT_EQ(SameIp(padded, "10.0.0.1"), 1);
  EXPECT_EQ(SameIp(padded + "x", "10.0.0.1"), 0);
  EXPECT_EQ(SameIp(padded + "x", "255.255.255.255"), 1);
  // Non-ASCII text counts in UTF-8 bytes: 341 three-byte units make 1023 bytes, one more 1026.
  const std::u16string wide = u"10.0.0.1 " + std::u16string(338, u'\u4e2d');
  EXPECT_EQ(CUtility::IsSameIp(CString(std::u16string_view(wide)), CString(u"10.0.0.1")), 1);
  const std::u16string wider = wide + u"\u4e2d";
  EXPECT_EQ(CUtility::IsSameIp(CString(std::u16string_view(wider)), CString(u"10.0.0.1")), 0);
}

}  // namespace
