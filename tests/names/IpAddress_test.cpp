// IsValidIP against a literal strtok_r/atoi rendering of its rule over edge and generated texts,
// and IsSameIp against the C library's inet_addr (the classic BSD parser) over edge texts
// (fuzz/Names.cpp compares the two over any text).
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

namespace {

int ValidIp(const std::string& text) {
  std::vector<char> copy(text.begin(), text.end());
  copy.push_back('\0');
  const int result = CUtility::IsValidIP(copy.data());
  EXPECT_EQ(std::string(copy.data()), text) << "IsValidIP changed its argument";
  return result;
}

// The rule told literally: strtok at ".", every number all digits, atoi saturating at INT_MAX,
// the first number 1 to 254, the others up to 255, exactly four numbers.
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

std::string RandomText(std::mt19937& rng, const std::string& alphabet, std::size_t longest) {
  std::string text;
  const std::size_t length = rng() % (longest + 1);
  for (std::size_t i = 0; i < length; ++i) text.push_back(alphabet[rng() % alphabet.size()]);
  return text;
}

TEST(IsValidIP, FollowsTheLiteralRule) {
  const char* edges[] = {"192.168.1.1",
                         "1.0.0.0",
                         "0.1.2.3",
                         "255.1.1.1",
                         "254.255.255.255",
                         "1.2.3.256",
                         "1.2.3",
                         "1.2.3.4.5",
                         "1..2.3.4",
                         ".1.2.3.4",
                         "1.2.3.4.",
                         "...",
                         "01.002.03.4",
                         "1.2.3.4 ",
                         "1.+2.3.4",
                         "1.-2.3.4",
                         "",
                         "1.2.3.99999999999999999999",
                         "1.2.3.0255"};
  int valid = 0;
  for (const char* text : edges) {
    EXPECT_EQ(ValidIp(text), LiteralValidIp(text)) << "'" << text << "'";
    valid += ValidIp(text);
  }
  EXPECT_EQ(valid, 8);  // the edge list holds both answers
  EXPECT_EQ(CUtility::IsValidIP(nullptr), 0);
  const unsigned seed = 8080;
  std::mt19937 rng(seed);
  for (int round = 0; round < 50000; ++round) {
    const std::string text = RandomText(rng, "0123456789.....2551 x-", 19);
    ASSERT_EQ(ValidIp(text), LiteralValidIp(text)) << "'" << text << "' seed " << seed;
  }
}

TEST(IsValidIP, SharesNoTokenizerStateWithItsCaller) {
  char list[] = "one,two,three";
  char address[] = "10.0.0.1";
  ASSERT_STREQ(std::strtok(list, ","), "one");
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

// A text reads as inet_addr reads it (a text that is no address as 255.255.255.255): the same
// as the dotted form of that value, not the same as its neighbour.
void ExpectReadAsInetAddr(const std::string& text) {
  const std::uint32_t value = ntohl(inet_addr(text.c_str()));
  ASSERT_EQ(SameIp(text, Dotted(value)), 1) << "'" << text << "' reads " << Dotted(value);
  ASSERT_EQ(SameIp(Dotted(value), text), 1) << "'" << text << "' reads " << Dotted(value);
  ASSERT_EQ(SameIp(text, Dotted(value ^ 1u)), 0) << "'" << text << "'";
}

TEST(IsSameIp, ReadsTextsAsTheCLibrarysInetAddrDoes) {
  for (const char* text : {"10.0.0.01",     "10.0.0.010",   "10.1",       "0x0A.0.0.1",
                           "0X0a.0.0.1",    "167772161",    "10.0.1",     "10.0.0.1 trailing",
                           "10.0.0.1\ttab", "10.0.0.1x",    "",           "abc",
                           "10.0.0.256",    "08",           "0x",         "1.2.3.4.5",
                           "4294967295",    "4294967296",   "1.16777215", "1.16777216",
                           "1.2.65535",     "1.2.65536",    "256.1",      "0xFFFFFFFF",
                           "037777777777",  "040000000000", "1.0x100.1"}) {
    SCOPED_TRACE(text);
    ExpectReadAsInetAddr(text);
  }
}

TEST(IsSameIp, OverlongTextsAreNoAddress) {
  const std::string padded = "10.0.0.1 " + std::string(1014, 'x');  // 1023 bytes: still read
  ASSERT_EQ(padded.size(), 1023u);
  EXPECT_EQ(SameIp(padded, "10.0.0.1"), 1);
  EXPECT_EQ(SameIp(padded + "x", "10.0.0.1"), 0);
  EXPECT_EQ(SameIp(padded + "x", "255.255.255.255"), 1);
  // Non-ASCII text counts in UTF-8 bytes: 338 three-byte units make 1023 bytes, one more 1026.
  const std::u16string wide = u"10.0.0.1 " + std::u16string(338, u'\u4e2d');
  EXPECT_EQ(CUtility::IsSameIp(CString(std::u16string_view(wide)), CString(u"10.0.0.1")), 1);
  EXPECT_EQ(CUtility::IsSameIp(CString(std::u16string_view(wide + u"\u4e2d")), CString(u"10.0.0.1")), 0);
}

}  // namespace
