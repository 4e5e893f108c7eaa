// The processor count and binding a thread to processors.
#include <Utility/Platform/System.h>
#include <Utility/Platform/Thread.h>
#include <Utility/Utility.h>

#include "AffinityBound.h"

ULONG CUtility::GetNumberOfProcessors() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors;
}

ULONG CUtility::SetThreadAffinityMask(void* thread, ULONG mask) {
  constexpr ULONG kRejected = 0xFFFFFFFFu;
  if (thread == nullptr || thread == INVALID_HANDLE_VALUE) return kRejected;
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  if (mask > utility::system::AffinityMaskBound(info.dwNumberOfProcessors)) return kRejected;
  // The previous mask comes back in the interface's 32 bits.
  return static_cast<ULONG>(::SetThreadAffinityMask(thread, mask));
}
