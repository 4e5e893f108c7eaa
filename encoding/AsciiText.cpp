// Scanning and narrowing ASCII text with vector instructions: SSE2 (the x86-64 baseline) on
// every machine, AVX2 where the processor has it, chosen at each call.
//
// The scans read whole aligned blocks, so they may read a few bytes before the text and after
// its terminator. An aligned block never straddles a page boundary, so those bytes are in a
// page that holds part of the text and reading them cannot fault; they are masked out of the
// result. Only the address sanitizer could object, since it tracks objects rather than pages,
// which is why the scans (and nothing else) are excluded from it.
#include "AsciiText.h"

#include <cstdint>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace utility::encoding {
namespace {

#if defined(__x86_64__)

inline unsigned LowestBit(std::uint32_t mask) noexcept { return static_cast<unsigned>(__builtin_ctz(mask)); }

// The lanes below the lowest set bit of mask, which is not 0.
inline std::uint32_t BelowLowest(std::uint32_t mask) noexcept { return (mask & (0u - mask)) - 1u; }

// The end of a scan: zero marks the block's terminator lanes, high its non-ASCII lanes, and
// the block starts `offset` lanes after the text. unitBytes is 2 for UTF-16 (two mask bits
// per unit).
inline bool Finish(std::uint32_t zero, std::uint32_t high, std::size_t offset, unsigned unitBytes,
                   std::size_t& length) noexcept {
  length = offset + LowestBit(zero) / unitBytes;
  return (high & BelowLowest(zero)) == 0;
}

template <class Unit>
inline std::size_t Lanes(const Unit* from, const Unit* to) noexcept {
  return static_cast<std::size_t>(to - from);
}

// The terminator lanes (z) and non-ASCII lanes (h) of one block, one mask bit per byte.
inline void NarrowMasksSse2(__m128i v, std::uint32_t& z, std::uint32_t& h) noexcept {
  z = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())));
  h = static_cast<std::uint32_t>(_mm_movemask_epi8(v));
}

__attribute__((target("avx2"))) inline void NarrowMasksAvx2(__m256i v, std::uint32_t& z, std::uint32_t& h) noexcept {
  z = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_setzero_si256())));
  h = static_cast<std::uint32_t>(_mm256_movemask_epi8(v));
}

inline void WideMasksSse2(__m128i v, std::uint32_t& z, std::uint32_t& h) noexcept {
  const __m128i zero = _mm_setzero_si128();
  const __m128i high = _mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFF80)));
  z = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi16(v, zero)));
  h = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi16(high, zero))) ^ 0xFFFFu;
}

__attribute__((target("avx2"))) inline void WideMasksAvx2(__m256i v, std::uint32_t& z, std::uint32_t& h) noexcept {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i high = _mm256_and_si256(v, _mm256_set1_epi16(static_cast<short>(0xFF80)));
  z = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi16(v, zero)));
  h = ~static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi16(high, zero)));
}

// ---- 8-bit text ----

__attribute__((no_sanitize_address, no_sanitize_thread)) bool ScanNarrowSse2(const char* text,
                                                                             std::size_t& length) noexcept {
  const auto address = reinterpret_cast<std::uintptr_t>(text);
  const char* p = reinterpret_cast<const char*>(address & ~std::uintptr_t{15});
  const unsigned skip = static_cast<unsigned>(address & 15);
  const __m128i zero = _mm_setzero_si128();
  std::uint32_t z, h;
  NarrowMasksSse2(_mm_load_si128(reinterpret_cast<const __m128i*>(p)), z, h);
  z >>= skip;  // lanes before the text
  h >>= skip;
  if (z != 0) return Finish(z, h, 0, 1, length);
  if (h != 0) return false;
  // Single blocks up to a 64-byte boundary, so that each four-block step stays in one page.
  for (p += 16; (reinterpret_cast<std::uintptr_t>(p) & 63) != 0; p += 16) {
    NarrowMasksSse2(_mm_load_si128(reinterpret_cast<const __m128i*>(p)), z, h);
    if (z != 0) return Finish(z, h, Lanes(text, p), 1, length);
    if (h != 0) return false;
  }
  for (;; p += 64) {
    const auto* q = reinterpret_cast<const __m128i*>(p);
    const __m128i a = _mm_load_si128(q), b = _mm_load_si128(q + 1);
    const __m128i c = _mm_load_si128(q + 2), d = _mm_load_si128(q + 3);
    const __m128i least = _mm_min_epu8(_mm_min_epu8(a, b), _mm_min_epu8(c, d));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(least, zero)) == 0) {
      if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) != 0) return false;
      continue;
    }
    const __m128i blocks[4] = {a, b, c, d};
    for (const __m128i& v : blocks) {
      NarrowMasksSse2(v, z, h);
      if (z != 0) return Finish(z, h, Lanes(text, p), 1, length);
      if (h != 0) return false;
      p += 16;
    }
  }
}

