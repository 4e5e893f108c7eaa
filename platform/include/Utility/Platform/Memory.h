// The COM task allocator: blocks that one module allocates and another releases.
#pragma once

#include <cstddef>

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

// CoTaskMemAlloc()
//
// A block of at least size bytes, or null when memory runs out. Release with CoTaskMemFree.
//
// Example:
//   char* p = static_cast<char*>(CoTaskMemAlloc(16)); ... CoTaskMemFree(p);
UTILITY_PLATFORM_API void* CoTaskMemAlloc(SIZE_T size) noexcept;

// CoTaskMemFree()
//
// Releases a block from CoTaskMemAlloc; null is ignored.
UTILITY_PLATFORM_API void CoTaskMemFree(void* block) noexcept;
