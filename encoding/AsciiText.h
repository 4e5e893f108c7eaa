// The ASCII fast path of the conversions: one scan finds a text's terminator and whether
// every unit before it is below 0x80; such text converts by widening or narrowing each unit,
// which is exactly what the UTF-8 code page makes of it.
#pragma once

#include <cstddef>

#include <Utility/Platform/Types.h>

namespace utility::encoding {

// Whether the zero-terminated text is pure ASCII; if so, length receives its length in bytes.
// A false return leaves length unspecified (the scan stops at the first non-ASCII byte).
bool ScanAscii(const char* text, std::size_t& length) noexcept;

// The same for zero-terminated UTF-16: whether every unit before the terminator is below
// 0x80, with length receiving the units before it.
bool ScanAscii(const WCHAR* text, std::size_t& length) noexcept;

// Writes the n units of text, all below 0x80, as n bytes to out.
void NarrowAscii(const WCHAR* text, std::size_t n, char* out) noexcept;

}  // namespace utility::encoding
