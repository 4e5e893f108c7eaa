// CreateGuidByID: the field arithmetic on the 32-bit pattern, checked on fixed identifiers and
// against a literal restatement over generated ones, and its one shared buffer.
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>

namespace {

// The fields as the rule states them, with multiplication and division standing for the
// shifts and the remainders for the cuts to 32, 16 and 8 bits.
std::string Oracle(std::uint32_t id) {
  const std::uint64_t v = id;
  const auto left = [v](int n, std::uint64_t modulus) { return (v * (std::uint64_t{1} << n)) % modulus; };
  const auto right = [v](int n) { return (v / (std::uint64_t{1} << n)) % 256; };
  std::ostringstream out;
  out << std::uppercase << std::hex << std::setfill('0');
  out << std::setw(8) << left(8, 1ull << 32) << '-' << std::setw(4) << left(4, 1 << 16) << '-' << std::setw(4)
      << left(2, 1 << 16) << '-' << "00" << std::setw(2) << left(4, 256) << '-' << std::setw(2) << right(2)
      << std::setw(2) << left(1, 256) << std::setw(2) << right(8) << std::setw(2) << right(4) << std::setw(2)
      << right(2) << std::setw(2) << right(1);
  return out.str();
}

}  // namespace

TEST(CreateGuidByID, WritesTheFieldsOfFixedIdentifiers) {
  EXPECT_STREQ(CUtility::CreateGuidByID(1), "00000100-0010-0004-0010-000200000000");
  EXPECT_STREQ(CUtility::CreateGuidByID(0x12345678), "34567800-6780-59E0-0080-9EF056679E3C");
  // A negative identifier is formatted by its bit pattern.
  EXPECT_STREQ(CUtility::CreateGuidByID(static_cast<ULONG>(LONG{-2})), "FFFFFE00-FFE0-FFF8-00E0-FFFCFFFFFFFF");
}

TEST(CreateGuidByID, AgreesWithTheLiteralRuleOnGeneratedIdentifiers) {
  const unsigned seed = 20240305;
  std::mt19937 random(seed);
  for (int i = 0; i < 20000; ++i) {
    const std::uint32_t id =
        i < 64 ? (std::uint32_t{1} << (i % 32)) ^ (i >= 32 ? 0xFFFFFFFFu : 0u) : static_cast<std::uint32_t>(random());
    const std::string text = CUtility::CreateGuidByID(id);
    ASSERT_EQ(text, Oracle(id)) << "id " << id << " (seed " << seed << ", step " << i << ")";
    ASSERT_EQ(text.size(), 36u);
    ASSERT_EQ(text.substr(24, 2), text.substr(32, 2)) << "fields 6 and 10 differ for " << id;
  }
}

TEST(CreateGuidByID, ReturnsOneBufferThatTheNextCallOverwrites) {
  const char* first = CUtility::CreateGuidByID(1);
  const std::string firstText = first;
  const char* second = CUtility::CreateGuidByID(0x12345678);
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "34567800-6780-59E0-0080-9EF056679E3C");
  EXPECT_NE(firstText, std::string(first));
}
