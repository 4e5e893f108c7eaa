// The system helpers on every system: error texts of many threads at once, GUID text, string
// resources cut to 259 units, and thread affinity within the processor count.
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
#include <utility>
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
  // The 300-unit string of the table's source (no escapes on that line).
  std::ifstream source(TEST_TEXTS_SOURCE);
  std::string line;
  while (std::getline(source, line) && line.rfind("102 ", 0) != 0) {
  }
  const CString full = CString::FromUtf8(line.substr(4));
  ASSERT_EQ(full.GetLength(), 300);
  EXPECT_EQ(CUtility::GetStringFromResourceID(module, 102), full.Left(259));
  EXPECT_TRUE(CUtility::GetStringFromResourceID(module, 104).IsEmpty());
  FreeLibrary(module);
  EXPECT_TRUE(CUtility::GetStringFromResourceID(nullptr, 101).IsEmpty());  // the test program has no table
}

// Bad handles and masks beyond the processors are refused before the platform is asked (it would
// set the last error); the rest reach it, and its answer, the previous mask or its refusal (0),
// comes back. Affinity is changed only on a thread the test starts.
TEST(SetThreadAffinityMask, RefusesWhatNamesNoThreadOrProcessorAndPassesTheRestOn) {
  std::thread([] {
    const ULONG all = utility::system::AffinityMaskBound(CUtility::GetNumberOfProcessors());
    constexpr ULONG kRejected = 0xFFFFFFFFu;
    std::vector<std::pair<HANDLE, ULONG>> rejected = {{nullptr, 1}, {INVALID_HANDLE_VALUE, 1}};
    if (all != 0xFFFFFFFFu) rejected.emplace_back(GetCurrentThread(), all + 1);
    for (const auto& [handle, mask] : rejected) {
      SCOPED_TRACE(testing::Message() << handle << " mask " << mask);
      SetLastError(1234);
      EXPECT_EQ(CUtility::SetThreadAffinityMask(handle, mask), kRejected);
      EXPECT_EQ(GetLastError(), 1234u);
    }
    // The mask of all processors (the highest one included) is passed on; so is what it answered.
    const ULONG before = CUtility::SetThreadAffinityMask(GetCurrentThread(), all);
    ASSERT_NE(before, 0u);
    ASSERT_NE(before, kRejected);
    EXPECT_NE(CUtility::SetThreadAffinityMask(GetCurrentThread(), before), 0u);
    EXPECT_EQ(CUtility::SetThreadAffinityMask(GetCurrentThread(), before), before);
    EXPECT_EQ(CUtility::SetThreadAffinityMask(GetCurrentThread(), 0), 0u);  // the platform's refusal
  }).join();
}

TEST(AffinityMaskBound, NamesEveryProcessorAndNoOther) {
  for (const auto& [processors, bound] : std::map<DWORD, ULONG>{
           {1, 0x1u}, {2, 0x3u}, {8, 0xFFu}, {31, 0x7FFFFFFFu}, {32, 0xFFFFFFFFu}, {70, 0xFFFFFFFFu}}) {
    EXPECT_EQ(utility::system::AffinityMaskBound(processors), bound) << processors;
  }
}
