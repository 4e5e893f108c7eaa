// IsValidIP against a literal strtok/atoi rendering of its rule over edge and generated texts, and
// IsSameIp's length limit (IpAddress_linux_test.cpp reads texts against the C library's parser).
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

// The rule told literally: the numbers are the runs between dots (as strtok gives them, empty
// runs skipped), every number all digits, atoi saturating at INT_MAX, the first number 1 to 254,
// the others up to 255, exactly four numbers.
int LiteralValidIp(const std::string& text) {
  int part = 0;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('.', begin);
    if (end == std::string::npos) end = text.size();
    const std::string token = text.substr(begin, end - begin);
    begin = end + 1;
    if (token.empty()) continue;
    if (++part >= 5) return 0;
    for (const char c : token) {
      if (c < '0' || c > '9') return 0;
    }
    errno = 0;
    long long number = std::strtoll(token.c_str(), nullptr, 10);
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
  // The ends of each range, empty runs, white space and signs, saturating numbers; the rest is
  // left to the generated texts.
  const char* edges[] = {"1.0.0.0",
                         "0.1.2.3",
                         "254.255.255.255",
                         "255.1.1.1",
                         "1.2.3.256",
                         "1.2.3.4.5",
                         "1..2.3.4",
                         ".1.2.3.4.",
                         "1.2.3",
                         "1.2.3.4 ",
                         "1.+2.3.4",
                         "",
                         "1.2.3.99999999999999999999"};
  int valid = 0;
  for (const char* text : edges) {
    EXPECT_EQ(ValidIp(text), LiteralValidIp(text)) << "'" << text << "'";
    valid += ValidIp(text);
  }
  EXPECT_EQ(valid, 4);  // the edge list holds both answers
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

int SameIp(const std::string& a, const std::string& b) {
  return CUtility::IsSameIp(CString(a.c_str()), CString(b.c_str()));
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
