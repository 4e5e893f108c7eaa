// Thread ids and processor affinity over the system's thread calls.
#include "NativeThreads.h"

#include <windows.h>

namespace utility::platform {

std::uint32_t NativeThreadId() noexcept { return GetCurrentThreadId(); }

bool NativeThreadExists(std::uint32_t threadId) noexcept {
  if (threadId == 0) return false;
  HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, threadId);
  if (thread == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  // An id stays openable while a handle keeps a finished thread; it exists only while it runs.
  const bool running = WaitForSingleObject(thread, 0) == WAIT_TIMEOUT;
  CloseHandle(thread);
  return running;
}

NativeError SwapNativeThreadAffinity(std::uint32_t threadId, std::uintptr_t mask, std::uintptr_t& previous) noexcept {
  HANDLE thread = OpenThread(THREAD_SET_INFORMATION | THREAD_QUERY_INFORMATION, FALSE, threadId);
  if (thread == nullptr) {
    const DWORD error = GetLastError();
    return error == ERROR_INVALID_PARAMETER ? ERROR_INVALID_HANDLE : error;
  }
  const DWORD_PTR before = SetThreadAffinityMask(thread, mask);
  const DWORD error = before == 0 ? GetLastError() : ERROR_SUCCESS;
  CloseHandle(thread);
  if (before == 0) return error == ERROR_SUCCESS ? ERROR_INVALID_PARAMETER : error;
  previous = before;
  return ERROR_SUCCESS;
}

}  // namespace utility::platform
