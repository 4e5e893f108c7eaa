// Plain, slow UTF-8 codecs straight from the Unicode standard's well-formedness table.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace utility::testsupport::oracle {

// The byte ranges that may follow a lead byte at each position of a well-formed sequence;
// an empty list means the byte cannot start a sequence.
inline std::vector<std::pair<int, int>> Ranges(unsigned char lead) {
  if (lead <= 0x7F) return {{lead, lead}};
  if (lead >= 0xC2 && lead <= 0xDF) return {{lead, lead}, {0x80, 0xBF}};
  if (lead == 0xE0) return {{lead, lead}, {0xA0, 0xBF}, {0x80, 0xBF}};
  if ((lead >= 0xE1 && lead <= 0xEC) || lead == 0xEE || lead == 0xEF) return {{lead, lead}, {0x80, 0xBF}, {0x80, 0xBF}};
  if (lead == 0xED) return {{lead, lead}, {0x80, 0x9F}, {0x80, 0xBF}};
  if (lead == 0xF0) return {{lead, lead}, {0x90, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}};
  if (lead >= 0xF1 && lead <= 0xF3) return {{lead, lead}, {0x80, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}};
  if (lead == 0xF4) return {{lead, lead}, {0x80, 0x8F}, {0x80, 0xBF}, {0x80, 0xBF}};
  return {};
}

// Calls piece(utf16, wellFormed) for each character of bytes in order, and for each maximal
// subpart of an ill-formed sequence with U+FFFD.
template <class Piece>
void DecodePieces(const std::string& bytes, Piece piece) {
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const auto ranges = Ranges(lead);
    std::size_t matched = 0;
    while (matched < ranges.size() && i + matched < bytes.size()) {
      const auto b = static_cast<unsigned char>(bytes[i + matched]);
      if (b < ranges[matched].first || b > ranges[matched].second) break;
      ++matched;
    }
    if (ranges.empty() || matched < ranges.size()) {
      piece(std::u16string(1, u'\xFFFD'), false);
      i += matched == 0 ? 1 : matched;
      continue;
    }
    std::uint32_t cp = ranges.size() == 1 ? lead : lead & (0xFFu >> (ranges.size() + 1));
    for (std::size_t k = 1; k < ranges.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3Fu);
    if (cp >= 0x10000) {
      piece(std::u16string{static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)),
                           static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))},
            true);
    } else {
      piece(std::u16string(1, static_cast<char16_t>(cp)), true);
    }
    i += ranges.size();
  }
}

// Calls piece(utf8, wellFormed) for each character of units in order, a lone surrogate as U+FFFD.
template <class Piece>
void EncodePieces(const std::u16string& units, Piece piece) {
  for (std::size_t i = 0; i < units.size(); ++i) {
    std::uint32_t cp = units[i];
    bool valid = true;
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD, valid = false;
    }
    const int trail = cp < 0x80 ? 0 : cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    constexpr unsigned kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
    std::string out(1, static_cast<char>(kLead[trail] | (cp >> (6 * trail))));
    for (int k = trail - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
    piece(out, valid);
  }
}

// UTF-16 of bytes, one U+FFFD per maximal subpart of an ill-formed sequence.
inline std::u16string Decode(const std::string& bytes) {
  std::u16string out;
  DecodePieces(bytes, [&](const std::u16string& made, bool) { out += made; });
  return out;
}

// UTF-8 of UTF-16 units, a lone surrogate becoming U+FFFD.
inline std::string Encode(const std::u16string& units) {
  std::string out;
  EncodePieces(units, [&](const std::string& made, bool) { out += made; });
  return out;
}

// Random valid UTF-16 of about n units and no zeros: runs of ASCII, two- and three-byte characters
// long enough for the vector paths, E000..FFFF, surrogate pairs.
inline std::u16string RandomValidUtf16(std::mt19937& rng, std::size_t n) {
  std::u16string s;
  auto in = [&](int lo, int hi) { return static_cast<char16_t>(std::uniform_int_distribution<int>(lo, hi)(rng)); };
  while (s.size() < n) {
    const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
    const std::size_t run = std::uniform_int_distribution<std::size_t>(1, 40)(rng);
    if (kind <= 6) {  // a run of ASCII (kinds 0-2), two-byte (3-4) or three-byte (5-6) characters
      const int lo = kind <= 2 ? 1 : kind <= 4 ? 0x80 : 0x800, hi = kind <= 2 ? 0x7F : kind <= 4 ? 0x7FF : 0xD7FF;
      for (std::size_t k = 0; k < run; ++k) s += in(lo, hi);
    } else if (kind == 7) {
      s += in(0xE000, 0xFFFF);
    } else {
      const std::uint32_t cp = std::uniform_int_distribution<std::uint32_t>(0x10000, 0x10FFFF)(rng);
      s += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      s += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
  }
  return s;
}

// The UTF-8 of random text cut to n bytes, some replaced by others, mostly not ASCII, to reach
// every ill-formed path. No zero bytes.
inline std::string RandomMostlyUtf8(std::mt19937& rng, std::size_t n) {
  std::string s = Encode(RandomValidUtf16(rng, n)).substr(0, n);
  for (std::size_t k = rng() % 16; k < s.size(); k += 1 + rng() % 16)
    s[k] = static_cast<char>(rng() % 4 != 0 ? 0x80 + rng() % 0x80 : 1 + rng() % 0x7F);
  return s;
}

}  // namespace utility::testsupport::oracle
