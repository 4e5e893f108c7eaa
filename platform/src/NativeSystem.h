// The operating system's page size and processor count, for GetSystemInfo.
#pragma once

namespace utility::platform {

// The size of a memory page in bytes; 0 or less when the system does not tell it.
long NativePageSize() noexcept;

// The number of processors online now; 0 or less when the system does not tell it.
long NativeOnlineProcessors() noexcept;

}  // namespace utility::platform
