// The UTF-8 kernels against the oracle, and so against each other: every well-formed character
// and the ill-formed sequences of each kind, at every place of the vector kernels' blocks (the
// 64-byte decoding chunks, the 8-unit encoding blocks), across their ends, beside characters
// of every length, in inputs whose lengths reach the tail paths; then short output buffers.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "support/Utf8KernelCheck.h"

namespace {

namespace oracle = utility::testsupport::oracle;
using namespace utility::testsupport::kernels;

// Counts the checks and keeps the first few differences for the failure message.
struct Tally {
  std::size_t checks = 0, failures = 0;
  std::string shown;
  void Add(const std::string& wrong) {
    ++checks;
    if (!wrong.empty() && failures++ < 3) shown += wrong + "\n";
  }
  void Verdict(std::size_t least) const {
    EXPECT_EQ(failures, 0u) << shown;
    EXPECT_GE(checks, least);  // the loops did run
  }
};

// One input written lenient and strict, into exactly the room needed or into ample room, and
// measured lenient or strict: which of each, by serial.
template <class Text>
void AllModes(Tally& tally, const Text& in, std::size_t serial) {
  constexpr bool kDecode = sizeof(in[0]) == 1;
  const auto whole = [&] {
    if constexpr (kDecode)
      return oracle::Decode(in);
    else
      return oracle::Encode(in);
  }();
  const auto pieces = [&] {
    if constexpr (kDecode)
      return Utf8Pieces(in);
    else
      return Utf16Pieces(in);
  }();
  auto check = [&](std::size_t cap, bool strict) {
    const auto due = Cut(whole, pieces, cap, strict);
    if constexpr (kDecode)
      tally.Add(CheckDecode(in, cap, strict, due));
    else
      tally.Add(CheckEncode(in, cap, strict, due));
  };
  check(kMeasure, serial % 2 != 0);
  for (bool strict : {false, true}) {
    check(Cut(whole, pieces, kMeasure, strict).out.size() + (serial % 4 < 2 ? 0 : 80), strict);
  }
}

// The neighbours a sequence is placed among: characters of one, two, three and four bytes.
const std::u16string kFillers[4] = {u"a", u"\u00E9", u"\u20AC", u"\U0001F600"};

// A text as UTF-8 and as UTF-16; for an ill-formed sequence only the bytes mean anything.
struct Twin {
  std::string bytes;
  std::u16string units;
  void Add(const Twin& t) { bytes += t.bytes, units += t.units; }
  std::size_t Size(bool inBytes) const { return inBytes ? bytes.size() : units.size(); }
};

Twin Of(const std::u16string& units) { return {oracle::Encode(units), units}; }

Twin Bytes(std::initializer_list<int> list) {
  Twin t;
  for (int b : list) t.bytes += static_cast<char>(b);
  return t;
}

// Appends `size` bytes (inBytes) or units of filler: whole characters of the kind, and single
// ASCII characters for the rest, before them when `asciiFirst`.
void Fill(Twin& text, int kind, std::size_t size, bool asciiFirst, bool inBytes) {
  static const Twin kOne[4] = {Of(kFillers[0]), Of(kFillers[1]), Of(kFillers[2]), Of(kFillers[3])};
  const Twin& one = kOne[kind];
  const std::size_t rest = size % one.Size(inBytes);
  auto ascii = [&] {
    text.bytes.append(rest, asciiFirst ? 'a' : 'b'), text.units.append(rest, asciiFirst ? u'a' : u'b');
  };
  if (asciiFirst) ascii();
  for (std::size_t k = 0; k < size / one.Size(inBytes); ++k) text.Add(one);
  if (!asciiFirst) ascii();
}

// Places sequences at offsets of block-sized cells of filler, the character just before and
// after a sequence being the filler's where there is room; a cell ends at a character boundary
// unless its sequence crosses the end. Well-formed cells keep the kernels' blocks where they
// are, so they are joined up to 16 to an input, which ends after a cell whose sequence crosses
// the block end; an ill-formed sequence moves the next block's start, so it has an input of its
// own. Each input gets a filler tail of varying length, and some placements also run with the
// input ending right after the sequence.
class Sweep {
 public:
  // decode: the kernels read the bytes, else the units. wellFormed: the bytes are.
  Sweep(Tally& tally, std::size_t block, bool decode, bool wellFormed)
      : tally_(tally), block_(block), decode_(decode), joined_(wellFormed || !decode) {}
  ~Sweep() {
    if (cells_ != 0) Flush(0);
  }

  void Place(const Twin& seq, std::size_t off, int kind) {
    Fill(text_, kind, off, true, decode_);
    text_.Add(seq);
    const std::size_t end = off + seq.Size(decode_);
    if (end < block_) Fill(text_, kind, block_ - end, false, decode_);
    if (++placed_ % (joined_ ? 16 : 8) == 0) {
      Twin alone;
      Fill(alone, kind, off, true, decode_);
      alone.Add(seq);
      Check(alone, placed_);
    }
    if (!joined_ || end > block_ || ++cells_ == 16) Flush(kind);
  }

