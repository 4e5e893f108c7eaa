// Random bytes from the system's generator (ProcessPrng's provider, through RtlGenRandom).
#include "NativeRandom.h"

#include <windows.h>
// after windows.h, which it needs
#include <ntsecapi.h>

#include <algorithm>

namespace utility::platform {

NativeError FillNativeRandom(unsigned char* buffer, std::size_t size) noexcept {
  while (size > 0) {
    const ULONG part = static_cast<ULONG>(std::min<std::size_t>(size, 1u << 20));
    if (!RtlGenRandom(buffer, part)) return ERROR_NOT_READY;
    buffer += part;
    size -= part;
  }
  return ERROR_SUCCESS;
}

}  // namespace utility::platform
