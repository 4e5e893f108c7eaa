// The AVX-512 UTF-8 kernel: each 64-byte chunk is checked as one vector and decoded by
// compressing one unit per kept byte; units are encoded 32 at a time by compressing the bytes
// each one makes, surrogate pairs included; ASCII runs go 64 at a time. The rest is
// Utf8Blocks.inc. Compiled for AVX-512 F, BW, VL and VBMI2 (with BMI2) and run only where the
// processor has them (Utf8Codec.cpp).
#include <cstdint>
#include <cstring>

#include <immintrin.h>

#include <Utility/Platform/Error.h>

#include "Utf8KernelEntries.h"
#include "Utf8Tables.h"
#include "Utf8Validation.h"

namespace utility::platform::codepage::avx512 {
namespace {

#include "Utf8BlockBasics.inc"

struct Chunk {
  std::uint64_t ascii, leads, three, four, errors;  // three: bytes from 0xE0 up
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
    c.three = 0;
    c.four = 0;
    c.errors = 0;
    return;
  }
  c.leads = _mm512_cmpgt_epi8_mask(v, _mm512_set1_epi8(-65));  // not 0x80..0xBF
  c.three = _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xE0)));
  c.four = _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xF0)));
  const std::uint64_t twoLeads = c.leads & ~c.ascii;
  if (c.three == 0 && (twoLeads & ~static_cast<std::uint64_t>(
                                      _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xC2))))) == 0) {
    // Only ASCII and leads C2..DF, as in most European text: well-formed when the continuations
    // are exactly the bytes after the leads (a lead in the last byte continues in the next chunk).
    c.errors = ~c.leads ^ (twoLeads << 1);
    return;
  }
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

inline __m512i Bytes32(const unsigned char* p) noexcept {
  return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
}

inline __m512i Set16(int x) noexcept { return _mm512_set1_epi16(static_cast<short>(x)); }

