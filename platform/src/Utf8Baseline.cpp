// The baseline UTF-8 <-> UTF-16 kernel, which every processor runs. Runs of ASCII go 16 bytes
// at a time (SSE2, the x86-64 baseline; 8-byte words elsewhere); the common two- and
// three-byte sequences have a short path; everything else, malformed input included, takes the
// careful path.
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

#include "Utf8KernelEntries.h"

namespace utility::platform::codepage::baseline {
namespace {

constexpr WCHAR kReplacement = 0xFFFD;

inline unsigned CountTrailingZeros(std::uint64_t x) noexcept { return static_cast<unsigned>(__builtin_ctzll(x)); }

// Copies the first k bytes of an ASCII run that ends inside a block.
template <bool kWrite>
inline void CopyAscii(const unsigned char* s, std::size_t k, WCHAR* d) noexcept {
  if constexpr (kWrite) {
    for (std::size_t j = 0; j < k; ++j) d[j] = s[j];
  }
}

#if defined(__SSE2__)
// Leading ASCII bytes of s[0..n) counted (and widened) a block at a time; stops at the first
// non-ASCII byte or before the last partial block, which the caller finishes byte by byte.
template <bool kWrite>
inline std::size_t AsciiBlocks(const unsigned char* s, std::size_t n, WCHAR* d, bool& ended) noexcept {
  std::size_t i = 0;
  const __m128i zero = _mm_setzero_si128();
  // Four vectors per step while the text stays ASCII: one test for 64 bytes.
  while (n - i >= 64) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 32));
    const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 48));
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, e))) != 0) break;
    if constexpr (kWrite) {
      __m128i* out = reinterpret_cast<__m128i*>(d + i);
      _mm_storeu_si128(out, _mm_unpacklo_epi8(a, zero));
      _mm_storeu_si128(out + 1, _mm_unpackhi_epi8(a, zero));
      _mm_storeu_si128(out + 2, _mm_unpacklo_epi8(b, zero));
      _mm_storeu_si128(out + 3, _mm_unpackhi_epi8(b, zero));
      _mm_storeu_si128(out + 4, _mm_unpacklo_epi8(c, zero));
      _mm_storeu_si128(out + 5, _mm_unpackhi_epi8(c, zero));
      _mm_storeu_si128(out + 6, _mm_unpacklo_epi8(e, zero));
      _mm_storeu_si128(out + 7, _mm_unpackhi_epi8(e, zero));
    }
    i += 64;
  }
  while (n - i >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(v));
    if (mask != 0) {
      const std::size_t k = CountTrailingZeros(mask);
      CopyAscii<kWrite>(s + i, k, kWrite ? d + i : nullptr);
      ended = true;
      return i + k;
    }
    if constexpr (kWrite) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_unpacklo_epi8(v, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 8), _mm_unpackhi_epi8(v, zero));
    }
    i += 16;
  }
  return i;
}
#else
// The same eight bytes at a time, in a 64-bit word, where SSE2 is not there.
template <bool kWrite>
inline std::size_t AsciiBlocks(const unsigned char* s, std::size_t n, WCHAR* d, bool& ended) noexcept {
  std::size_t i = 0;
  while (n - i >= 8) {
    std::uint64_t w;
    std::memcpy(&w, s + i, 8);
    const std::uint64_t high = w & 0x8080808080808080ull;
    if (high != 0) {
      const std::size_t k = CountTrailingZeros(high) / 8;
      CopyAscii<kWrite>(s + i, k, kWrite ? d + i : nullptr);
      ended = true;
      return i + k;
    }
    CopyAscii<kWrite>(s + i, 8, kWrite ? d + i : nullptr);
    i += 8;
  }
  return i;
}
#endif

// Number of leading ASCII bytes in s[0..n), at most n.
template <bool kWrite>
inline std::size_t AsciiRun(const unsigned char* s, std::size_t n, WCHAR* d) noexcept {
  bool ended = false;
  std::size_t i = AsciiBlocks<kWrite>(s, n, d, ended);
  if (ended) return i;
  while (i < n && s[i] < 0x80) {
    if constexpr (kWrite) d[i] = s[i];
    ++i;
  }
  return i;
}

#if defined(__SSE2__)
// Whether the 16 bytes at s start with five well-formed three-byte sequences (no overlong
// form after E0, no surrogate after ED: both leads simply take the careful path).
inline bool IsThreeByteRun(const unsigned char* s) noexcept {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i mask = _mm_setr_epi8(-16, -64, -64, -16, -64, -64, -16, -64, -64, -16, -64, -64, -16, -64, -64, 0);
  const __m128i pattern =
      _mm_setr_epi8(-32, -128, -128, -32, -128, -128, -32, -128, -128, -32, -128, -128, -32, -128, -128, 0);
  if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, mask), pattern)) != 0xFFFF) return false;
  const __m128i leads = _mm_and_si128(v, _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0));
  const __m128i special = _mm_or_si128(_mm_cmpeq_epi8(leads, _mm_set1_epi8(static_cast<char>(0xE0))),
                                       _mm_cmpeq_epi8(leads, _mm_set1_epi8(static_cast<char>(0xED))));
  return _mm_movemask_epi8(special) == 0;
}

