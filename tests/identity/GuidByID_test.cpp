// CreateGuidByID: the fields of fixed identifiers (every identifier is compared with the
// identity module's own spelling in RealModule_test), and its one shared buffer.
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <string>

TEST(CreateGuidByID, WritesTheFieldsOfFixedIdentifiers) {
  EXPECT_STREQ(CUtility::CreateGuidByID(1), "00000100-0010-0004-0010-000200000000");
  EXPECT_STREQ(CUtility::CreateGuidByID(0x12345678), "34567800-6780-59E0-0080-9EF056679E3C");
  EXPECT_STREQ(CUtility::CreateGuidByID(0xFFFFFFFF), "FFFFFF00-FFF0-FFFC-00F0-FFFEFFFFFFFF");  // shifted out
  // A negative identifier is formatted by its bit pattern.
  EXPECT_STREQ(CUtility::CreateGuidByID(static_cast<ULONG>(LONG{-2})), "FFFFFE00-FFE0-FFF8-00E0-FFFCFFFFFFFF");
}

TEST(CreateGuidByID, ReturnsOneBufferThatTheNextCallOverwrites) {
  const char* first = CUtility::CreateGuidByID(1);
  const std::string firstText = first;
  const char* second = CUtility::CreateGuidByID(0x12345678);
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "34567800-6780-59E0-0080-9EF056679E3C");
  EXPECT_NE(firstText, std::string(first));
}
