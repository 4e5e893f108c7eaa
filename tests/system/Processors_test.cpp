// The processor count and SetThreadAffinityMask: what the library rejects itself (without
// touching the thread), the bound of all processors, and the previous mask passed through.
// Affinity is changed only on threads the tests start.
#include <Utility/Platform/System.h>
#include <Utility/Platform/Thread.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <sched.h>
#include <unistd.h>

#include <functional>
#include <thread>

#include "system/AffinityBound.h"

namespace {

ULONG KernelMask() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 0;
  ULONG mask = 0;
  for (unsigned cpu = 0; cpu < 32; ++cpu) {
    if (CPU_ISSET(cpu, &set)) mask |= ULONG{1} << cpu;
  }
  return mask;
}

void OnNewThread(const std::function<void()>& body) { std::thread(body).join(); }

constexpr ULONG kRejected = 0xFFFFFFFFu;

}  // namespace

TEST(GetNumberOfProcessors, IsTheOnlineProcessorCount) {
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  EXPECT_EQ(CUtility::GetNumberOfProcessors(), static_cast<ULONG>(online < 64 ? online : 64));
  EXPECT_GE(CUtility::GetNumberOfProcessors(), 1u);
}

TEST(AffinityMaskBound, LetsThroughEverySetOfExistingProcessorsAndNoOther) {
  for (DWORD n = 1; n <= 70; ++n) {
    SCOPED_TRACE(n);
    const ULONG bound = utility::system::AffinityMaskBound(n);
    // The highest processor alone, and all of them, pass...
    const DWORD top = n < 32 ? n - 1 : 31;
    EXPECT_LE(ULONG{1} << top, bound);
    EXPECT_EQ(bound & (ULONG{1} << top), ULONG{1} << top);
    // ...and the first processor that does not exist does not.
    if (n < 32) {
      EXPECT_LT(bound, ULONG{1} << n);
      EXPECT_EQ(bound + 1, ULONG{1} << n);
    } else {
      EXPECT_EQ(bound, 0xFFFFFFFFu);
    }
  }
  EXPECT_EQ(utility::system::AffinityMaskBound(1), 0x1u);
  EXPECT_EQ(utility::system::AffinityMaskBound(8), 0xFFu);
}

TEST(SetThreadAffinityMask, RejectsNullAndMinusOneHandlesWithoutAPlatformCall) {
  OnNewThread([] {
    const ULONG before = KernelMask();
    for (void* handle : {static_cast<void*>(nullptr), INVALID_HANDLE_VALUE}) {
      for (ULONG mask : {ULONG{1}, ULONG{0}}) {
        SCOPED_TRACE(testing::Message() << handle << " mask " << mask);
        // Had the platform been asked, a mask of 0 would give 0 and set the last error.
        SetLastError(1234);
        EXPECT_EQ(CUtility::SetThreadAffinityMask(handle, mask), kRejected);
        EXPECT_EQ(GetLastError(), 1234u);
        EXPECT_EQ(KernelMask(), before);
      }
    }
  });
}

TEST(SetThreadAffinityMask, AcceptsAnySetOfExistingProcessorsAndRejectsMore) {
  const ULONG n = CUtility::GetNumberOfProcessors();
  if (n >= 32) GTEST_SKIP() << "every 32-bit mask names existing processors here";
  const ULONG all = (ULONG{1} << n) - 1;
  OnNewThread([all] {
    const ULONG before = KernelMask();
    // Just above the bound: rejected before the platform is asked.
    for (ULONG mask : {all + 1, all | (all + 1), ULONG{0x80000000u}, ULONG{0xFFFFFFFEu}}) {
      SCOPED_TRACE(mask);
      SetLastError(1234);
      EXPECT_EQ(CUtility::SetThreadAffinityMask(GetCurrentThread(), mask), kRejected);
      EXPECT_EQ(GetLastError(), 1234u);
      EXPECT_EQ(KernelMask(), before);
    }
    // The mask of all processors (the highest one included) is passed to the platform.
    EXPECT_EQ(CUtility::SetThreadAffinityMask(GetCurrentThread(), all), before);
    const ULONG afterAll = KernelMask();  // all, less what the process may not use
    EXPECT_NE(afterAll, 0u);
    EXPECT_EQ(afterAll & ~all, 0u);
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
