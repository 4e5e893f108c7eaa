// UTF-8 <-> UTF-16 for the active code page. Runs of ASCII go 16 bytes at a time (SSE2, the
// x86-64 baseline; 8-byte words elsewhere); the common two- and three-byte sequences have a
// short path; everything else, malformed input included, takes the careful path.
//
// Malformed UTF-8 becomes one U+FFFD per maximal subpart (the longest prefix of a well-formed
// sequence), and a lone surrogate becomes U+FFFD when encoding, as the Windows UTF-8 code page
// does without the strict flags.
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <Utility/Platform/Error.h>

#include "CodePageBackend.h"

namespace codepage {
namespace {

constexpr WCHAR kReplacement = 0xFFFD;

inline unsigned CountTrailingZeros(std::uint64_t x) noexcept { return static_cast<unsigned>(__builtin_ctzll(x)); }

// Number of leading ASCII bytes in s[0..n), at most n.
template <bool kWrite>
inline std::size_t AsciiRun(const unsigned char* s, std::size_t n, WCHAR* d) noexcept {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  while (n - i >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(v));
    if (mask != 0) {
      const std::size_t k = CountTrailingZeros(mask);
      if constexpr (kWrite) {
        for (std::size_t j = 0; j < k; ++j) d[i + j] = s[i + j];
      }
      return i + k;
    }
    if constexpr (kWrite) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_unpacklo_epi8(v, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 8), _mm_unpackhi_epi8(v, zero));
    }
    i += 16;
  }
#else
  while (n - i >= 8) {
    std::uint64_t w;
    std::memcpy(&w, s + i, 8);
    const std::uint64_t high = w & 0x8080808080808080ull;
    if (high != 0) {
      const std::size_t k = CountTrailingZeros(high) / 8;
      if constexpr (kWrite) {
        for (std::size_t j = 0; j < k; ++j) d[i + j] = s[i + j];
      }
      return i + k;
    }
    if constexpr (kWrite) {
      for (std::size_t j = 0; j < 8; ++j) d[i + j] = s[i + j];
    }
    i += 8;
  }
#endif
  while (i < n && s[i] < 0x80) {
    if constexpr (kWrite) d[i] = s[i];
    ++i;
  }
  return i;
}

// The careful decoder for one sequence starting at a non-ASCII byte: returns the bytes
// consumed and stores the code point (kReplacement for a maximal subpart that is malformed).
inline std::size_t DecodeSlow(const unsigned char* s, std::size_t n, std::uint32_t& cp, bool& valid) noexcept {
  const unsigned char b = s[0];
  std::size_t need;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    need = 1;
    cp = b & 0x1Fu;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 2;
    cp = b & 0x0Fu;
    if (b == 0xE0) lo = 0xA0;        // no overlong forms
    if (b == 0xED) hi = 0x9F;        // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 3;
    cp = b & 0x07u;
    if (b == 0xF0) lo = 0x90;        // no overlong forms
    if (b == 0xF4) hi = 0x8F;        // nothing above U+10FFFF
  } else {
    cp = kReplacement;
    valid = false;
    return 1;
  }
  std::size_t j = 1;
  for (std::size_t k = 0; k < need; ++k, ++j) {
    if (j >= n || s[j] < lo || s[j] > hi) {
      cp = kReplacement;
      valid = false;
      return j;
    }
    cp = (cp << 6) | (s[j] & 0x3Fu);
    lo = 0x80;
    hi = 0xBF;
  }
  valid = true;
  return j;
}

