// The operating system's thread ids and processor affinity, for the thread handles.
#pragma once

#include "NativeTypes.h"

namespace utility::platform {

// The calling thread's id, never 0.
std::uint32_t NativeThreadId() noexcept;

// Whether a thread with this id exists (one the caller may not touch counts).
bool NativeThreadExists(std::uint32_t tid) noexcept;

// Sets the processors that thread tid may run on to those of mask (bit n for processor n) and
// gives the set it had before in previous, as a mask of the same kind. ERROR_INVALID_HANDLE
// for a thread that is gone, ERROR_ACCESS_DENIED, ERROR_NOT_ENOUGH_MEMORY or
// ERROR_INVALID_PARAMETER otherwise.
NativeError SwapNativeThreadAffinity(std::uint32_t tid, std::uintptr_t mask, std::uintptr_t& previous) noexcept;

}  // namespace utility::platform