// Whether the 16 bytes at s are eight well-formed two-byte sequences; if so, units receives
// their eight code points.
inline bool IsTwoByteRun(const unsigned char* s, __m128i& units) noexcept {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  // Per 16-bit lane the lead is the low byte: 110xxxxx 10xxxxxx, lead not C0 or C1.
  const __m128i shape = _mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xC0E0)));
  if (_mm_movemask_epi8(_mm_cmpeq_epi16(shape, _mm_set1_epi16(static_cast<short>(0x80C0)))) != 0xFFFF) return false;
  const __m128i overlong = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(0x001E)), _mm_setzero_si128());
  if (_mm_movemask_epi8(overlong) != 0) return false;
  const __m128i high = _mm_slli_epi16(_mm_and_si128(v, _mm_set1_epi16(0x001F)), 6);
  const __m128i low = _mm_and_si128(_mm_srli_epi16(v, 8), _mm_set1_epi16(0x003F));
  units = _mm_or_si128(high, low);
  return true;
}
#endif

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
    if (b == 0xE0) lo = 0xA0;  // no overlong forms
    if (b == 0xED) hi = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 3;
    cp = b & 0x07u;
    if (b == 0xF0) lo = 0x90;  // no overlong forms
    if (b == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
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

#if defined(__SSE2__)
// Runs of three-byte sequences (five per 16 bytes) and of two-byte ones (eight per 16 bytes),
// checked sixteen bytes at a time from s[i]; advances i and o past what it decoded.
template <bool kWrite>
inline void DecodeBlocks(const unsigned char* s, std::size_t n, std::size_t& i, WCHAR* d, std::size_t cap,
                         std::size_t& o) noexcept {
  const unsigned char b = s[i];
  if ((b & 0xF0) == 0xE0) {
    while (n - i >= 16 && (!kWrite || cap - o >= 5) && IsThreeByteRun(s + i)) {
      if constexpr (kWrite) {
        const unsigned char* p = s + i;
        for (std::size_t k = 0; k < 5; ++k, p += 3) {
          d[o + k] = static_cast<WCHAR>(((p[0] & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu));
        }
      }
      o += 5;
      i += 15;
    }
  } else if ((b & 0xE0) == 0xC0) {
    __m128i units;
    while (n - i >= 16 && (!kWrite || cap - o >= 8) && IsTwoByteRun(s + i, units)) {
      if constexpr (kWrite) _mm_storeu_si128(reinterpret_cast<__m128i*>(d + o), units);
      o += 8;
      i += 16;
    }
  }
}
#endif

// The common well-formed three- and two-byte sequences (most of the BMP) at s[0..n): the bytes
// read and the unit in unit, or 0 when the sequence needs the careful decoder.
inline std::size_t DecodeShort(const unsigned char* s, std::size_t n, WCHAR& unit) noexcept {
  const unsigned char b = s[0];
  if ((b & 0xF0) == 0xE0 && n >= 3) {
    const unsigned c1 = s[1], c2 = s[2];
    const std::uint32_t cp = ((b & 0x0Fu) << 12) | ((c1 & 0x3Fu) << 6) | (c2 & 0x3Fu);
    if ((c1 & 0xC0) == 0x80 && (c2 & 0xC0) == 0x80 && cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) {
      unit = static_cast<WCHAR>(cp);
      return 3;
    }
  } else if ((b & 0xE0) == 0xC0 && b >= 0xC2 && n >= 2 && (s[1] & 0xC0) == 0x80) {
    unit = static_cast<WCHAR>(((b & 0x1Fu) << 6) | (s[1] & 0x3Fu));
    return 2;
  }
  return 0;
}

// Stores one code point as one unit or a surrogate pair at d[o]; false when it does not fit.
template <bool kWrite>
inline bool PutCodePoint(std::uint32_t cp, WCHAR* d, std::size_t cap, std::size_t& o) noexcept {
  if (cp >= 0x10000) {
    if constexpr (kWrite) {
      if (cap - o < 2) return false;
      d[o] = static_cast<WCHAR>(0xD800 + ((cp - 0x10000) >> 10));
      d[o + 1] = static_cast<WCHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
    o += 2;
  } else {
    if constexpr (kWrite) {
      if (o == cap) return false;
      d[o] = static_cast<WCHAR>(cp);
    }
    ++o;
  }
  return true;
}

// Decodes s[0..n) from the start until at least `until` bytes are read, at a character
// boundary; `read` receives the bytes read.
template <bool kWrite>
Result DecodeAll(const unsigned char* s, std::size_t n, std::size_t until, WCHAR* d, std::size_t cap, bool strict,
                 std::size_t& read) noexcept {
  std::size_t i = 0, o = 0;
  read = 0;
  while (i < until) {
    read = i;
    if (s[i] < 0x80) {
      std::size_t limit = until - i;
      if constexpr (kWrite) {
        if (cap - o < limit) limit = cap - o;
        if (limit == 0) return {o, ERROR_INSUFFICIENT_BUFFER};
      }
      const std::size_t k = AsciiRun<kWrite>(s + i, limit, kWrite ? d + o : nullptr);
      i += k;
      o += k;
      continue;
    }
#if defined(__SSE2__)
    if (n - i >= 16) {
      const std::size_t before = i;
      DecodeBlocks<kWrite>(s, n, i, d, cap, o);
      if (i != before) continue;
    }
#endif
    WCHAR unit = 0;
    if (const std::size_t used = DecodeShort(s + i, n - i, unit); used != 0) {
      if (!PutCodePoint<kWrite>(unit, d, cap, o)) return {o, ERROR_INSUFFICIENT_BUFFER};
      i += used;
      continue;
    }
    std::uint32_t cp = 0;
    bool valid = false;
    i += DecodeSlow(s + i, n - i, cp, valid);
    if (!valid && strict) return {o, ERROR_NO_UNICODE_TRANSLATION};
    if (!PutCodePoint<kWrite>(cp, d, cap, o)) return {o, ERROR_INSUFFICIENT_BUFFER};
  }
  read = i;
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
  if (m3 == 0xFFFF) {
    bytes += 24;  // the common cases without counting bits
  } else if (m3 == 0 && m2 == 0xFFFF) {
    bytes += 16;
  } else {
    bytes += 8 + static_cast<std::size_t>(__builtin_popcount(m2) + __builtin_popcount(m3)) / 2;
  }
  return true;
}
#endif

#if defined(__SSE2__)
// 2 when eight units all need two bytes, 3 when all need three (no surrogates), else 0.
inline int BlockWidth(__m128i v) noexcept {
  const __m128i flipped = _mm_xor_si128(v, _mm_set1_epi16(static_cast<short>(0x8000)));
  const unsigned atLeast80 =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi16(flipped, _mm_set1_epi16(static_cast<short>(0x807F)))));
  const unsigned atLeast800 =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi16(flipped, _mm_set1_epi16(static_cast<short>(0x87FF)))));
  if (atLeast80 == 0xFFFF && atLeast800 == 0) return 2;
  if (atLeast800 != 0xFFFF) return 0;
  const __m128i surrogate = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xF800))),
                                            _mm_set1_epi16(static_cast<short>(0xD800)));
  return _mm_movemask_epi8(surrogate) == 0 ? 3 : 0;
}
#endif