template <bool kWrite>
Result Decode(const unsigned char* s, std::size_t n, WCHAR* d, std::size_t cap, bool strict) noexcept {
  std::size_t i = 0, o = 0;
  while (i < n) {
    unsigned char b = s[i];
    if (b < 0x80) {
      std::size_t limit = n - i;
      if constexpr (kWrite) {
        if (cap - o < limit) limit = cap - o;
        if (limit == 0) return {o, ERROR_INSUFFICIENT_BUFFER};
      }
      WCHAR* to = nullptr;
      if constexpr (kWrite) to = d + o;
      const std::size_t k = AsciiRun<kWrite>(s + i, limit, to);
      i += k;
      o += k;
      continue;
    }
    // Three-byte sequences (most of the BMP) and two-byte ones, when well formed.
    if ((b & 0xF0) == 0xE0 && n - i >= 3) {
      const unsigned c1 = s[i + 1], c2 = s[i + 2];
      const std::uint32_t cp = ((b & 0x0Fu) << 12) | ((c1 & 0x3Fu) << 6) | (c2 & 0x3Fu);
      if ((c1 & 0xC0) == 0x80 && (c2 & 0xC0) == 0x80 && cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) {
        if constexpr (kWrite) {
          if (o == cap) return {o, ERROR_INSUFFICIENT_BUFFER};
          d[o] = static_cast<WCHAR>(cp);
        }
        ++o;
        i += 3;
        continue;
      }
    } else if ((b & 0xE0) == 0xC0 && b >= 0xC2 && n - i >= 2 && (s[i + 1] & 0xC0) == 0x80) {
      if constexpr (kWrite) {
        if (o == cap) return {o, ERROR_INSUFFICIENT_BUFFER};
        d[o] = static_cast<WCHAR>(((b & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu));
      }
      ++o;
      i += 2;
      continue;
    }
    std::uint32_t cp = 0;
    bool valid = false;
    i += DecodeSlow(s + i, n - i, cp, valid);
    if (!valid && strict) return {o, ERROR_NO_UNICODE_TRANSLATION};
    if (cp >= 0x10000) {
      if constexpr (kWrite) {
        if (cap - o < 2) return {o, ERROR_INSUFFICIENT_BUFFER};
        d[o] = static_cast<WCHAR>(0xD800 + ((cp - 0x10000) >> 10));
        d[o + 1] = static_cast<WCHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      }
      o += 2;
    } else {
      if constexpr (kWrite) {
        if (o == cap) return {o, ERROR_INSUFFICIENT_BUFFER};
        d[o] = static_cast<WCHAR>(cp);
      }
      ++o;
    }
  }
  return {o, 0};
}

// Bytes of UTF-8 for a block of units that holds no surrogate: 1 + (u >= 0x80) + (u >= 0x800).
#if defined(__SSE2__)
inline bool CountBlock8(const WCHAR* s, std::size_t& bytes) noexcept {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i surrogate = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xF800))),
                                            _mm_set1_epi16(static_cast<short>(0xD800)));
  if (_mm_movemask_epi8(surrogate) != 0) return false;
  // Unsigned comparison through the sign flip: u > 0x7F and u > 0x7FF.
  const __m128i flipped = _mm_xor_si128(v, _mm_set1_epi16(static_cast<short>(0x8000)));
  const __m128i two = _mm_cmpgt_epi16(flipped, _mm_set1_epi16(static_cast<short>(0x807F)));
  const __m128i three = _mm_cmpgt_epi16(flipped, _mm_set1_epi16(static_cast<short>(0x87FF)));
  const unsigned m2 = static_cast<unsigned>(_mm_movemask_epi8(two));
  const unsigned m3 = static_cast<unsigned>(_mm_movemask_epi8(three));
  bytes += 8 + static_cast<std::size_t>(__builtin_popcount(m2) + __builtin_popcount(m3)) / 2;
  return true;
}
#endif

template <bool kWrite>
Result Encode(const WCHAR* s, std::size_t n, char* d, std::size_t cap, bool strict) noexcept {
  std::size_t i = 0, o = 0;
  auto* out = reinterpret_cast<unsigned char*>(d);
  while (i < n) {
    WCHAR u = s[i];
    if (u < 0x80) {
#if defined(__SSE2__)
      // Sixteen ASCII units become sixteen bytes.
      while (n - i >= 16 && (!kWrite || cap - o >= 16)) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 8));
        const __m128i high = _mm_and_si128(_mm_or_si128(a, b), _mm_set1_epi16(static_cast<short>(0xFF80)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) != 0xFFFF) break;
        if constexpr (kWrite) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), _mm_packus_epi16(a, b));
        i += 16;
        o += 16;
      }
#endif
      while (i < n && s[i] < 0x80) {
        if constexpr (kWrite) {
          if (o == cap) return {o, ERROR_INSUFFICIENT_BUFFER};
          out[o] = static_cast<unsigned char>(s[i]);
        }
        ++o;
        ++i;
      }
      continue;
    }
    if constexpr (!kWrite) {
#if defined(__SSE2__)
      // Measuring text without surrogates needs no per-unit branch.
      if (n - i >= 8 && CountBlock8(s + i, o)) {
        i += 8;
        continue;
      }
#endif
    }
    std::uint32_t cp = u;
    std::size_t used = 1;
    if (u >= 0xD800 && u <= 0xDFFF) {
      if (u <= 0xDBFF && n - i >= 2 && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((static_cast<std::uint32_t>(u) - 0xD800) << 10) + (s[i + 1] - 0xDC00u);
        used = 2;
      } else {
        if (strict) return {o, ERROR_NO_UNICODE_TRANSLATION};
        cp = kReplacement;
      }
    }
    const std::size_t bytes = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    if constexpr (kWrite) {
      if (cap - o < bytes) return {o, ERROR_INSUFFICIENT_BUFFER};
      unsigned char* p = out + o;
      if (bytes == 2) {
        p[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
        p[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      } else if (bytes == 3) {
        p[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
        p[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        p[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      } else {
        p[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
        p[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
        p[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        p[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      }
    }
    o += bytes;
    i += used;
  }
  return {o, 0};
}

}  // namespace

Result Utf8ToUtf16(const unsigned char* src, std::size_t n, WCHAR* dst, std::size_t cap, bool strict) noexcept {
  return dst == nullptr ? Decode<false>(src, n, nullptr, 0, strict) : Decode<true>(src, n, dst, cap, strict);
}

Result Utf16ToUtf8(const WCHAR* src, std::size_t n, char* dst, std::size_t cap, bool strict) noexcept {
  return dst == nullptr ? Encode<false>(src, n, nullptr, 0, strict) : Encode<true>(src, n, dst, cap, strict);
}

}  // namespace codepage
