// The operating system's source of random bytes, for GUIDs.
#pragma once

#include <cstddef>

#include "NativeTypes.h"

namespace utility::platform {

// Fills buffer[0, size) with random bytes fit for identifiers, waiting at most until the
// system's pool is first seeded. ERROR_CALL_NOT_IMPLEMENTED where the system has no such
// source, ERROR_NOT_READY when it fails otherwise.
NativeError FillNativeRandom(unsigned char* buffer, std::size_t size) noexcept;

}  // namespace utility::platform
