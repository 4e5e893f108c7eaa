// The AVX2 UTF-8 kernel: each 64-byte chunk is checked as two 32-byte vectors, and ASCII
// units are narrowed 32 at a time; checked chunks are decoded and blocks of units encoded by the
// table steps of Utf8TableSteps.inc, and the rest is Utf8Blocks.inc. Compiled with -mavx2 -mbmi2 and
// run only where the processor has both (Utf8Codec.cpp).
#include <cstdint>
#include <cstring>

#include <immintrin.h>

#include <Utility/Platform/Error.h>

#include "Utf8KernelEntries.h"
#include "Utf8Tables.h"
#include "Utf8Validation.h"

namespace utility::platform::codepage::avx2 {
namespace {

#include "Utf8BlockBasics.inc"

struct Chunk {
  std::uint64_t ascii, leads, four, errors;
};

inline __m256i Table(const std::uint8_t (&nibbles)[16]) noexcept {
  return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(nibbles)));
}

// The bytes of cur that break well-formed UTF-8, given the 32 bytes before it.
inline __m256i Broken(__m256i cur, __m256i before) noexcept {
  const __m256i joined = _mm256_permute2x128_si256(before, cur, 0x21);
  const __m256i prev1 = _mm256_alignr_epi8(cur, joined, 15);
  const __m256i prev2 = _mm256_alignr_epi8(cur, joined, 14);
  const __m256i prev3 = _mm256_alignr_epi8(cur, joined, 13);
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i firstHigh =
      _mm256_shuffle_epi8(Table(validation::kFirstHigh), _mm256_and_si256(_mm256_srli_epi16(prev1, 4), nibble));
  const __m256i firstLow = _mm256_shuffle_epi8(Table(validation::kFirstLow), _mm256_and_si256(prev1, nibble));
  const __m256i secondHigh =
      _mm256_shuffle_epi8(Table(validation::kSecondHigh), _mm256_and_si256(_mm256_srli_epi16(cur, 4), nibble));
  const __m256i pairs = _mm256_and_si256(_mm256_and_si256(firstHigh, firstLow), secondHigh);
  // Bytes two after a lead of three or four bytes, or three after one of four, must continue.
  const __m256i third = _mm256_subs_epu8(prev2, _mm256_set1_epi8(static_cast<char>(0xE0 - 0x80)));
  const __m256i fourth = _mm256_subs_epu8(prev3, _mm256_set1_epi8(static_cast<char>(0xF0 - 0x80)));
  const __m256i must = _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(static_cast<char>(0x80)));
  return _mm256_xor_si256(must, pairs);
}

inline std::uint32_t Bits(__m256i compare) noexcept {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(compare));
}

inline std::uint64_t Join(std::uint32_t low, std::uint32_t high) noexcept {
  return low | (static_cast<std::uint64_t>(high) << 32);
}

inline void Classify(const unsigned char* p, Chunk& c) noexcept {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
  c.ascii = ~Join(Bits(a), Bits(b));
  if (c.ascii == ~std::uint64_t{0}) {
    c.leads = c.ascii;
    c.four = 0;
    c.errors = 0;
    return;
  }
  const __m256i notContinuation = _mm256_set1_epi8(-65);  // 0xBF as a signed byte
  c.leads = Join(Bits(_mm256_cmpgt_epi8(a, notContinuation)), Bits(_mm256_cmpgt_epi8(b, notContinuation)));
  const __m256i zero = _mm256_setzero_si256();
  const __m256i fourFloor = _mm256_set1_epi8(static_cast<char>(0xEF));
  c.four = ~Join(Bits(_mm256_cmpeq_epi8(_mm256_subs_epu8(a, fourFloor), zero)),
                 Bits(_mm256_cmpeq_epi8(_mm256_subs_epu8(b, fourFloor), zero)));
  c.errors = ~Join(Bits(_mm256_cmpeq_epi8(Broken(a, zero), zero)), Bits(_mm256_cmpeq_epi8(Broken(b, a), zero)));
}

template <bool kWrite>
inline std::size_t NarrowAscii(const unsigned char* s, std::size_t n, WCHAR* out) noexcept {
  std::size_t i = 0;
  while (n - i >= 64) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 32));
    if (_mm256_movemask_epi8(_mm256_or_si256(a, b)) != 0) break;
    if constexpr (kWrite) {
      auto* w = reinterpret_cast<__m256i*>(out + i);
      _mm256_storeu_si256(w, _mm256_cvtepu8_epi16(_mm256_castsi256_si128(a)));
      _mm256_storeu_si256(w + 1, _mm256_cvtepu8_epi16(_mm256_extracti128_si256(a, 1)));
      _mm256_storeu_si256(w + 2, _mm256_cvtepu8_epi16(_mm256_castsi256_si128(b)));
      _mm256_storeu_si256(w + 3, _mm256_cvtepu8_epi16(_mm256_extracti128_si256(b, 1)));
    }
    i += 64;
  }
  return i;
}

template <bool kWrite>
inline std::size_t WideAscii(const WCHAR* s, std::size_t n, unsigned char* out) noexcept {
  const __m256i high = _mm256_set1_epi16(static_cast<short>(0xFF80));
  std::size_t i = 0;
  while (n - i >= 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 16));
    if (!_mm256_testz_si256(_mm256_or_si256(a, b), high)) break;
    if constexpr (kWrite) {
      // packus works within 128-bit halves; the permutation puts the quarters in order.
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                          _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8));
    }
    i += 32;
  }
  while (n - i >= 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    if (!_mm_testz_si128(a, _mm256_castsi256_si128(high))) break;
    if constexpr (kWrite) _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, a));
    i += 8;
  }
  return i;
}

#include "Utf8TableSteps.inc"

// The loops, after the steps they call.
#include "Utf8Blocks.inc"

}  // namespace utility::platform::codepage::avx2
