// Names as the native file system holds them (bytes, UTF-8 by convention) and as the library
// holds them (UTF-16), mapped so that every name on disk has exactly one UTF-16 form and back.
//
// Valid UTF-8 maps to the same characters in UTF-16. A byte that is not part of a valid UTF-8
// sequence (a stray continuation byte, a truncated or overlong sequence, an encoded surrogate,
// anything in 0xF5..0xFF) maps to the lone low surrogate U+DC00 + byte, U+DC80..U+DCFF: a code
// unit that no valid UTF-16 text holds on its own, so the mapping cannot collide with a real
// name. Encoding maps those units back to their bytes. UTF-16 that no native name decodes to
// has no native form and is refused: any other lone surrogate, and byte escapes that would
// read back as a valid UTF-8 character (U+DCC3 U+DCA9 spells the bytes of "é").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <Utility/Platform/Types.h>

namespace utility::platform {

inline constexpr WCHAR kFirstByteEscape = 0xDC80;
inline constexpr WCHAR kLastByteEscape = 0xDCFF;

// EncodeNativeName()
//
// Appends the native bytes of name[0, length) to out. False, with out unspecified, when the name
// has no native form. Throws std::bad_alloc when memory runs out.
//
// Example:
//   EncodeNativeName(u"a\xDCFF", 2, out) -> true, out == "a\xFF"
bool EncodeNativeName(const WCHAR* name, std::size_t length, std::string& out);

// DecodeNativeName()
//
// Writes the UTF-16 form of native into out[0, capacity) and returns the units written; a name
// longer than capacity is cut at a character boundary. With out null, returns the units the
// whole name needs.
//
// Example:
//   DecodeNativeName("a\xFF", out, 8) -> 2, out holds u"a\xDCFF"
//   DecodeNativeName("a\xFF", nullptr, 0) -> 2
std::size_t DecodeNativeName(std::string_view native, WCHAR* out, std::size_t capacity) noexcept;

}  // namespace utility::platform
