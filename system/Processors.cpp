// The processor count and binding a thread to processors.
#include <Utility/Platform/System.h>
#include <Utility/Platform/Thread.h>
#include <Utility/Utility.h>

namespace {

// The largest mask the library lets through: every processor of the machine, 2^n - 1, so that
// any set of existing processors can be named. Masks are 32 bits at this interface, so from
// 32 processors on every mask passes.
ULONG MaskBound(DWORD processors) {
  if (processors >= 32) return 0xFFFFFFFFu;
  return (ULONG{1} << processors) - 1u;
}

}  // namespace

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
  if (mask > MaskBound(info.dwNumberOfProcessors)) return kRejected;
  // The previous mask comes back in the interface's 32 bits.
  return static_cast<ULONG>(::SetThreadAffinityMask(thread, mask));
}
