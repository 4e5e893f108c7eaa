// Thread ids are the kernel's (gettid); affinity goes through sched_getaffinity and
// sched_setaffinity.
#include "NativeThreads.h"

#include <sched.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include <Utility/Platform/Error.h>

#include "posix/Errno.h"

namespace utility::platform {
DWORD NativeThreadId() noexcept { return static_cast<DWORD>(syscall(SYS_gettid)); }

bool NativeThreadExists(DWORD threadId) noexcept {
  const auto tid = static_cast<pid_t>(threadId);
  if (tid <= 0) return false;
  // Signal 0 checks existence and permission only; EPERM still means the thread exists.
  if (syscall(SYS_tgkill, getpid(), tid, 0) == 0) return true;
  return kill(tid, 0) == 0 || errno == EPERM;
}

DWORD SwapNativeThreadAffinity(DWORD threadId, DWORD_PTR mask, DWORD_PTR& previous) noexcept {
  const auto tid = static_cast<pid_t>(threadId);
  cpu_set_t before;
  CPU_ZERO(&before);
  if (sched_getaffinity(tid, sizeof before, &before) != 0) return utility::platform::ErrorFromErrno(errno);
  cpu_set_t wanted;
  CPU_ZERO(&wanted);
  constexpr unsigned kBits = sizeof(DWORD_PTR) * 8;
  for (unsigned cpu = 0; cpu < kBits; ++cpu) {
    if ((mask >> cpu) & 1u) CPU_SET(cpu, &wanted);
  }
  if (sched_setaffinity(tid, sizeof wanted, &wanted) != 0) return utility::platform::ErrorFromErrno(errno);
  previous = 0;
  for (unsigned cpu = 0; cpu < kBits; ++cpu) {
    if (CPU_ISSET(cpu, &before)) previous |= DWORD_PTR{1} << cpu;
  }
  return ERROR_SUCCESS;
}

}  // namespace utility::platform
