// CreateGUID: GUID text of a new random GUID (that every GUID is new is CoCreateGuid's to show).
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <string>

#include "support/TempDir.h"

using utility::testsupport::Utf8;

TEST(CreateGUID, WritesUpperCaseGuidText) {
  for (int i = 0; i < 200; ++i) {
    const std::string text = Utf8(CUtility::CreateGUID());
    SCOPED_TRACE(text);
    ASSERT_EQ(text.size(), 36u);
    for (std::size_t p = 0; p < text.size(); ++p) {
      if (p == 8 || p == 13 || p == 18 || p == 23) {
        EXPECT_EQ(text[p], '-') << p;
      } else {
        EXPECT_TRUE((text[p] >= '0' && text[p] <= '9') || (text[p] >= 'A' && text[p] <= 'F')) << p;
      }
    }
    // A random GUID of version 4, variant 10: the digits the format puts there.
    EXPECT_EQ(text[14], '4');
    EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos);
  }
}
