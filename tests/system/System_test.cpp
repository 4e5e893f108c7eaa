// The system helpers on every system: error texts of many threads at once, GUID text, string
// resources cut to 259 units, and the affinity mask of the processor count.
#include <Utility/Platform/Library.h>
#include <Utility/Platform/System.h>
#include <Utility/Platform/Thread.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"
#include "system/AffinityBound.h"

using utility::testsupport::Utf8;

TEST(GetLastErrorText, GivesEachOfManyThreadsItsOwnText) {
  const std::vector<int> codes = {2, 5, 6, 8, 80, 87, 109, 112, 145, 0x12345};
  std::map<int, CString> expected;
  for (int code : codes) expected[code] = CUtility::GetLastErrorText(code);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (std::size_t i = 0; i < 300; ++i) {
        const int code = codes[(t + i) % codes.size()];
        if (!(CUtility::GetLastErrorText(code) == expected[code])) ++wrong;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST(CreateGUID, WritesUpperCaseTextOfARandomGuid) {
  // Version 4, variant 10: the digits the format puts at those places.
  const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
  for (int i = 0; i < 50; ++i) {
    const std::string text = Utf8(CUtility::CreateGUID());
    EXPECT_TRUE(std::regex_match(text, form)) << text;
  }
}

TEST(GetStringFromResourceID, GivesTheStringOfAnIdentifierCutTo259Units) {
  const HINSTANCE module = LoadLibraryW(CString(TEST_TEXTS_MODULE).GetString());
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(CUtility::GetStringFromResourceID(module, 101), CString(u"Title of the window"));
  EXPECT_EQ(CUtility::GetStringFromResourceID(module, 103), CString(u"caf\u00e9 \u4e2d\u6587"));
  // The 300-unit string of the table's source (no escapes on that line).
  std::ifstream source(TEST_TEXTS_SOURCE);
  std::string line;
  while (std::getline(source, line) && line.rfind("102 ", 0) != 0) {
  }
  const CString full = CString::FromUtf8(line.substr(4));
  ASSERT_EQ(full.GetLength(), 300);
  EXPECT_EQ(CUtility::GetStringFromResourceID(module, 102), full.Left(259));
  for (unsigned int id : {0u, 104u, 0x10000u + 101u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(CUtility::GetStringFromResourceID(module, id).IsEmpty());
  }
  FreeLibrary(module);
  // The test program carries no table; a stray handle names no module at all.
  EXPECT_TRUE(CUtility::GetStringFromResourceID(nullptr, 101).IsEmpty());
  int local = 0;
  EXPECT_TRUE(CUtility::GetStringFromResourceID(reinterpret_cast<HINSTANCE>(&local), 101).IsEmpty());
}

TEST(AffinityMaskBound, NamesEveryProcessorAndNoOther) {
  for (const auto& [processors, bound] : std::map<DWORD, ULONG>{
           {1, 0x1u}, {2, 0x3u}, {8, 0xFFu}, {31, 0x7FFFFFFFu}, {32, 0xFFFFFFFFu}, {70, 0xFFFFFFFFu}}) {
    EXPECT_EQ(utility::system::AffinityMaskBound(processors), bound) << processors;
  }
}
