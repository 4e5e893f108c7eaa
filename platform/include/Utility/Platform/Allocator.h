// An allocator that reports exhaustion the framework's way: by throwing CMemoryException
// instead of std::bad_alloc. The containers of the platform layer allocate through it; strings
// keep their units in a UnitString, which draws on the same C heap with the same rule.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <limits>

#include <Utility/Platform/Exception.h>

template <class T>
struct FrameworkAllocator {
  using value_type = T;

  FrameworkAllocator() noexcept = default;
  template <class U>
  FrameworkAllocator(const FrameworkAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) utility::platform::ThrowMemoryException();
    // Straight from the C heap: the two layers of operator new's nothrow form cost as much as
    // a small allocation itself.
    void* p = std::malloc(n * sizeof(T));
    if (p == nullptr) utility::platform::ThrowMemoryException();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) noexcept { std::free(p); }

  template <class U>
  bool operator==(const FrameworkAllocator<U>&) const noexcept {
    return true;
  }
};
