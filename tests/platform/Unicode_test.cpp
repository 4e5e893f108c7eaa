// The fixed White_Space set and the generated simple case tables.
#include <Utility/Platform/Unicode.h>

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(IsWhiteSpace, IsExactlyTheUnicodeWhiteSpaceSet) {
  std::set<unsigned> expected = {0x20, 0x85, 0xA0, 0x1680, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
  for (unsigned c = 0x09; c <= 0x0D; ++c) expected.insert(c);
  for (unsigned c = 0x2000; c <= 0x200A; ++c) expected.insert(c);
  for (unsigned c = 0; c <= 0xFFFF; ++c) {
    ASSERT_EQ(utility::platform::IsWhiteSpace(static_cast<WCHAR>(c)), expected.count(c) == 1) << std::hex << c;
  }
}

TEST(CaseMapping, SpotChecks) {
  struct Case {
    unsigned in, upper, lower;
  };
  const Case cases[] = {
      {'a', 'A', 'a'},          {'Z', 'Z', 'z'},          {'1', '1', '1'},          {0x00E9, 0x00C9, 0x00E9},
      {0x00FF, 0x0178, 0x00FF}, {0x00DF, 0x00DF, 0x00DF},  // sharp s: no single unit
      {0x1E9E, 0x1E9E, 0x00DF}, {0x0131, 'I', 0x0131},    {0x0130, 0x0130, 'i'},    {0x017F, 'S', 0x017F},
      {0x00B5, 0x039C, 0x00B5}, {0x01C5, 0x01C4, 0x01C6}, {0x1F80, 0x1F88, 0x1F80}, {0x1F88, 0x1F88, 0x1F80},
      {0x1FB3, 0x1FBC, 0x1FB3}, {0x212A, 0x212A, 'k'},    {0x2126, 0x2126, 0x03C9}, {0x03C2, 0x03A3, 0x03C2},
      {0x0451, 0x0401, 0x0451}, {0x10D0, 0x1C90, 0x10D0}, {0xAB70, 0x13A0, 0xAB70}, {0x13A0, 0x13A0, 0xAB70},
      {0xFF41, 0xFF21, 0xFF41}, {0x2C65, 0x023A, 0x2C65}, {0x0250, 0x2C6F, 0x0250}, {0xD800, 0xD800, 0xD800},
      {0xDFFF, 0xDFFF, 0xDFFF}, {0x4E2D, 0x4E2D, 0x4E2D}, {0xFFFF, 0xFFFF, 0xFFFF}, {0x0000, 0x0000, 0x0000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.in);
    EXPECT_EQ(utility::platform::ToUpperUnit(static_cast<WCHAR>(c.in)), c.upper);
    EXPECT_EQ(utility::platform::ToLowerUnit(static_cast<WCHAR>(c.in)), c.lower);
  }
}

// ASCII is the classic mapping. Mappings are idempotent, leave surrogates alone, and pair up: a unit's upper case
// lowers back to it, and its lower case uppers back, except for the 37 units that Unicode itself leaves unpaired
// (titlecase digraphs, compatibility letters, variant Greek forms). A broken table (all identity, a shifted block, one
// wrong delta) would fall off these counts.
TEST(CaseMapping, MappingsAreIdempotentAndPairUp) {
  int uppered = 0, lowered = 0, unpaired = 0;
  for (unsigned c = 0; c <= 0xFFFF; ++c) {
    const WCHAR w = static_cast<WCHAR>(c);
    const WCHAR up = utility::platform::ToUpperUnit(w), lo = utility::platform::ToLowerUnit(w);
    if (c < 0x80) {
      ASSERT_EQ(up, c >= 'a' && c <= 'z' ? c - 32 : c) << c;
      ASSERT_EQ(lo, c >= 'A' && c <= 'Z' ? c + 32 : c) << c;
    }
    ASSERT_EQ(utility::platform::ToUpperUnit(up), up) << std::hex << c;
    ASSERT_EQ(utility::platform::ToLowerUnit(lo), lo) << std::hex << c;
    if (c >= 0xD800 && c <= 0xDFFF) {
      ASSERT_TRUE(up == w && lo == w) << std::hex << c;
    }
    if (up != w) ++uppered, unpaired += utility::platform::ToLowerUnit(up) != w;
    if (lo != w) ++lowered, unpaired += utility::platform::ToUpperUnit(lo) != w;
  }
  EXPECT_EQ(unpaired, 37);
  EXPECT_GT(uppered, 1100);
  EXPECT_GT(lowered, 1100);
}

}  // namespace
