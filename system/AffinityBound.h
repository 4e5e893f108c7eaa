// Internal: the largest affinity mask SetThreadAffinityMask lets through to the platform.
#pragma once

#include <Utility/Platform/Types.h>

namespace utility::system {

// Every processor of the machine, 2^n - 1, so that any set of existing processors can be
// named and none that does not exist. Masks are 32 bits at the library's interface, so from
// 32 processors on every mask passes.
inline ULONG AffinityMaskBound(DWORD processors) {
  if (processors >= 32) return 0xFFFFFFFFu;
  return (ULONG{1} << processors) - 1u;
}

}  // namespace utility::system
