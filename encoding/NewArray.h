// Arrays handed to the caller, who releases them with delete[]. Allocation failure raises
// the framework's CMemoryException rather than std::bad_alloc, as the framework's new does.
#pragma once

#include <cstddef>
#include <new>

#include <Utility/Platform/Exception.h>

namespace utility::encoding {

// An uninitialised array of count elements; release with delete[].
template <class T>
T* NewArray(std::size_t count) {
  T* p = new (std::nothrow) T[count];
  if (p == nullptr) utility::platform::ThrowMemoryException();
  return p;
}

// An array of count zero elements; release with delete[].
template <class T>
T* NewZeroedArray(std::size_t count) {
  T* p = new (std::nothrow) T[count]();
  if (p == nullptr) utility::platform::ThrowMemoryException();
  return p;
}

}  // namespace utility::encoding
