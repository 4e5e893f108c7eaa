// IsSameIp against the C library's inet_addr (the classic BSD parser that glibc keeps) over edge
// texts; fuzz/Names.cpp compares the two over any text.
#include <arpa/inet.h>

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

namespace {

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

}  // namespace
