// CoCreateGuid: random version 4 GUIDs with the RFC 4122 variant, all different.
#include <Utility/Platform/Guid.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

TEST(CoCreateGuid, MakesDistinctVersionFourGuidsAndRefusesANullOne) {
  std::set<std::string> seen;
  int bitsSet[128] = {};
  const int count = 20000;
  for (int i = 0; i < count; ++i) {
    GUID g{};
    ASSERT_EQ(CoCreateGuid(&g), S_OK);
    EXPECT_EQ(g.Data3 >> 12, 4u);
    EXPECT_EQ(g.Data4[0] >> 6, 2u);
    std::string bytes(sizeof g, '\0');
    std::memcpy(bytes.data(), &g, sizeof g);
    EXPECT_TRUE(seen.insert(bytes).second) << "repeated after " << i;
    for (int bit = 0; bit < 128; ++bit) bitsSet[bit] += (static_cast<unsigned char>(bytes[bit / 8]) >> (bit % 8)) & 1;
  }
  // The 122 random bits are each set about half the time; the six fixed ones always or never.
  int fixed = 0;
  for (int bit = 0; bit < 128; ++bit) {
    if (bitsSet[bit] == 0 || bitsSet[bit] == count) {
      ++fixed;
    } else {
      EXPECT_NEAR(bitsSet[bit], count / 2, count / 20) << "bit " << bit;
    }
  }
  EXPECT_EQ(fixed, 6);
  EXPECT_EQ(CoCreateGuid(nullptr), E_INVALIDARG);
}