__attribute__((no_sanitize_address, no_sanitize_thread, target("avx2"))) bool ScanNarrowAvx2(
    const char* text, std::size_t& length) noexcept {
  const auto address = reinterpret_cast<std::uintptr_t>(text);
  const char* p = reinterpret_cast<const char*>(address & ~std::uintptr_t{31});
  const unsigned skip = static_cast<unsigned>(address & 31);
  const __m256i zero = _mm256_setzero_si256();
  std::uint32_t z, h;
  NarrowMasksAvx2(_mm256_load_si256(reinterpret_cast<const __m256i*>(p)), z, h);
  z >>= skip;
  h >>= skip;
  if (z != 0) return Finish(z, h, 0, 1, length);
  if (h != 0) return false;
  for (p += 32; (reinterpret_cast<std::uintptr_t>(p) & 127) != 0; p += 32) {
    NarrowMasksAvx2(_mm256_load_si256(reinterpret_cast<const __m256i*>(p)), z, h);
    if (z != 0) return Finish(z, h, Lanes(text, p), 1, length);
    if (h != 0) return false;
  }
  for (;; p += 128) {
    const auto* q = reinterpret_cast<const __m256i*>(p);
    const __m256i a = _mm256_load_si256(q), b = _mm256_load_si256(q + 1);
    const __m256i c = _mm256_load_si256(q + 2), d = _mm256_load_si256(q + 3);
    // As signed bytes, ASCII other than the terminator is exactly the positive values.
    const __m256i least = _mm256_min_epi8(_mm256_min_epi8(a, b), _mm256_min_epi8(c, d));
    if (static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpgt_epi8(least, zero))) == 0xFFFFFFFFu) continue;
    const __m256i blocks[4] = {a, b, c, d};
    for (const __m256i& v : blocks) {
      NarrowMasksAvx2(v, z, h);
      if (z != 0) return Finish(z, h, Lanes(text, p), 1, length);
      if (h != 0) return false;
      p += 32;
    }
  }
}

// ---- UTF-16 text (at an even address; the scalar loop takes odd ones) ----

__attribute__((no_sanitize_address, no_sanitize_thread)) bool ScanWideSse2(const WCHAR* text,
                                                                           std::size_t& length) noexcept {
  const auto address = reinterpret_cast<std::uintptr_t>(text);
  const WCHAR* p = reinterpret_cast<const WCHAR*>(address & ~std::uintptr_t{15});
  const unsigned skip = static_cast<unsigned>(address & 15);
  const __m128i zero = _mm_setzero_si128();
  std::uint32_t z, h;
  WideMasksSse2(_mm_load_si128(reinterpret_cast<const __m128i*>(p)), z, h);
  z >>= skip;
  h >>= skip;
  if (z != 0) return Finish(z, h, 0, 2, length);
  if (h != 0) return false;
  for (p += 8; (reinterpret_cast<std::uintptr_t>(p) & 63) != 0; p += 8) {
    WideMasksSse2(_mm_load_si128(reinterpret_cast<const __m128i*>(p)), z, h);
    if (z != 0) return Finish(z, h, Lanes(text, p), 2, length);
    if (h != 0) return false;
  }
  for (;; p += 32) {
    const auto* q = reinterpret_cast<const __m128i*>(p);
    const __m128i a = _mm_load_si128(q), b = _mm_load_si128(q + 1);
    const __m128i c = _mm_load_si128(q + 2), d = _mm_load_si128(q + 3);
    // Packed to bytes with unsigned saturation, 1..0x7F stay as they are while 0x80..0x7FFF
    // become 0x80 or more and 0x8000 up become 0; ASCII is then the positive signed bytes.
    const __m128i inRange =
        _mm_and_si128(_mm_cmpgt_epi8(_mm_packus_epi16(a, b), zero), _mm_cmpgt_epi8(_mm_packus_epi16(c, d), zero));
    if (_mm_movemask_epi8(inRange) == 0xFFFF) continue;
    const __m128i blocks[4] = {a, b, c, d};
    for (const __m128i& v : blocks) {
      WideMasksSse2(v, z, h);
      if (z != 0) return Finish(z, h, Lanes(text, p), 2, length);
      if (h != 0) return false;
      p += 8;
    }
  }
}

