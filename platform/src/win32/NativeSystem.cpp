// Page size and online processors from GetSystemInfo.
#include "NativeSystem.h"

#include <windows.h>

namespace utility::platform {

long NativePageSize() noexcept {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return static_cast<long>(info.dwPageSize);
}

long NativeOnlineProcessors() noexcept {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return static_cast<long>(info.dwNumberOfProcessors);
}

}  // namespace utility::platform
