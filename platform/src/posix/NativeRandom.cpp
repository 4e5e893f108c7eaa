// Random bytes over getrandom(2), which blocks only until the kernel's pool is first seeded.
#include "NativeRandom.h"

#include <sys/random.h>

#include <cerrno>

#include <Utility/Platform/Error.h>

namespace utility::platform {

DWORD FillNativeRandom(unsigned char* buffer, std::size_t size) noexcept {
  std::size_t filled = 0;
  while (filled < size) {
    const ssize_t n = getrandom(buffer + filled, size - filled, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno == ENOSYS ? ERROR_CALL_NOT_IMPLEMENTED : ERROR_NOT_READY;
    }
    filled += static_cast<std::size_t>(n);
  }
  return ERROR_SUCCESS;
}

}  // namespace utility::platform
