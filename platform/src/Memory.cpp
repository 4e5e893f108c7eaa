// The COM task allocator, on the C heap. A request for 0 bytes still gives a distinct block,
// as the task allocator does, so that a successful call never looks like a failure.
#include <Utility/Platform/Memory.h>

#include <cstdlib>

void* CoTaskMemAlloc(SIZE_T size) noexcept { return std::malloc(size == 0 ? 1 : size); }

void CoTaskMemFree(void* block) noexcept { std::free(block); }
