// The texts of the registry store's own error codes, which no errno describes. FormatMessageW
// gives them as the system's messages for those codes; every other reader asks it for them.
#pragma once

#include <Utility/Platform/Types.h>

namespace utility::platform::registry {

// The English text of a registry code (ERROR_BADDB, ERROR_CANTOPEN, ERROR_REGISTRY_CORRUPT,
// ERROR_REGISTRY_IO_FAILED, ERROR_KEY_DELETED), without a line end; null for other codes.
const char* MessageOf(DWORD code) noexcept;

}  // namespace utility::platform::registry