// Every byte that starts a character makes one unit, and so does the byte after a four-byte
// lead (the pair's second unit), so one 16-bit lane per kept byte, compressed, is the text.
// Each lane is computed from its byte and the two after it for every kind of character, and
// the chunk's masks pick the right one.
inline void DecodeChunk(const unsigned char* p, const Chunk& c, std::size_t cut, WCHAR* out) noexcept {
  const std::uint64_t keep = (c.leads | (c.four << 1)) & Below(cut);
  const std::uint64_t two = c.leads & ~c.ascii & ~c.three;
  const std::uint64_t three = c.three & ~c.four;
  for (unsigned half = 0; half < 2; ++half) {
    const unsigned char* q = p + 32 * half;
    const unsigned shift = 32 * half;
    const auto kept = static_cast<__mmask32>(keep >> shift);
    const __m512i b0 = Bytes32(q);
    if (static_cast<std::uint32_t>(c.ascii >> shift) == 0xFFFFFFFFu) {
      _mm512_storeu_si512(out, b0);
      out += Ones(kept);
      continue;
    }
    const __m512i b1 = Bytes32(q + 1);
    const __m512i t1 = _mm512_and_si512(b1, Set16(0x3F));
    __m512i v = _mm512_mask_mov_epi16(b0, static_cast<__mmask32>(two >> shift),
                                      _mm512_or_si512(_mm512_slli_epi16(_mm512_and_si512(b0, Set16(0x1F)), 6), t1));
    if (static_cast<std::uint32_t>(c.three >> shift) == 0 && static_cast<std::uint32_t>((c.four << 1) >> shift) == 0) {
      // Characters of one and two bytes only, as in most European text.
      _mm512_storeu_si512(out, _mm512_maskz_compress_epi16(kept, v));
      out += Ones(kept);
      continue;
    }
    const __m512i b2 = Bytes32(q + 2);
    const __m512i t2 = _mm512_and_si512(b2, Set16(0x3F));
    v = _mm512_mask_mov_epi16(
        v, static_cast<__mmask32>(three >> shift),
        _mm512_or_si512(_mm512_or_si512(_mm512_slli_epi16(b0, 12), _mm512_slli_epi16(t1, 6)), t2));
    const auto four = static_cast<__mmask32>(c.four >> shift);
    const auto seconds = static_cast<__mmask32>((c.four << 1) >> shift);
    if ((four | seconds) != 0) {
      // The first unit at the lead, 0xD7C0 + (code point >> 10); the second at the byte after
      // it, 0xDC00 + the low ten bits, which its own next two bytes hold.
      const __m512i first = _mm512_add_epi16(
          Set16(0xD7C0), _mm512_or_si512(_mm512_or_si512(_mm512_slli_epi16(_mm512_and_si512(b0, Set16(0x07)), 8),
                                                         _mm512_slli_epi16(t1, 2)),
                                         _mm512_srli_epi16(t2, 4)));
      const __m512i second =
          _mm512_or_si512(Set16(0xDC00), _mm512_or_si512(_mm512_slli_epi16(_mm512_and_si512(b1, Set16(0x0F)), 6), t2));
      v = _mm512_mask_mov_epi16(v, four, first);
      v = _mm512_mask_mov_epi16(v, seconds, second);
    }
    _mm512_storeu_si512(out, _mm512_maskz_compress_epi16(kept, v));
    out += Ones(kept);
  }
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

// ---- encoding ----

// Blocks of 32 units. Surrogate pairs are encoded in the block, and so are lone surrogates
// (as U+FFFD) unless the conversion is strict; a block ends before a lone surrogate when it is,
// and before a first unit in its last lane, whose partner would be in the next block.
constexpr std::size_t kUnits = 32;
constexpr std::size_t kUnitRoom = 128;

// The kUnits units at s to out when each makes at most two bytes in its own lane: the bytes
// written, or 0 for a block that needs EncodeBlock (a unit of three bytes, a lone surrogate, a
// first unit in the last lane). ASCII goes by one narrowing store. Otherwise every lane keeps
// one byte or two and one compress writes them: a surrogate pair's four bytes are the first
// two in its first unit's lane and the last two in its second's, as in chat text, where nearly
// every block holds an emoji among ASCII.
inline std::size_t ShortBlock(const WCHAR* s, unsigned char* out) noexcept {
  const __m512i v = _mm512_loadu_si512(s);
  const std::uint32_t multi = _mm512_cmpgt_epu16_mask(v, Set16(0x7F));
  if (multi == 0) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm512_maskz_cvtepi16_epi8(~__mmask32{0}, v));
    return kUnits;
  }
  const std::uint32_t wide = _mm512_cmpgt_epu16_mask(v, Set16(0x7FF));
  const __m512i top = _mm512_and_si512(v, Set16(0xFC00));
  const std::uint32_t first = _mm512_cmpeq_epi16_mask(top, Set16(0xD800));
  const std::uint32_t second = _mm512_cmpeq_epi16_mask(top, Set16(0xDC00));
  // Only pairs, each whole in the block (a first unit in lane 31 makes the shift differ): a
  // block that fails, as every block of CJK text does, fails before any other work.
  if (wide != (first | second) || (std::uint64_t{first} << 1) != second) return 0;
  const __m512i lead = _mm512_or_si512(_mm512_srli_epi16(v, 6), Set16(0xC0));
  const __m512i low6 = _mm512_or_si512(_mm512_and_si512(v, Set16(0x3F)), Set16(0x80));
  __m512i words = _mm512_mask_mov_epi16(v, multi, _mm512_or_si512(lead, _mm512_slli_epi16(low6, 8)));
  if (wide != 0) {
    // With t = (first & 0x3FF) + 0x40, the code point >> 10: F0 | t >> 8, 80 | (t >> 2) & 3F;
    // then 80 | (first & 3) << 4 | (second >> 6) & 0F, 80 | second & 3F.
    const __m512i t = _mm512_add_epi16(_mm512_and_si512(v, Set16(0x3FF)), Set16(0x40));
    const __m512i one = _mm512_or_si512(
        _mm512_or_si512(_mm512_srli_epi16(t, 8), Set16(0xF0)),
        _mm512_slli_epi16(_mm512_or_si512(_mm512_and_si512(_mm512_srli_epi16(t, 2), Set16(0x3F)), Set16(0x80)), 8));
    const __m512i previous =
        _mm512_permutexvar_epi16(_mm512_set_epi16(30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14,
                                                  13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0),
                                 v);
    const __m512i two = _mm512_or_si512(_mm512_or_si512(_mm512_slli_epi16(_mm512_and_si512(previous, Set16(0x3)), 4),
                                                        _mm512_and_si512(_mm512_srli_epi16(v, 6), Set16(0x0F))),
                                        _mm512_or_si512(Set16(0x80), _mm512_slli_epi16(low6, 8)));
    words = _mm512_mask_mov_epi16(_mm512_mask_mov_epi16(words, first, one), second, two);
  }
  const std::uint64_t keep = 0x5555555555555555ull | _pdep_u64(multi, 0xAAAAAAAAAAAAAAAAull);
  _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(keep, words));
  return kUnits + Ones(multi);
}

