// The shuffle tables of the vector UTF-8 kernels, computed by the compiler.
//
// Decoding looks at a 16-byte window of well-formed UTF-8 and at a 12-bit mask of the bytes in
// it that end a character (bit k: byte k is the last of its character). The mask alone says
// how the characters are laid out, so it indexes a step: which bytes to gather into which
// lane, how many characters that decodes and how many bytes it consumes. A step either takes
// up to eight characters of one or two bytes into 16-bit lanes, or up to four characters of
// one to three bytes into 32-bit lanes, whichever decodes more; a window that starts with a
// four-byte character has no step (units 0) and is decoded one character at a time.
//
// In a lane the character's last byte comes first, then the one before it, and so on; a lane
// of c0, c1, c2 then holds the code point (c0 & 0x7F) | (c1 & 0x3F) << 6 | (c2 & 0x0F) << 12
// whatever the length, since a continuation byte has bit 6 clear and a missing byte is 0.
//
// Encoding gathers the UTF-8 of each unit, built in a lane of its own, into consecutive bytes:
// by the 8-bit mask of ASCII units for a block of eight units of at most two bytes each, and by
// the four 2-bit lengths - 1 for a block of four units of one to three bytes.
#pragma once

#include <cstdint>

namespace utility::platform::codepage::tables {

// The masks for 16-bit lanes come first: k characters of one or two bytes (k = 1..8) are the
// 2^k masks from 2^k - 2 on, character j's length in bit j. The masks for 32-bit lanes follow:
// k characters of one to three bytes (k = 1..4), character j's length - 1 in the base-3 digit j.
constexpr unsigned kShortLaneMasks = 510;
constexpr unsigned kWideLaneOffsets[5] = {0, 0, 3, 12, 39};
constexpr unsigned kMaskCount = kShortLaneMasks + 120;

struct DecodeStep {
  std::uint16_t mask;     // index into kDecodeMasks
  std::uint8_t consumed;  // bytes the step decodes
  std::uint8_t units;     // characters it decodes; 0 when the window starts with four bytes
};

struct Mask {
  std::uint8_t bytes[16];
};

struct Gather {
  Mask mask;
  std::uint8_t length;  // bytes of UTF-8 that the gather leaves at the front
};

// Plain arrays, not std::array: the vector kernels are compiled for different instruction sets,
// and an out-of-line member function shared between them could run on the wrong processor.
struct DecodeTables {
  DecodeStep steps[4096];
  Mask masks[kMaskCount];
};

struct EncodeTables {
  Gather twoByte[256];
  Gather threeByte[256];
};

namespace build {

// The lengths of the characters that end within the first 12 bytes, as the end mask says.
struct Layout {
  unsigned count = 0;
  unsigned lengths[12] = {};
};

constexpr Layout Lay(unsigned ends) {
  Layout layout;
  unsigned start = 0;
  for (unsigned k = 0; k < 12; ++k) {
    if ((ends >> k) & 1u) {
      layout.lengths[layout.count++] = k - start + 1;
      start = k + 1;
    }
  }
  return layout;
}

// How many leading characters a step takes: at most `most`, each at most `longest` bytes.
constexpr unsigned Take(const Layout& layout, unsigned most, unsigned longest) {
  unsigned k = 0;
  while (k < layout.count && k < most && layout.lengths[k] <= longest) ++k;
  return k;
}

constexpr void FillSteps(DecodeStep (&steps)[4096]) {
  for (unsigned ends = 0; ends < 4096; ++ends) {
    const Layout layout = Lay(ends);
    const unsigned shortTake = Take(layout, 8, 2);
    const unsigned wideTake = Take(layout, 4, 3);
    unsigned consumed = 0;
    unsigned index = 0;
    if (shortTake != 0 && shortTake >= wideTake) {
      index = (1u << shortTake) - 2;
      for (unsigned j = 0; j < shortTake; ++j) {
        consumed += layout.lengths[j];
        if (layout.lengths[j] == 2) index += 1u << j;
      }
    } else if (wideTake != 0) {
      unsigned digit = 1;
      index = kShortLaneMasks + kWideLaneOffsets[wideTake];
      for (unsigned j = 0; j < wideTake; ++j, digit *= 3) {
        consumed += layout.lengths[j];
        index += (layout.lengths[j] - 1) * digit;
      }
    }
    const unsigned units = consumed == 0 ? 0 : (shortTake >= wideTake ? shortTake : wideTake);
    steps[ends] = {static_cast<std::uint16_t>(index), static_cast<std::uint8_t>(consumed),
                   static_cast<std::uint8_t>(units)};
  }
}

constexpr void FillMasks(Mask (&masks)[kMaskCount]) {
  for (auto& mask : masks) {
    for (auto& b : mask.bytes) b = 0x80;  // a lane byte that stays 0
  }
  for (unsigned k = 1; k <= 8; ++k) {
    for (unsigned bits = 0; bits < (1u << k); ++bits) {
      Mask& mask = masks[(1u << k) - 2 + bits];
      unsigned end = 0;  // one past the current character's last byte
      for (unsigned j = 0; j < k; ++j) {
        const unsigned length = ((bits >> j) & 1u) + 1;
        end += length;
        mask.bytes[2 * j] = static_cast<std::uint8_t>(end - 1);
        if (length == 2) mask.bytes[2 * j + 1] = static_cast<std::uint8_t>(end - 2);
      }
    }
  }
  for (unsigned k = 1; k <= 4; ++k) {
    unsigned combinations = 1;
    for (unsigned j = 0; j < k; ++j) combinations *= 3;
    for (unsigned code = 0; code < combinations; ++code) {
      Mask& mask = masks[kShortLaneMasks + kWideLaneOffsets[k] + code];
      unsigned end = 0;
      unsigned rest = code;
      for (unsigned j = 0; j < k; ++j, rest /= 3) {
        const unsigned length = rest % 3 + 1;
        end += length;
        for (unsigned b = 0; b < length; ++b) mask.bytes[4 * j + b] = static_cast<std::uint8_t>(end - 1 - b);
      }
    }
  }
}

// Encoding, eight units of one or two bytes: unit j's two bytes sit at 2j (lead, or the ASCII
// byte) and 2j + 1 (its continuation); bit j of the index says unit j is ASCII.
constexpr void FillTwoByte(Gather (&gathers)[256]) {
  for (unsigned ascii = 0; ascii < 256; ++ascii) {
    Gather& g = gathers[ascii];
    for (auto& b : g.mask.bytes) b = 0x80;
    unsigned out = 0;
    for (unsigned j = 0; j < 8; ++j) {
      g.mask.bytes[out++] = static_cast<std::uint8_t>(2 * j);
      if (((ascii >> j) & 1u) == 0) g.mask.bytes[out++] = static_cast<std::uint8_t>(2 * j + 1);
    }
    g.length = static_cast<std::uint8_t>(out);
  }
}

// Encoding, four units of one to three bytes: unit j's bytes sit at 4j, 4j + 1, 4j + 2; bits
// 2j and 2j + 1 of the index hold its length - 1 (3 does not occur).
constexpr void FillThreeByte(Gather (&gathers)[256]) {
  for (unsigned code = 0; code < 256; ++code) {
    Gather& g = gathers[code];
    for (auto& b : g.mask.bytes) b = 0x80;
    unsigned out = 0;
    for (unsigned j = 0; j < 4; ++j) {
      unsigned length = ((code >> (2 * j)) & 3u) + 1;
      if (length > 3) length = 3;
      for (unsigned b = 0; b < length; ++b) g.mask.bytes[out++] = static_cast<std::uint8_t>(4 * j + b);
    }
    g.length = static_cast<std::uint8_t>(out);
  }
}

constexpr DecodeTables MakeDecodeTables() {
  DecodeTables t{};
  FillSteps(t.steps);
  FillMasks(t.masks);
  return t;
}

constexpr EncodeTables MakeEncodeTables() {
  EncodeTables t{};
  FillTwoByte(t.twoByte);
  FillThreeByte(t.threeByte);
  return t;
}

}  // namespace build

alignas(64) inline constexpr DecodeTables kDecode = build::MakeDecodeTables();
alignas(64) inline constexpr EncodeTables kEncode = build::MakeEncodeTables();

}  // namespace utility::platform::codepage::tables
