// The converters behind MultiByteToWideChar and WideCharToMultiByte. The public functions
// check arguments and flags and apply the count rules; these do the conversion proper.
//
// Every converter either measures (dst null: count only) or writes at most cap units, and
// stops at a character boundary when the next character does not fit.
#pragma once

#include <cstddef>

#include <Utility/Platform/Types.h>

namespace utility::platform::codepage {

struct Result {
  std::size_t count;  // units or bytes produced (or that would be produced)
  DWORD error;        // 0, ERROR_INSUFFICIENT_BUFFER or ERROR_NO_UNICODE_TRANSLATION, ...
};

// UTF-8 (Utf8Codec.cpp, on the fastest kernel this processor runs: Utf8Kernels.h). strict: an invalid sequence (or a
// lone surrogate) fails with ERROR_NO_UNICODE_TRANSLATION instead of becoming U+FFFD.
Result Utf8ToUtf16(const unsigned char* src, std::size_t n, WCHAR* dst, std::size_t cap, bool strict) noexcept;
Result Utf16ToUtf8(const WCHAR* src, std::size_t n, char* dst, std::size_t cap, bool strict) noexcept;
// The UTF-8 of the zero-terminated src (lone surrogates as U+FFFD), read once and never past its
// terminator, into dst[0..cap). Without error the whole text is written (the terminator is not)
// and read receives its units. When the rest does not fit, ERROR_INSUFFICIENT_BUFFER: the
// characters of src[0..read) have been written, and a call on src + read continues the text;
// read is 0 only when the next character does not fit in cap at all.
Result Utf16zToUtf8(const WCHAR* src, char* dst, std::size_t cap, std::size_t& read) noexcept;

// Code page 936 (CodePage936.cpp). Invalid bytes become U+FFFD (or fail when strict);
// characters that 936 cannot hold become the default character and set *usedDefault.
Result GbkToUtf16(const char* src, std::size_t n, WCHAR* dst, std::size_t cap, bool strict) noexcept;
Result Utf16ToGbk(const WCHAR* src, std::size_t n, char* dst, std::size_t cap, const char* defaultChar,
                  BOOL* usedDefault) noexcept;

}  // namespace utility::platform::codepage