 private:
  void Flush(int kind) {
    Fill(text_, kind, (placed_ * 13) % (block_ + block_ / 4), false, decode_);
    Check(text_, placed_ / 16);
    text_ = {};
    cells_ = 0;
  }

  void Check(const Twin& text, std::size_t serial) {
    if (!decode_) return AllModes(tally_, text.units, serial);
    if (!joined_) return AllModes(tally_, text.bytes, serial);
    // Well-formed: decoding gives the UTF-16 that the oracle encoded, whether strict or not, so
    // each input measures one way and writes the other.
    const Due<std::u16string> due{text.units, 0};
    tally_.Add(CheckDecode(text.bytes, kMeasure, serial % 2 == 0, due));
    tally_.Add(CheckDecode(text.bytes, due.out.size() + (serial % 4 < 2 ? 0 : 80), serial % 2 != 0, due));
  }

  Tally& tally_;
  std::size_t block_;
  bool decode_, joined_;
  Twin text_;
  std::size_t placed_ = 0, cells_ = 0;
};

std::u16string Utf16Of(std::uint32_t cp) {
  if (cp < 0x10000) return std::u16string(1, static_cast<char16_t>(cp));
  return {static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)), static_cast<char16_t>(0xDC00 + (cp & 0x3FF))};
}

TEST(Utf8Kernels, ThisProcessorRunsTheBaselineAndPicksTheLastItRuns) {
  ASSERT_FALSE(Running().empty());
  EXPECT_EQ(Running().front(), Utf8Kernel::Baseline);
  EXPECT_EQ(Running().back(), utility::platform::codepage::BestUtf8Kernel());
}

// Every scalar value. One- and two-byte characters go to every offset of the chunk (one-byte
// ones beside every filler), three-byte ones to four offsets each, four-byte ones to one offset
// each (in twos), spread so that every offset sees every value of each byte.
TEST(Utf8Kernels, DecodeEveryCharacterAtEveryOffset) {
  Tally tally;
  {
    Sweep sweep(tally, 64, true, true);
    auto place = [&](std::uint32_t cp, std::size_t off, int kind) { sweep.Place(Of(Utf16Of(cp)), off % 64, kind); };
    for (std::uint32_t cp = 0; cp < 0x80; ++cp) {
      for (std::size_t off = 0; off < 64; ++off) {
        for (int kind = 0; kind < 4; ++kind) place(cp, off, kind);
      }
    }
    for (std::uint32_t cp = 0x80; cp < 0x800; ++cp) {
      for (std::size_t off = 0; off < 64; ++off) place(cp, off, static_cast<int>((cp + off) % 4));
    }
    for (std::uint32_t cp = 0x800; cp < 0x10000; ++cp) {
      if (cp >= 0xD800 && cp <= 0xDFFF) continue;
      for (int r = 0; r < 4; ++r) place(cp, cp + (cp >> 6) + 16 * r, r);
    }
    // Two at a time, side by side: U+10000..U+8FFFF each with the value 0x80000 above it.
    for (std::uint32_t cp = 0x10000; cp < 0x90000; ++cp) {
      sweep.Place(Of(Utf16Of(cp) + Utf16Of(cp + 0x80000)), (cp ^ (cp >> 6) ^ (cp >> 12)) % 64,
                  static_cast<int>((cp >> 7) % 4));
    }
  }
  tally.Verdict(2 * (0x10FFFF / 16));
}

// Every pair of bytes that begins with a non-ASCII byte (at an offset such that every offset
// sees every first and every second byte); every byte that cannot start a character; three- and four-byte sequences cut
// short; surrogates, overlong forms and values past U+10FFFF at their full length; runs of stray continuation bytes.
TEST(Utf8Kernels, DecodeIllFormedSequencesAtEveryOffset) {
  Tally tally;
  {
    Sweep sweep(tally, 64, true, false);
    std::size_t serial = 0;
    auto place = [&](const Twin& seq, std::size_t off) { sweep.Place(seq, off % 64, static_cast<int>(serial++ % 4)); };
    for (int b = 0x80; b <= 0xFF; ++b) {
      for (std::size_t off = 0; off < 64; ++off) place(Bytes({b}), off);
    }
    for (int a = 0x80; a < 256; ++a) {  // after an ASCII byte, the singles above
      for (int b = 0; b < 256; ++b) {
        place(Bytes({a, b}), a + b);
      }
    }
    for (int lead = 0xE0; lead <= 0xF4; ++lead) {
      const auto ranges = oracle::Ranges(static_cast<unsigned char>(lead));
      for (int b1 = ranges[1].first; b1 <= ranges[1].second; ++b1) {
        for (int r = 0; r < 4; ++r) place(Bytes({lead, b1}), lead + b1 + 16 * r);
        if (ranges.size() < 4) continue;
        for (int b2 = 0x80; b2 <= 0xBF; ++b2) place(Bytes({lead, b1, b2}), lead + b1 + b2);
      }
    }
    for (int b1 = 0x80; b1 <= 0xBF; ++b1) {
      for (int b2 = 0x80; b2 <= 0xBF; ++b2) {
        const std::size_t off = b1 * 7 + b2;
        const int three = b1 >= 0xA0 ? 0xED : 0xE0;  // a surrogate, or an overlong form
        place(Bytes({three, b1, b2}), off);
        place(Bytes({three, b1, b2}), off + 32);
        if (b1 <= 0x8F) place(Bytes({0xF0, b1, b2, 0x80 + (b2 * 5) % 64}), off);
        if (b1 >= 0x90) place(Bytes({0xF4, b1, b2, 0xBF - b2 + 0x80}), off);
        place(Bytes({0xF5 + (b1 + b2) % 11, b1, b2, 0x80}), off);
      }
    }
    for (std::size_t k = 2; k <= 5; ++k) {
      for (std::size_t off = 0; off < 64; ++off) place({std::string(k, static_cast<char>(0x80 + off)), {}}, off);
    }
  }
  tally.Verdict(3 * 32768);
}

