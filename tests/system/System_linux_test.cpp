// The system helpers where Linux is the oracle: the C library's error texts (CR LF, the
// 1023-unit cut, the UTF-8 round trip) and SetThreadAffinityMask checked against the kernel's
// own mask of the thread (sched_getaffinity).
#include <Utility/Platform/System.h>
#include <Utility/Platform/Thread.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <sched.h>

#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/TempDir.h"
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
