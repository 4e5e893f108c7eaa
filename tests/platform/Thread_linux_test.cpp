// Affinity as the kernel sees it (sched_getaffinity), and the processor count it rests on.
// Affinity is changed only on threads the tests start, never on the test runner's own.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/System.h>
#include <Utility/Platform/Thread.h>

#include <gtest/gtest.h>

#include <sched.h>
#include <unistd.h>

#include <future>
#include <thread>

namespace {

DWORD_PTR KernelMask(pid_t tid) {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(tid, sizeof set, &set) != 0) return 0;
  DWORD_PTR mask = 0;
  for (unsigned cpu = 0; cpu < 64; ++cpu) {
    if (CPU_ISSET(cpu, &set)) mask |= DWORD_PTR{1} << cpu;
  }
  return mask;
}

DWORD_PTR LowestBit(DWORD_PTR mask) { return mask & (~mask + 1); }

}  // namespace

TEST(GetSystemInfo, CountsTheOnlineProcessors) {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  EXPECT_EQ(info.dwNumberOfProcessors, static_cast<DWORD>(online < 64 ? online : 64));
  EXPECT_EQ(info.dwActiveProcessorMask,
            info.dwNumberOfProcessors == 64 ? ~DWORD_PTR{0} : (DWORD_PTR{1} << info.dwNumberOfProcessors) - 1);
  EXPECT_EQ(info.dwPageSize, static_cast<DWORD>(sysconf(_SC_PAGESIZE)));
  // Every processor the process may run on is among them.
  EXPECT_EQ(KernelMask(0) & ~info.dwActiveProcessorMask, 0u);
}

// Thread_test.cpp has the refusals that every system shares; here the kernel's own mask shows
// that a change binds the thread it names (a thread that waits until released).
TEST(SetThreadAffinityMask, ActsOnAnotherThreadThroughOpenThread) {
  std::promise<DWORD> id;
  std::promise<void> release;
  std::thread parked([&] {
    id.set_value(GetCurrentThreadId());
    release.get_future().wait();
  });
  const DWORD tid = id.get_future().get();
  HANDLE handle = OpenThread(THREAD_SET_INFORMATION | THREAD_QUERY_INFORMATION, FALSE, tid);
  EXPECT_NE(handle, nullptr);
  const DWORD_PTR original = KernelMask(static_cast<pid_t>(tid));
  const DWORD_PTR one = LowestBit(original);
  EXPECT_EQ(SetThreadAffinityMask(handle, one), original);
  EXPECT_EQ(KernelMask(static_cast<pid_t>(tid)), one);
  EXPECT_EQ(SetThreadAffinityMask(handle, original), one);
  EXPECT_TRUE(CloseHandle(handle));
  release.set_value();
  parked.join();
  // A closed handle is stale: refused, not reused.
  SetLastError(0);
  EXPECT_EQ(SetThreadAffinityMask(handle, one), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}
