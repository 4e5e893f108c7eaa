// Thread handles over the system's thread ids, and affinity as processor masks. Open handles
// are kept in a table so that a stray or closed handle is refused, never dereferenced.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/System.h>
#include <Utility/Platform/Thread.h>

#include <mutex>
#include <new>
#include <unordered_map>

#include "NativeThreads.h"

namespace {

struct ThreadHandle {
  DWORD tid;
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

// The thread id behind a handle, or 0 when the handle is not open.
DWORD ThreadOf(HANDLE handle) {
  if (handle == kCurrentThread) return utility::platform::NativeThreadId();
  std::lock_guard<std::mutex> lock(g_handlesLock);
  const auto it = Handles().find(handle);
  return it == Handles().end() ? 0 : it->second->tid;
}

}  // namespace

HANDLE GetCurrentThread() noexcept { return kCurrentThread; }

DWORD GetCurrentThreadId() noexcept { return utility::platform::NativeThreadId(); }

HANDLE OpenThread(DWORD desiredAccess, BOOL /*inheritHandle*/, DWORD threadId) noexcept {
  if (!utility::platform::NativeThreadExists(threadId)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* handle = new (std::nothrow) ThreadHandle{threadId, desiredAccess};
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
  const DWORD tid = ThreadOf(thread);
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
  DWORD_PTR previous = 0;
  if (const DWORD code = utility::platform::SwapNativeThreadAffinity(tid, mask, previous)) {
    SetLastError(code);
    return 0;
  }
  SetLastError(ERROR_SUCCESS);
  return previous;
}