struct Units {
  __m512i v;  // the units, lone surrogates replaced when not strict
  std::uint32_t stops;
  std::uint32_t multi;    // the units from 0x80 up
  std::uint32_t wide;     // those from 0x800 up
  std::uint32_t pairs;    // the first units of surrogate pairs
  std::uint32_t seconds;  // and their second units
};

inline Units ClassifyUnits(const WCHAR* block, bool strict) noexcept {
  Units u;
  u.v = _mm512_loadu_si512(block);
  const __m512i top = _mm512_and_si512(u.v, Set16(0xFC00));
  const std::uint32_t high = _mm512_cmpeq_epi16_mask(top, Set16(0xD800));
  const std::uint32_t low = _mm512_cmpeq_epi16_mask(top, Set16(0xDC00));
  u.pairs = high & (low >> 1);
  u.seconds = u.pairs << 1;
  const std::uint32_t edge = high & 0x80000000u;
  const std::uint32_t lone = (high | low) & ~(u.pairs | u.seconds | edge);
  u.stops = edge | (strict ? lone : 0);
  u.v = _mm512_mask_mov_epi16(u.v, strict ? 0 : lone, Set16(0xFFFD));  // no branch: lone ones are rare
  u.multi = _mm512_cmpgt_epu16_mask(u.v, Set16(0x7F));
  u.wide = _mm512_cmpgt_epu16_mask(u.v, Set16(0x7FF));
  return u;
}

// A pair's first unit counts 4 (1 + multi + wide + 1), its second nothing (1 + 1 + 1 - 3).
inline std::size_t BlockBytes(const Units& u, std::uint32_t lanes) noexcept {
  return Ones(lanes) + Ones(u.multi & lanes) + Ones(u.wide & lanes) + Ones(u.pairs & lanes) -
         3 * std::size_t{Ones(u.seconds & lanes)};
}

inline __m512i Set32(int x) noexcept { return _mm512_set1_epi32(x); }
inline __m512i Shl32(__m512i x, unsigned n) noexcept { return _mm512_maskz_slli_epi32(0xFFFF, x, n); }
inline __m512i Shr32(__m512i x, unsigned n) noexcept { return _mm512_maskz_srli_epi32(0xFFFF, x, n); }

// Units 16 * half .. 16 * half + 15 of v, in 32-bit lanes.
inline __m512i Widen(__m512i v, unsigned half) noexcept {
  const __m256i units =
      half == 0 ? _mm512_maskz_extracti64x4_epi64(0xFF, v, 0) : _mm512_maskz_extracti64x4_epi64(0xFF, v, 1);
  return _mm512_maskz_cvtepu16_epi32(0xFFFF, units);
}

