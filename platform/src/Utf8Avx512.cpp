// The AVX-512 UTF-8 kernel: each 64-byte chunk is checked as one vector, and ASCII units are
// narrowed 64 at a time; the rest is Utf8Blocks.inc. Compiled for AVX-512 BW and VL (with
// BMI2) and run only where the processor has them (Utf8Codec.cpp).
#include <cstdint>
#include <cstring>

#include <immintrin.h>

#include <Utility/Platform/Error.h>

#include "Utf8KernelEntries.h"
#include "Utf8Tables.h"
#include "Utf8Validation.h"

namespace utility::platform::codepage::avx512 {
namespace {

struct Chunk {
  std::uint64_t ascii, leads, four, errors;
};

// (The masked forms of the intrinsics below keep GCC from warning about their undefined merge operand.)
inline __m512i Table(const std::uint8_t (&nibbles)[16]) noexcept {
  return _mm512_maskz_broadcast_i32x4(0xFFFF, _mm_load_si128(reinterpret_cast<const __m128i*>(nibbles)));
}

inline void Classify(const unsigned char* p, Chunk& c) noexcept {
  const __m512i v = _mm512_loadu_si512(p);
  c.ascii = ~static_cast<std::uint64_t>(_mm512_movepi8_mask(v));
  if (c.ascii == ~std::uint64_t{0}) {
    c.leads = c.ascii;
    c.four = 0;
    c.errors = 0;
    return;
  }
  c.leads = _mm512_cmpgt_epi8_mask(v, _mm512_set1_epi8(-65));  // not 0x80..0xBF
  c.four = _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xF0)));
  // The 128-bit lanes moved up by one, a zero lane first: the chunk starts a character.
  const __m512i before = _mm512_maskz_permutexvar_epi64(0xFC, _mm512_set_epi64(5, 4, 3, 2, 1, 0, 0, 0), v);
  const __m512i prev1 = _mm512_alignr_epi8(v, before, 15);
  const __m512i prev2 = _mm512_alignr_epi8(v, before, 14);
  const __m512i prev3 = _mm512_alignr_epi8(v, before, 13);
  const __m512i nibble = _mm512_set1_epi8(0x0F);
  const __m512i firstHigh =
      _mm512_shuffle_epi8(Table(validation::kFirstHigh), _mm512_and_si512(_mm512_srli_epi16(prev1, 4), nibble));
  const __m512i firstLow = _mm512_shuffle_epi8(Table(validation::kFirstLow), _mm512_and_si512(prev1, nibble));
  const __m512i secondHigh =
      _mm512_shuffle_epi8(Table(validation::kSecondHigh), _mm512_and_si512(_mm512_srli_epi16(v, 4), nibble));
  const __m512i pairs = _mm512_and_si512(_mm512_and_si512(firstHigh, firstLow), secondHigh);
  const __m512i third = _mm512_subs_epu8(prev2, _mm512_set1_epi8(static_cast<char>(0xE0 - 0x80)));
  const __m512i fourth = _mm512_subs_epu8(prev3, _mm512_set1_epi8(static_cast<char>(0xF0 - 0x80)));
  const __m512i must = _mm512_and_si512(_mm512_or_si512(third, fourth), _mm512_set1_epi8(static_cast<char>(0x80)));
  const __m512i broken = _mm512_xor_si512(must, pairs);
  c.errors = _mm512_test_epi8_mask(broken, broken);
}

template <bool kWrite>
inline std::size_t NarrowAscii(const unsigned char* s, std::size_t n, WCHAR* out) noexcept {
  std::size_t i = 0;
  while (n - i >= 64) {
    const __m512i v = _mm512_loadu_si512(s + i);
    if (_mm512_movepi8_mask(v) != 0) break;
    if constexpr (kWrite) {
      _mm512_storeu_si512(out + i, _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i))));
      _mm512_storeu_si512(out + i + 32,
                          _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 32))));
    }
    i += 64;
  }
  return i;
}

template <bool kWrite>
inline std::size_t WideAscii(const WCHAR* s, std::size_t n, unsigned char* out) noexcept {
  const __m512i high = _mm512_set1_epi16(static_cast<short>(0xFF80));
  std::size_t i = 0;
  while (n - i >= 64) {
    const __m512i a = _mm512_loadu_si512(s + i);
    const __m512i b = _mm512_loadu_si512(s + i + 32);
    if (_mm512_test_epi16_mask(_mm512_or_si512(a, b), high) != 0) break;
    if constexpr (kWrite) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm512_maskz_cvtepi16_epi8(~__mmask32{0}, a));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 32), _mm512_maskz_cvtepi16_epi8(~__mmask32{0}, b));
    }
    i += 64;
  }
  while (n - i >= 16) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    if (!_mm256_testz_si256(a, _mm256_set1_epi16(static_cast<short>(0xFF80)))) break;
    if constexpr (kWrite) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm256_maskz_cvtepi16_epi8(0xFFFF, a));
    i += 16;
  }
  return i;
}

#include "Utf8Blocks.inc"

}  // namespace utility::platform::codepage::avx512
