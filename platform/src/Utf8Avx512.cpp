// Placeholder: the avx512 kernel runs the baseline until its own code lands.
#include "Utf8KernelEntries.h"

namespace utility::platform::codepage::avx512 {

Result Decode(const unsigned char* src, std::size_t n, WCHAR* dst, std::size_t cap, bool strict) noexcept {
  return baseline::Decode(src, n, dst, cap, strict);
}

Result Encode(const WCHAR* src, std::size_t n, char* dst, std::size_t cap, bool strict) noexcept {
  return baseline::Encode(src, n, dst, cap, strict);
}

}  // namespace utility::platform::codepage::avx512
