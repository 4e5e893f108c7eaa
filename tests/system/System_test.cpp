// The system helpers: error texts (with CR LF, the 1023-unit cut, the code page round trip,
// many threads at once), GUID text, string resources cut to 259 units, and the processor
// count with what SetThreadAffinityMask rejects itself, without touching the thread.
#include <Utility/Platform/Library.h>
#include <Utility/Platform/System.h>
#include <Utility/Platform/Thread.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <sched.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"
#include "system/AffinityBound.h"
#include "system/MessageText.h"

using utility::testsupport::Utf8;

namespace {

ULONG KernelMask() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 0;
  ULONG mask = 0;
  for (unsigned cpu = 0; cpu < 32; ++cpu) mask |= CPU_ISSET(cpu, &set) ? ULONG{1} << cpu : 0;
  return mask;
}

// Affinity is changed only on threads the tests start.
void OnNewThread(const std::function<void()>& body) { std::thread(body).join(); }

constexpr ULONG kRejected = 0xFFFFFFFFu;

}  // namespace

// The words depend on the language the environment asks for (the program's tests read them
// in "C"); in any language a code reaches its own text, which ends in CR LF.
TEST(GetLastErrorText, GivesTheSystemsMessageEndingInCrLfOrNothing) {
  const CString missing = CUtility::GetLastErrorText(2), full = CUtility::GetLastErrorText(112);
  for (const CString& text : {missing, full}) {
    EXPECT_GT(text.GetLength(), 2);
    EXPECT_EQ(text.Right(2), CString(u"\r\n")) << Utf8(text);
  }
  EXPECT_NE(missing, full);
  for (int code : {0x12345, -1, 234, static_cast<int>(0x80070002u)}) {
    SCOPED_TRACE(code);
    EXPECT_TRUE(CUtility::GetLastErrorText(code).IsEmpty());
  }
}

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

TEST(MessageToText, KeepsAtMost1023UnitsThroughTheAnsiCodePage) {
  for (int length : {0, 1022, 1023, 1024}) {
    SCOPED_TRACE(length);
    std::u16string message;
    for (int i = 0; i < length; ++i) message += static_cast<char16_t>(u'A' + i % 26);
    const int kept = length < 1023 ? length : 1023;
    EXPECT_EQ(utility::system::MessageToText(utility::testsupport::W(message)),
              CString(message.substr(0, static_cast<std::size_t>(kept))));
  }
  // What the ANSI code page (UTF-8) holds comes back unchanged; a lone surrogate cannot be
  // held and comes back as the replacement character.
  EXPECT_EQ(utility::system::MessageToText(utility::testsupport::W(u"introuvable \u00e9\u4e2d\r\n")),
            CString(u"introuvable \u00e9\u4e2d\r\n"));
  const WCHAR lone[] = {u'a', 0xD800, u'b', 0};
  EXPECT_EQ(utility::system::MessageToText(lone), CString(u"a\uFFFDb"));
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

TEST(SetThreadAffinityMask, RejectsBadHandlesAndMasksBeyondTheProcessorsWithoutAPlatformCall) {
  const ULONG n = CUtility::GetNumberOfProcessors();
  const ULONG all = n >= 32 ? 0xFFFFFFFFu : (ULONG{1} << n) - 1;
  OnNewThread([all] {
    const ULONG before = KernelMask();
    std::vector<std::pair<HANDLE, ULONG>> rejected = {
        {nullptr, 1}, {nullptr, 0}, {INVALID_HANDLE_VALUE, 1}, {INVALID_HANDLE_VALUE, 0}};
    if (all != 0xFFFFFFFFu) {
      for (ULONG mask : {all + 1, all | (all + 1), ULONG{0x80000000u}}) rejected.emplace_back(GetCurrentThread(), mask);
    }
    for (const auto& [handle, mask] : rejected) {
      SCOPED_TRACE(testing::Message() << handle << " mask " << mask);
      // Had the platform been asked, a mask of 0 would give 0 and set the last error.
      SetLastError(1234);
      EXPECT_EQ(CUtility::SetThreadAffinityMask(handle, mask), kRejected);
      EXPECT_EQ(GetLastError(), 1234u);
      EXPECT_EQ(KernelMask(), before);
    }
    // The mask of all processors (the highest one included) is passed to the platform, and
    // the previous mask comes back.
    EXPECT_EQ(CUtility::SetThreadAffinityMask(GetCurrentThread(), all), before);
    const ULONG afterAll = KernelMask();  // all, less what the process may not use
    EXPECT_NE(afterAll, 0u);
    EXPECT_EQ(CUtility::SetThreadAffinityMask(GetCurrentThread(), before), afterAll);
  });
}

TEST(SetThreadAffinityMask, PassesThePlatformsRefusalThroughAsZero) {
  HANDLE closed = OpenThread(THREAD_SET_INFORMATION, FALSE, GetCurrentThreadId());
  ASSERT_NE(closed, nullptr);
  ASSERT_TRUE(CloseHandle(closed));
  OnNewThread([closed] {
    const ULONG before = KernelMask();
    EXPECT_EQ(CUtility::SetThreadAffinityMask(GetCurrentThread(), 0), 0u);  // no processor at all
    EXPECT_EQ(CUtility::SetThreadAffinityMask(closed, 1), 0u);              // a closed handle
    EXPECT_EQ(KernelMask(), before);
  });
}