// Every unit, lone surrogates included, at every offset of two 8-unit blocks beside every kind
// of filler (and those below U+0800 at every offset of a 32-unit block); surrogate pairs with the edge values of either
// half and a sample of the others, at every offset, so that a block end cuts some of them.
TEST(Utf8Kernels, EncodeEveryUnitAndPairAtEveryOffset) {
  Tally tally;
  {
    Sweep sweep(tally, 16, false, true);
    // Two at a time: u below 0x8000 at every offset, its partner u + 0x8000 beside it after it
    // (u at an even offset) or before it (odd), and so also at every offset.
    for (char16_t u = 0; u < 0x8000; ++u) {
      const auto partner = static_cast<char16_t>(u + 0x8000);
      for (std::size_t off = 0; off < 16; ++off) {
        const std::u16string two = off % 2 == 0 ? std::u16string{u, partner} : std::u16string{partner, u};
        sweep.Place(Of(two), off - off % 2, static_cast<int>((u + off) % 4));
      }
    }
    std::mt19937 rng(1207);
    // Units of two bytes alone among ASCII and other two-byte letters, at every offset of the
    // 32-unit blocks of the AVX-512 kernel, which encode such blocks by a way of their own.
    Sweep latin(tally, 32, false, true);
    for (char16_t u = 0x80; u < 0x800; ++u) {
      for (std::size_t off = 0; off < 32; ++off) latin.Place(Of(std::u16string(1, u)), off, (u + off) % 2);
    }
    std::uniform_int_distribution<int> high(0xD800, 0xDBFF), low(0xDC00, 0xDFFF);
    auto pair = [&](int h, int l, std::size_t r) {
      for (std::size_t off = 0; off < 16; off += 4) {
        sweep.Place(Of({static_cast<char16_t>(h), static_cast<char16_t>(l)}), (off + r + h) % 16, (h + l) % 4);
      }
    };
    for (int k = 0; k < 1024; ++k) {
      for (int e = 0; e < 4; ++e) {
        pair(0xD800 + k, e < 2 ? 0xDC00 + e : 0xDFFC + e, e);
        pair(e < 2 ? 0xD800 + e : 0xDBFC + e, 0xDC00 + k, e);
        pair(high(rng), low(rng), e);
      }
    }
  }
  tally.Verdict(3 * 65536);
}

// Short buffers: for mixed texts of every length up to a few blocks, room for all of the
// output, for one unit or byte less, for half, for none, and a random amount; the output must
// stop before the first character that does not fit, and nothing past cap may change.
TEST(Utf8Kernels, StopBeforeTheFirstCharacterThatDoesNotFit) {
  Tally tally;
  std::mt19937 rng(20261207);
  for (std::size_t round = 0; round < 2000; ++round) {
    const std::size_t n = round % 300;
    std::u16string units = oracle::RandomValidUtf16(rng, n);
    if (round % 3 == 0) {  // some lone surrogates
      for (std::size_t k = 0; k < units.size(); k += 1 + rng() % 40)
        units[k] = static_cast<char16_t>(0xD800 + rng() % 0x800);
    }
    const std::string bytes = round % 2 == 0 ? oracle::Encode(units) : oracle::RandomMostlyUtf8(rng, n);
    for (bool strict : {false, true}) {
      const std::size_t need8 = DueDecode(bytes, kMeasure, strict).out.size();
      const std::size_t need16 = DueEncode(units, kMeasure, strict).out.size();
      for (const auto& [need, decode] : {std::pair{need8, true}, std::pair{need16, false}}) {
        std::set<std::size_t> caps = {need, need / 2, 0, rng() % (need + 1)};
        if (need != 0) caps.insert(need - 1);
        for (std::size_t cap : caps)
          tally.Add(decode ? CheckDecode(bytes, cap, strict) : CheckEncode(units, cap, strict));
      }
    }
  }
  tally.Verdict(2000 * 2 * 2 * 3);
}

}  // namespace
