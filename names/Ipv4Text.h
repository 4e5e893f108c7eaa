// Parsers of IPv4 address text: the library's strict dotted-quad rule and the classic BSD
// notation that the socket library's address parser reads. Neither keeps any state.
#pragma once

#include <cstdint>
#include <string_view>

namespace utility::names {

// INADDR_NONE: what a text that is no address reads as (the same value as 255.255.255.255).
inline constexpr std::uint32_t kNoAddress = 0xFFFFFFFFu;

// The address in host byte order, read in the classic BSD dotted notation: one to four
// parts separated by single full stops, each decimal, octal (leading 0) or hexadecimal
// (leading 0x or 0X); the last part fills the bytes that remain (a.b.c: c is 16 bits; a.b:
// b is 24 bits; a: 32 bits). The address ends at the end of the text or at an ASCII white
// space character (what follows is not read). Anything else gives kNoAddress.
std::uint32_t ParseBsdAddress(std::string_view text) noexcept;

// True for four parts of decimal digits split at full stops (runs of stops count as one,
// stops at either end are ignored), the first 1..254 and the others 0..255.
bool IsDottedQuad(std::string_view text) noexcept;

}  // namespace utility::names
