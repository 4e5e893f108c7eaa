// The platform's one UTF-8 codec: every UTF-8 conversion, the code-page calls' and CString's,
// comes here and runs on the fastest kernel that this processor has (Utf8Kernels.h).
//
// The choice is made once per process from what the processor reports; it never changes
// afterwards, so it is a constant rather than a setting.
#include "Utf8Kernels.h"

#include <Utility/Platform/Error.h>

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

namespace {

constexpr std::size_t kScanStep = 256;  // units scanned before each call of the kernel

inline bool IsFirstOfPair(WCHAR u) noexcept { return u >= 0xD800 && u <= 0xDBFF; }

// One character at src[0], when less room is left than its units could need: 0 at the
// terminator or when it does not fit, else the units read. src[1] is read only after a first
// unit of a pair, which is not the terminator. The shared encoder decides what fits.
std::size_t OneCharacter(const WCHAR* src, char* dst, std::size_t room, std::size_t& written) noexcept {
  if (src[0] == 0) return 0;
  const std::size_t used = IsFirstOfPair(src[0]) && src[1] >= 0xDC00 && src[1] <= 0xDFFF ? 2 : 1;
  const Result r = Utf16ToUtf8(Utf8Kernel::Baseline, src, used, dst, room, false);
  if (r.error != 0) return 0;
  written = r.count;
  return used;
}

}  // namespace

Result Utf16zToUtf8(Utf8Kernel kernel, const WCHAR* src, char* dst, std::size_t cap, std::size_t& read) noexcept {
  std::size_t i = 0, o = 0;
  Result first{0, ERROR_INSUFFICIENT_BUFFER};
  switch (kernel) {
#if defined(UTILITY_UTF8_X86_KERNELS)
    case Utf8Kernel::Avx2:
      first = avx2::EncodeUntilZero(src, dst, cap, i);
      break;
    case Utf8Kernel::Avx512:
      first = avx512::EncodeUntilZero(src, dst, cap, i);
      break;
#endif
    default:
      break;
  }
  o = first.count;
  if (first.error == 0) {
    read = i;
    return first;
  }
  // Elsewhere, and where a vector kernel stopped: a stretch as long as the room surely holds
  // (three bytes a unit), scanned, then converted with its length known.
  for (;;) {
    std::size_t budget = (cap - o) / 3;
    if (budget > kScanStep) budget = kScanStep;
    std::size_t k = 0;
    while (k < budget && src[i + k] != 0) ++k;
    const bool ended = k < budget;
    if (!ended && k != 0 && IsFirstOfPair(src[i + k - 1])) --k;  // its partner is not scanned yet
    if (k == 0 && !ended) {
      std::size_t written = 0;
      const std::size_t used = OneCharacter(src + i, dst + o, cap - o, written);
      if (used == 0) {
        read = i;
        return {o, src[i] == 0 ? DWORD{0} : DWORD{ERROR_INSUFFICIENT_BUFFER}};
      }
      i += used;
      o += written;
      continue;
    }
    o += Utf16ToUtf8(kernel, src + i, k, dst + o, cap - o, false).count;
    i += k;
    if (ended) {
      read = i;
      return {o, 0};
    }
  }
}

Result Utf16zToUtf8(const WCHAR* src, char* dst, std::size_t cap, std::size_t& read) noexcept {
  return Utf16zToUtf8(BestUtf8Kernel(), src, dst, cap, read);
}

Result Utf8ToUtf16(const unsigned char* src, std::size_t n, WCHAR* dst, std::size_t cap, bool strict) noexcept {
  return Utf8ToUtf16(BestUtf8Kernel(), src, n, dst, cap, strict);
}

Result Utf16ToUtf8(const WCHAR* src, std::size_t n, char* dst, std::size_t cap, bool strict) noexcept {
  return Utf16ToUtf8(BestUtf8Kernel(), src, n, dst, cap, strict);
}

}  // namespace utility::platform::codepage
