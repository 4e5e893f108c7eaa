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

TEST(CaseMapping, AsciiIsTheClassicMapping) {
  for (unsigned c = 0; c < 0x80; ++c) {
    const unsigned up = c >= 'a' && c <= 'z' ? c - 32 : c;
    const unsigned lo = c >= 'A' && c <= 'Z' ? c + 32 : c;
    EXPECT_EQ(utility::platform::ToUpperUnit(static_cast<WCHAR>(c)), up) << c;
    EXPECT_EQ(utility::platform::ToLowerUnit(static_cast<WCHAR>(c)), lo) << c;
  }
}

// Mappings are idempotent and pair up, except for the units that Unicode itself leaves
// unpaired (titlecase digraphs, compatibility letters, variant Greek forms).
TEST(CaseMapping, MappingsPairUpOutsideTheKnownExceptions) {
  const std::set<unsigned> lowerNotUndone = {0x130, 0x1C5, 0x1C8, 0x1CB, 0x1F2, 0x3F4, 0x1E9E, 0x2126, 0x212A, 0x212B};
  const std::set<unsigned> upperNotUndone = {0xB5,   0x131,  0x17F,  0x1C5,  0x1C8,  0x1CB,  0x1F2,  0x345,  0x3C2,
                                             0x3D0,  0x3D1,  0x3D5,  0x3D6,  0x3F0,  0x3F1,  0x3F5,  0x1C80, 0x1C81,
                                             0x1C82, 0x1C83, 0x1C84, 0x1C85, 0x1C86, 0x1C87, 0x1C88, 0x1E9B, 0x1FBE};
  int uppered = 0, lowered = 0;
  for (unsigned c = 0; c <= 0xFFFF; ++c) {
    const WCHAR w = static_cast<WCHAR>(c);
    const WCHAR up = utility::platform::ToUpperUnit(w), lo = utility::platform::ToLowerUnit(w);
    ASSERT_EQ(utility::platform::ToUpperUnit(up), up) << std::hex << c;
    ASSERT_EQ(utility::platform::ToLowerUnit(lo), lo) << std::hex << c;
    if (c >= 0xD800 && c <= 0xDFFF) {
      ASSERT_EQ(up, w);
      ASSERT_EQ(lo, w);
    }
    if (up != w) {
      ++uppered;
      ASSERT_EQ(utility::platform::ToLowerUnit(up) == w, upperNotUndone.count(c) == 0) << std::hex << c;
    }
    if (lo != w) {
      ++lowered;
      ASSERT_EQ(utility::platform::ToUpperUnit(lo) == w, lowerNotUndone.count(c) == 0) << std::hex << c;
    }
  }
  // A broken table (all identity, or a shifted block) would fall far from these sizes.
  EXPECT_GT(uppered, 1100);
  EXPECT_GT(lowered, 1100);
}

}  // namespace
