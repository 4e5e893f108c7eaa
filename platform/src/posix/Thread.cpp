// Thread handles over kernel thread ids, and affinity over the kernel's CPU affinity calls.
// Open handles are kept in a table so that a stray or closed handle is refused, never
// dereferenced.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/System.h>
#include <Utility/Platform/Thread.h>

#include <sched.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <new>
#include <unordered_map>

#include "posix/Errno.h"

namespace {

struct ThreadHandle {
  pid_t tid;
  DWORD access;
};

// The open thread handles of the process: the platform's stand-in for the kernel's handle
// table, shared by all threads.
std::mutex g_handlesLock;
std::unordered_map<HANDLE, ThreadHandle*>& Handles() {
  static auto* handles = new std::unordered_map<HANDLE, ThreadHandle*>();  // outlives static destructors
  return *handles;
}

const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

pid_t CurrentTid() { return static_cast<pid_t>(syscall(SYS_gettid)); }

// The thread id behind a handle, or 0 when the handle is not open.
pid_t ThreadOf(HANDLE handle) {
  if (handle == kCurrentThread) return CurrentTid();
  std::lock_guard<std::mutex> lock(g_handlesLock);
  const auto it = Handles().find(handle);
  return it == Handles().end() ? 0 : it->second->tid;
}

bool ThreadExists(pid_t tid) {
  // Signal 0 checks existence and permission only; EPERM still means the thread exists.
  if (syscall(SYS_tgkill, getpid(), tid, 0) == 0) return true;
  if (kill(tid, 0) == 0 || errno == EPERM) return true;
  return false;
}

}  // namespace

HANDLE GetCurrentThread() noexcept { return kCurrentThread; }

DWORD GetCurrentThreadId() noexcept { return static_cast<DWORD>(CurrentTid()); }

HANDLE OpenThread(DWORD desiredAccess, BOOL /*inheritHandle*/, DWORD threadId) noexcept {
  const auto tid = static_cast<pid_t>(threadId);
  if (tid <= 0 || !ThreadExists(tid)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* handle = new (std::nothrow) ThreadHandle{tid, desiredAccess};
  if (handle == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  try {
    std::lock_guard<std::mutex> lock(g_handlesLock);
    Handles().emplace(handle, handle);
  } catch (...) {
    delete handle;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return handle;
}

BOOL CloseHandle(HANDLE handle) noexcept {
  if (handle == kCurrentThread) return TRUE;
  ThreadHandle* found = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_handlesLock);
    const auto it = Handles().find(handle);
    if (it != Handles().end()) {
      found = it->second;
      Handles().erase(it);
    }
  }
  if (found == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  delete found;
  return TRUE;
}

DWORD_PTR SetThreadAffinityMask(HANDLE thread, DWORD_PTR mask) noexcept {
  const pid_t tid = ThreadOf(thread);
  if (tid == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  if (mask == 0 || (mask & ~info.dwActiveProcessorMask) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  cpu_set_t previous;
  CPU_ZERO(&previous);
  if (sched_getaffinity(tid, sizeof previous, &previous) != 0) {
    SetLastError(platform::ErrorFromErrno(errno));
    return 0;
  }
  cpu_set_t wanted;
  CPU_ZERO(&wanted);
  constexpr unsigned kBits = sizeof(DWORD_PTR) * 8;
  for (unsigned cpu = 0; cpu < kBits; ++cpu) {
    if ((mask >> cpu) & 1u) CPU_SET(cpu, &wanted);
  }
  if (sched_setaffinity(tid, sizeof wanted, &wanted) != 0) {
    SetLastError(platform::ErrorFromErrno(errno));
    return 0;
  }
  DWORD_PTR result = 0;
  for (unsigned cpu = 0; cpu < kBits; ++cpu) {
    if (CPU_ISSET(cpu, &previous)) result |= DWORD_PTR{1} << cpu;
  }
  SetLastError(ERROR_SUCCESS);
  return result;
}
