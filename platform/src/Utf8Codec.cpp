// The platform's one UTF-8 codec: every UTF-8 conversion, the code-page calls' and CString's,
// comes here and runs on the fastest kernel that this processor has (Utf8Kernels.h).
//
// The choice is made once per process from what the processor reports; it never changes
// afterwards, so it is a constant rather than a setting.
#include "Utf8Kernels.h"

#include "Utf8KernelEntries.h"

namespace utility::platform::codepage {

bool Utf8KernelRuns(Utf8Kernel kernel) noexcept {
  switch (kernel) {
    case Utf8Kernel::Baseline:
      return true;
#if defined(UTILITY_UTF8_X86_KERNELS)
    case Utf8Kernel::Avx2:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2");
    case Utf8Kernel::Avx512:
      return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
             __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("bmi2");
#endif
    default:
      return false;
  }
}

Utf8Kernel BestUtf8Kernel() noexcept {
  static const Utf8Kernel best = Utf8KernelRuns(Utf8Kernel::Avx512) ? Utf8Kernel::Avx512
                                 : Utf8KernelRuns(Utf8Kernel::Avx2) ? Utf8Kernel::Avx2
                                                                    : Utf8Kernel::Baseline;
  return best;
}

Result Utf8ToUtf16(Utf8Kernel kernel, const unsigned char* src, std::size_t n, WCHAR* dst, std::size_t cap,
                   bool strict) noexcept {
  switch (kernel) {
#if defined(UTILITY_UTF8_X86_KERNELS)
    case Utf8Kernel::Avx2:
      return avx2::Decode(src, n, dst, cap, strict);
    case Utf8Kernel::Avx512:
      return avx512::Decode(src, n, dst, cap, strict);
#endif
    default:
      return baseline::Decode(src, n, dst, cap, strict);
  }
}

Result Utf16ToUtf8(Utf8Kernel kernel, const WCHAR* src, std::size_t n, char* dst, std::size_t cap,
                   bool strict) noexcept {
  switch (kernel) {
#if defined(UTILITY_UTF8_X86_KERNELS)
    case Utf8Kernel::Avx2:
      return avx2::Encode(src, n, dst, cap, strict);
    case Utf8Kernel::Avx512:
      return avx512::Encode(src, n, dst, cap, strict);
#endif
    default:
      return baseline::Encode(src, n, dst, cap, strict);
  }
}

Result Utf8ToUtf16(const unsigned char* src, std::size_t n, WCHAR* dst, std::size_t cap, bool strict) noexcept {
  return Utf8ToUtf16(BestUtf8Kernel(), src, n, dst, cap, strict);
}

Result Utf16ToUtf8(const WCHAR* src, std::size_t n, char* dst, std::size_t cap, bool strict) noexcept {
  return Utf16ToUtf8(BestUtf8Kernel(), src, n, dst, cap, strict);
}

}  // namespace utility::platform::codepage