#if defined(__SSE2__)
// Writes eight units of U+0800..U+FFFF (no surrogates) as 24 bytes of UTF-8, in four 8-byte
// stores of which the last two bytes are overwritten by the next (26 bytes of room needed).
inline void StoreThreeByteBlock(__m128i v, unsigned char* out) noexcept {
  const __m128i b0 = _mm_or_si128(_mm_srli_epi16(v, 12), _mm_set1_epi16(0x00E0));
  const __m128i b1 = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(v, 6), _mm_set1_epi16(0x003F)), _mm_set1_epi16(0x0080));
  const __m128i b2 = _mm_or_si128(_mm_and_si128(v, _mm_set1_epi16(0x003F)), _mm_set1_epi16(0x0080));
  const __m128i b01 = _mm_or_si128(b0, _mm_slli_epi16(b1, 8));
  // 32-bit lanes holding the three bytes of one character each.
  const __m128i lo = _mm_unpacklo_epi16(b01, b2);
  const __m128i hi = _mm_unpackhi_epi16(b01, b2);
  // Two characters per 64-bit lane, six bytes back to back.
  const __m128i keep = _mm_set1_epi64x(0x0000000000FFFFFFll);
  const __m128i pairLo = _mm_or_si128(_mm_and_si128(lo, keep), _mm_andnot_si128(keep, _mm_srli_epi64(lo, 8)));
  const __m128i pairHi = _mm_or_si128(_mm_and_si128(hi, keep), _mm_andnot_si128(keep, _mm_srli_epi64(hi, 8)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), pairLo);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 6), _mm_unpackhi_epi64(pairLo, pairLo));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 12), pairHi);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 18), _mm_unpackhi_epi64(pairHi, pairHi));
}
#endif

