// The two IPv4 text readers. Both walk the text with indexes of their own instead of a
// tokenizer with hidden state, so calls on any number of threads are independent.
#include "Ipv4Text.h"

#include <climits>

namespace utility::names {
namespace {

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads one number at text[i] in C notation. Fails (false) when it overflows 32 bits.
// Leaves i on the first character that is not part of the number.
bool ReadPart(std::string_view text, std::size_t& i, std::uint64_t& value) {
  unsigned base = 10;
  if (text[i] == '0') {
    base = 8;
    if (i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X') && i + 2 < text.size() &&
        HexValue(text[i + 2]) >= 0) {
      base = 16;
      i += 2;
    }
  }
  value = 0;
  for (; i < text.size(); ++i) {
    const int digit = HexValue(text[i]);
    if (digit < 0 || static_cast<unsigned>(digit) >= base) break;
    value = value * base + static_cast<unsigned>(digit);
    if (value > 0xFFFFFFFFu) return false;
  }
  return true;
}

}  // namespace

std::uint32_t ParseBsdAddress(std::string_view text) noexcept {
  std::uint32_t parts[3] = {};
  std::size_t count = 0;  // parts before the last one
  std::size_t i = 0;
  std::uint64_t value = 0;
  for (;;) {
    if (i >= text.size() || !IsAsciiDigit(text[i])) return kNoAddress;
    if (!ReadPart(text, i, value)) return kNoAddress;
    if (i < text.size() && text[i] == '.') {
      if (count == 3 || value > 0xFF) return kNoAddress;
      parts[count++] = static_cast<std::uint32_t>(value);
      ++i;
      continue;
    }
    break;
  }
  // The address ends at the end of the text or at white space; any other character spoils it.
  if (i < text.size() && !IsAsciiSpace(text[i])) return kNoAddress;
  static constexpr std::uint64_t kLastPartLimit[4] = {0xFFFFFFFFu, 0xFFFFFFu, 0xFFFFu, 0xFFu};
  if (value > kLastPartLimit[count]) return kNoAddress;
  std::uint32_t address = static_cast<std::uint32_t>(value);
  for (std::size_t k = 0; k < count; ++k) address |= parts[k] << (24 - 8 * k);
  return address;
}

bool IsDottedQuad(std::string_view text) noexcept {
  int part = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '.') {  // a run of stops is one separator; stops at either end make no part
      ++i;
      continue;
    }
    std::size_t end = text.find('.', i);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view digits = text.substr(i, end - i);
    i = end;
    if (++part > 4) return false;
    long long number = 0;
    for (char c : digits) {
      if (!IsAsciiDigit(c)) return false;
      // Digit runs too large for an int read as its largest value, which fails every range.
      number = number * 10 + (c - '0');
      if (number > INT_MAX) number = INT_MAX;
    }
    const long long lowest = part == 1 ? 1 : 0;
    const long long highest = part == 1 ? 254 : 255;
    if (number < lowest || number > highest) return false;
  }
  return part == 4;
}

}  // namespace utility::names
