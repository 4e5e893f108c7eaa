// GetSystemInfo: the system's page size and online processors, in Win32's ranges.
#include <Utility/Platform/System.h>

#include <cstdint>

#include "NativeSystem.h"

namespace {

WORD Architecture() {
#if defined(__x86_64__)
  return PROCESSOR_ARCHITECTURE_AMD64;
#elif defined(__i386__)
  return PROCESSOR_ARCHITECTURE_INTEL;
#elif defined(__aarch64__)
  return PROCESSOR_ARCHITECTURE_ARM64;
#elif defined(__arm__)
  return PROCESSOR_ARCHITECTURE_ARM;
#else
  return PROCESSOR_ARCHITECTURE_UNKNOWN;
#endif
}

}  // namespace

void GetSystemInfo(SYSTEM_INFO* info) noexcept {
  if (info == nullptr) return;
  *info = SYSTEM_INFO{};
  info->wProcessorArchitecture = Architecture();
  const long page = utility::platform::NativePageSize();
  info->dwPageSize = page > 0 ? static_cast<DWORD>(page) : 4096u;
  info->dwAllocationGranularity = 65536u;  // what Win32 hosts expect, whatever the page size
  info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(info->dwPageSize));
  info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(0x00007FFFFFFEFFFFull));
  long online = utility::platform::NativeOnlineProcessors();
  if (online < 1) online = 1;
  // One processor group holds at most as many processors as a DWORD_PTR has bits.
  constexpr long kGroupSize = static_cast<long>(sizeof(DWORD_PTR) * 8);
  if (online > kGroupSize) online = kGroupSize;
  info->dwNumberOfProcessors = static_cast<DWORD>(online);
  info->dwActiveProcessorMask =
      online == kGroupSize ? ~DWORD_PTR{0} : (DWORD_PTR{1} << static_cast<unsigned>(online)) - 1;
}