inline void EncodeBlock(const Units& u, std::uint32_t lanes, unsigned char* out) noexcept {
  const std::uint32_t multi = u.multi & lanes;
  const std::uint32_t wide = u.wide & lanes;
  if (wide == 0) {
    // One or two bytes: the lead in a lane's low byte, its trail in the high one. ASCII blocks
    // take this way too: a branch between the two would fail to be predicted on prose with an
    // accented letter every few words.
    const __m512i lead = _mm512_or_si512(_mm512_srli_epi16(u.v, 6), Set16(0xC0));
    const __m512i trail = _mm512_or_si512(_mm512_and_si512(u.v, Set16(0x3F)), Set16(0x80));
    const __m512i words = _mm512_mask_mov_epi16(u.v, multi, _mm512_or_si512(lead, _mm512_slli_epi16(trail, 8)));
    const std::uint64_t keep = _pdep_u64(lanes, 0x5555555555555555ull) | _pdep_u64(multi, 0xAAAAAAAAAAAAAAAAull);
    _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(keep, words));
    return;
  }
  // One to four bytes in 32-bit lanes, sixteen units at a time.
  const std::uint32_t pairs = u.pairs & lanes;
  const std::uint32_t spoken = lanes & ~(u.seconds & lanes);
  __m512i next = _mm512_setzero_si512();
  if (pairs != 0) {
    const __m512i following = _mm512_set_epi16(31, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15,
                                               14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
    next = _mm512_permutexvar_epi16(following, u.v);
  }
  std::size_t written = 0;
  for (unsigned half = 0; half < 2; ++half) {
    const unsigned shift = 16 * half;
    const auto m1 = static_cast<__mmask16>(spoken >> shift);
    const auto m2 = static_cast<__mmask16>((multi & spoken) >> shift);
    const auto m3 = static_cast<__mmask16>((wide & spoken) >> shift);
    const auto m4 = static_cast<__mmask16>(pairs >> shift);
    const __m512i x = Widen(u.v, half);
    const __m512i low6 = _mm512_or_si512(_mm512_and_si512(x, Set32(0x3F)), Set32(0x80));
    const __m512i mid6 = _mm512_or_si512(_mm512_and_si512(Shr32(x, 6), Set32(0x3F)), Set32(0x80));
    const __m512i two = _mm512_or_si512(_mm512_or_si512(Shr32(x, 6), Set32(0xC0)), Shl32(low6, 8));
    const __m512i three =
        _mm512_or_si512(_mm512_or_si512(Shr32(x, 12), Set32(0xE0)), _mm512_or_si512(Shl32(mid6, 8), Shl32(low6, 16)));
    __m512i r = _mm512_mask_mov_epi32(_mm512_mask_mov_epi32(x, m2, two), m3, three);
    if (m4 != 0) {
      const __m512i y = Widen(next, half);
      // 0x10000 + (x - 0xD800) * 0x400 + (y - 0xDC00)
      const __m512i cp = _mm512_sub_epi32(_mm512_add_epi32(Shl32(x, 10), y), Set32(0x35FDC00));
      const __m512i cont = Set32(0x80);
      const __m512i four = _mm512_or_si512(
          _mm512_or_si512(_mm512_or_si512(Shr32(cp, 18), Set32(0xF0)),
                          Shl32(_mm512_or_si512(_mm512_and_si512(Shr32(cp, 12), Set32(0x3F)), cont), 8)),
          _mm512_or_si512(Shl32(_mm512_or_si512(_mm512_and_si512(Shr32(cp, 6), Set32(0x3F)), cont), 16),
                          Shl32(_mm512_or_si512(_mm512_and_si512(cp, Set32(0x3F)), cont), 24)));
      r = _mm512_mask_mov_epi32(r, m4, four);
    }
    const std::uint64_t keep = _pdep_u64(m1, 0x1111111111111111ull) | _pdep_u64(m2, 0x2222222222222222ull) |
                               _pdep_u64(m3, 0x4444444444444444ull) | _pdep_u64(m4, 0x8888888888888888ull);
    _mm512_storeu_si512(out + written, _mm512_maskz_compress_epi8(keep, r));
    written += Ones(keep);
  }
}

#include "Utf8Blocks.inc"

}  // namespace utility::platform::codepage::avx512