// A run of ASCII units from s[i] as as many bytes: thirty-two, then sixteen at a time where SSE2
// is there, then one by one. False when the buffer ran out first.
template <bool kWrite>
inline bool EncodeAscii(const WCHAR* s, std::size_t n, std::size_t& i, unsigned char* out, std::size_t cap,
                        std::size_t& o) noexcept {
#if defined(__SSE2__)
  const __m128i nonAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
  while (n - i >= 32 && (!kWrite || cap - o >= 32)) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 8));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 16));
    const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 24));
    const __m128i high = _mm_and_si128(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, e)), nonAscii);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) != 0xFFFF) break;
    if constexpr (kWrite) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), _mm_packus_epi16(a, b));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o + 16), _mm_packus_epi16(c, e));
    }
    i += 32;
    o += 32;
  }
  while (n - i >= 16 && (!kWrite || cap - o >= 16)) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 8));
    const __m128i high = _mm_and_si128(_mm_or_si128(a, b), nonAscii);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) != 0xFFFF) break;
    if constexpr (kWrite) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), _mm_packus_epi16(a, b));
    i += 16;
    o += 16;
  }
#endif
  while (i < n && s[i] < 0x80) {
    if constexpr (kWrite) {
      if (o == cap) return false;
      out[o] = static_cast<unsigned char>(s[i]);
    }
    ++o;
    ++i;
  }
  return true;
}

#if defined(__SSE2__)
// Eight units from s[i] at a time: measured when text without surrogates is only counted, or
// written when all eight are two-byte or all three-byte characters. False when the block needs
// the unit-by-unit path.
template <bool kWrite>
inline bool EncodeBlock(const WCHAR* s, std::size_t n, std::size_t& i, unsigned char* out, std::size_t cap,
                        std::size_t& o) noexcept {
  if (n - i < 8) return false;
  if constexpr (!kWrite) {
    if (!CountBlock8(s + i, o)) return false;
    i += 8;
    return true;
  } else {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const int width = BlockWidth(v);
    if (width == 2 && cap - o >= 16) {
      const __m128i lead = _mm_or_si128(_mm_srli_epi16(v, 6), _mm_set1_epi16(0x00C0));
      const __m128i trail = _mm_or_si128(_mm_and_si128(v, _mm_set1_epi16(0x003F)), _mm_set1_epi16(0x0080));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), _mm_or_si128(lead, _mm_slli_epi16(trail, 8)));
      o += 16;
    } else if (width == 3 && cap - o >= 26) {
      StoreThreeByteBlock(v, out + o);
      o += 24;
    } else {
      return false;
    }
    i += 8;
    return true;
  }
}
#endif

// Writes the two to four bytes of one code point of U+0080 and above.
inline void PutUtf8(std::uint32_t cp, std::size_t bytes, unsigned char* p) noexcept {
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

template <bool kWrite>
Result EncodeAll(const WCHAR* s, std::size_t n, char* d, std::size_t cap, bool strict) noexcept {
  std::size_t i = 0, o = 0;
  auto* out = reinterpret_cast<unsigned char*>(d);
  while (i < n) {
    const WCHAR u = s[i];
    if (u < 0x80) {
      if (!EncodeAscii<kWrite>(s, n, i, out, cap, o)) return {o, ERROR_INSUFFICIENT_BUFFER};
      continue;
    }
#if defined(__SSE2__)
    if (EncodeBlock<kWrite>(s, n, i, out, cap, o)) continue;
#endif
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
      PutUtf8(cp, bytes, out + o);
    }
    o += bytes;
    i += used;
  }
  return {o, 0};
}

}  // namespace

Result Decode(const unsigned char* src, std::size_t n, WCHAR* dst, std::size_t cap, bool strict) noexcept {
  std::size_t read = 0;
  return DecodeSome(src, n, n, dst, cap, strict, read);
}

Result DecodeSome(const unsigned char* src, std::size_t n, std::size_t until, WCHAR* dst, std::size_t cap, bool strict,
                  std::size_t& read) noexcept {
  return dst == nullptr ? DecodeAll<false>(src, n, until, nullptr, 0, strict, read)
                        : DecodeAll<true>(src, n, until, dst, cap, strict, read);
}

Result Encode(const WCHAR* src, std::size_t n, char* dst, std::size_t cap, bool strict) noexcept {
  return dst == nullptr ? EncodeAll<false>(src, n, nullptr, 0, strict) : EncodeAll<true>(src, n, dst, cap, strict);
}

}  // namespace utility::platform::codepage::baseline
