// An allocator that reports exhaustion the framework's way: by throwing CMemoryException
// instead of std::bad_alloc. Strings and containers of the platform layer allocate through it.
#pragma once

#include <cstddef>
#include <limits>
#include <new>

#include <Utility/Platform/Exception.h>

template <class T>
struct FrameworkAllocator {
  using value_type = T;

  FrameworkAllocator() noexcept = default;
  template <class U>
  FrameworkAllocator(const FrameworkAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) ThrowMemoryException();
    void* p = ::operator new(n * sizeof(T), std::nothrow);
    if (p == nullptr) ThrowMemoryException();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) noexcept { ::operator delete(p); }

  template <class U>
  bool operator==(const FrameworkAllocator<U>&) const noexcept { return true; }
};