__attribute__((no_sanitize_address, no_sanitize_thread, target("avx2"))) bool ScanWideAvx2(
    const WCHAR* text, std::size_t& length) noexcept {
  const auto address = reinterpret_cast<std::uintptr_t>(text);
  const WCHAR* p = reinterpret_cast<const WCHAR*>(address & ~std::uintptr_t{31});
  const unsigned skip = static_cast<unsigned>(address & 31);
  std::uint32_t z, h;
  WideMasksAvx2(_mm256_load_si256(reinterpret_cast<const __m256i*>(p)), z, h);
  z >>= skip;
  h >>= skip;
  if (z != 0) return Finish(z, h, 0, 2, length);
  if (h != 0) return false;
  for (p += 16; (reinterpret_cast<std::uintptr_t>(p) & 127) != 0; p += 16) {
    WideMasksAvx2(_mm256_load_si256(reinterpret_cast<const __m256i*>(p)), z, h);
    if (z != 0) return Finish(z, h, Lanes(text, p), 2, length);
    if (h != 0) return false;
  }
  for (;; p += 64) {
    const auto* q = reinterpret_cast<const __m256i*>(p);
    const __m256i a = _mm256_load_si256(q), b = _mm256_load_si256(q + 1);
    const __m256i c = _mm256_load_si256(q + 2), d = _mm256_load_si256(q + 3);
    // Packed to bytes with unsigned saturation, 1..0x7F stay as they are while 0x80..0x7FFF
    // become 0x80 or more and 0x8000 up become 0; ASCII is then the positive signed bytes.
    const __m256i least = _mm256_min_epi8(_mm256_packus_epi16(a, b), _mm256_packus_epi16(c, d));
    if (static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpgt_epi8(least, _mm256_setzero_si256()))) ==
        0xFFFFFFFFu) {
      continue;
    }
    const __m256i blocks[4] = {a, b, c, d};
    for (const __m256i& v : blocks) {
      WideMasksAvx2(v, z, h);
      if (z != 0) return Finish(z, h, Lanes(text, p), 2, length);
      if (h != 0) return false;
      p += 16;
    }
  }
}

// ---- narrowing (reads and writes stay within the n units) ----

std::size_t NarrowSse2(const WCHAR* text, std::size_t n, char* out) noexcept {
  std::size_t i = 0;
  for (; n - i >= 16; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, b));
  }
  return i;
}

__attribute__((target("avx2"))) std::size_t NarrowAvx2(const WCHAR* text, std::size_t n, char* out) noexcept {
  std::size_t i = 0;
  for (; n - i >= 32; i += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i + 16));
    // packus works within 128-bit halves; the permutation puts the four quarters in order.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), packed);
  }
  return i + NarrowSse2(text + i, n - i, out + i);
}

bool HasAvx2() noexcept { return __builtin_cpu_supports("avx2"); }

#endif  // __x86_64__

}  // namespace

bool ScanAscii(const char* text, std::size_t& length) noexcept {
#if defined(__x86_64__)
  return HasAvx2() ? ScanNarrowAvx2(text, length) : ScanNarrowSse2(text, length);
#else
  std::size_t n = 0;
  for (; text[n] != 0; ++n) {
    if (static_cast<unsigned char>(text[n]) >= 0x80) return false;
  }
  length = n;
  return true;
#endif
}

bool ScanAscii(const WCHAR* text, std::size_t& length) noexcept {
#if defined(__x86_64__)
  if ((reinterpret_cast<std::uintptr_t>(text) & 1) == 0) {
    return HasAvx2() ? ScanWideAvx2(text, length) : ScanWideSse2(text, length);
  }
#endif
  std::size_t n = 0;
  for (; text[n] != 0; ++n) {
    if (text[n] >= 0x80) return false;
  }
  length = n;
  return true;
}

void NarrowAscii(const WCHAR* text, std::size_t n, char* out) noexcept {
  std::size_t i = 0;
#if defined(__x86_64__)
  i = HasAvx2() ? NarrowAvx2(text, n, out) : NarrowSse2(text, n, out);
#endif
  for (; i < n; ++i) out[i] = static_cast<char>(text[i]);
}

}  // namespace utility::encoding
