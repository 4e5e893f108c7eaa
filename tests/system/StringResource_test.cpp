// GetStringFromResourceID over a test module's string table: found, missing, and the cut of a
// 300-unit string to 259 units.
#include <Utility/Platform/Library.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/TempDir.h"

using utility::testsupport::Utf8;

namespace {

// The text of an identifier as the table's source spells it (no escapes on that line).
CString SourceLine(const std::string& id) {
  std::ifstream in(TEST_TEXTS_SOURCE);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(id + " ", 0) == 0) return CString::FromUtf8(line.substr(id.size() + 1));
  }
  return CString();
}

class TextsModule : public testing::Test {
 protected:
  void SetUp() override {
    m_module = LoadLibraryW(CString(TEST_TEXTS_MODULE).GetString());
    ASSERT_NE(m_module, nullptr);
  }
  void TearDown() override { FreeLibrary(m_module); }
  HINSTANCE m_module = nullptr;
};

}  // namespace

TEST_F(TextsModule, GivesTheStringOfAnIdentifier) {
  EXPECT_EQ(CUtility::GetStringFromResourceID(m_module, 101), CString(u"Title of the window"));
  EXPECT_EQ(CUtility::GetStringFromResourceID(m_module, 103), CString(u"caf\u00e9 \u4e2d\u6587"));
}

TEST_F(TextsModule, CutsA300UnitStringTo259Units) {
  const CString full = SourceLine("102");
  ASSERT_EQ(full.GetLength(), 300);
  const CString text = CUtility::GetStringFromResourceID(m_module, 102);
  EXPECT_EQ(text.GetLength(), 259);
  EXPECT_EQ(text, full.Left(259));
}

TEST_F(TextsModule, GivesEmptyTextForAMissingIdentifier) {
  for (unsigned int id : {0u, 100u, 104u, 0x10000u + 101u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(CUtility::GetStringFromResourceID(m_module, id).IsEmpty());
  }
}

TEST(GetStringFromResourceID, GivesEmptyTextForAModuleWithoutATable) {
  // The test executable carries no table; a stray handle names no module at all.
  EXPECT_TRUE(CUtility::GetStringFromResourceID(nullptr, 101).IsEmpty());
  int local = 0;
  EXPECT_TRUE(CUtility::GetStringFromResourceID(reinterpret_cast<HINSTANCE>(&local), 101).IsEmpty());
}
