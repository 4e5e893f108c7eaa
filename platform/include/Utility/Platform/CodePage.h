// Code-page conversion between 8-bit text and UTF-16, with Win32's count semantics.
// The active code page (CP_ACP) is UTF-8, fixed, whatever the environment says. Code page
// 936 goes through an explicit converter; no process-wide state is read or changed.
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

#define CP_ACP 0u
#define CP_OEMCP 1u
#define CP_THREAD_ACP 3u
#define CP_UTF8 65001u
#define CP_GBK 936u

#define MB_PRECOMPOSED 0x00000001u
#define MB_ERR_INVALID_CHARS 0x00000008u
#define WC_NO_BEST_FIT_CHARS 0x00000400u
#define WC_ERR_INVALID_CHARS 0x00000080u

// GetACP()
//
// The active code page: always CP_UTF8 (65001) here.
UTILITY_PLATFORM_API UINT GetACP() noexcept;

// lstrlenW()
//
// The units of text before its zero terminator; 0 for a null pointer, INT_MAX at most. Reads
// no unit past the terminator. Measure once and pass the length (terminator included) to the
// conversions below, rather than -1 to each.
//
// Example:
//   int n = lstrlenW(text);                                             // 3 for u"abc"
//   int bytes = WideCharToMultiByte(CP_ACP, 0, text, n + 1, nullptr, 0, nullptr, nullptr);
UTILITY_PLATFORM_API int lstrlenW(const WCHAR* text) noexcept;

// MultiByteToWideChar()
//
// Converts srcLength bytes of src (-1: up to and including its zero terminator) in the code
// page to UTF-16. With dstCapacity 0 returns the units needed; otherwise writes at most
// dstCapacity units and returns the number written. Fails with 0 and sets the last error:
// ERROR_INVALID_PARAMETER (null src, srcLength 0 or below -1, null dst with a capacity),
// ERROR_INSUFFICIENT_BUFFER (dst too small: what fitted has been written),
// ERROR_INVALID_FLAGS, or ERROR_NO_UNICODE_TRANSLATION (MB_ERR_INVALID_CHARS and an invalid
// sequence). Without MB_ERR_INVALID_CHARS an invalid sequence becomes U+FFFD.
// Code pages: CP_ACP, CP_THREAD_ACP and CP_OEMCP (all UTF-8 here), CP_UTF8, 936 (GBK).
//
// Example:
//   int n = MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0);   // 4
//   MultiByteToWideChar(CP_ACP, 0, "abc", -1, buffer, n);
UTILITY_PLATFORM_API int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcLength, WCHAR* dst,
                                             int dstCapacity) noexcept;

// WideCharToMultiByte()
//
// The reverse direction, with the same count rules. A character that the code page cannot
// hold becomes defaultChar (or '?' when it is null) and sets *usedDefaultChar; for UTF-8 both
// must be null (else ERROR_INVALID_PARAMETER), and a lone surrogate becomes U+FFFD.
//
// Example:
//   int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
UTILITY_PLATFORM_API int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* src, int srcLength, char* dst,
                                             int dstCapacity, const char* defaultChar, BOOL* usedDefaultChar) noexcept;

namespace utility::platform {

// Utf16zToUtf8()
//
// The UTF-8 of zero-terminated text into dst[0..cap), as WideCharToMultiByte with CP_UTF8 and
// flags 0 gives it (a lone surrogate as U+FFFD), the text read once and never past its
// terminator, which is not written. done: that was the whole text; otherwise the rest did not
// fit, and a call on text + read continues it (read is 0 only when cap cannot hold the next
// character). Converting piece by piece this way reads the text once, where measuring first
// (lstrlenW, then a measuring call) reads it three times.
//
// Example:
//   char buffer[256];
//   Utf8Piece p = Utf16zToUtf8(text, buffer, sizeof buffer);   // p.done, p.written == 3 for u"abc"
struct Utf8Piece {
  std::size_t read;     // units encoded
  std::size_t written;  // bytes written
  bool done;
};
UTILITY_PLATFORM_API Utf8Piece Utf16zToUtf8(const WCHAR* text, char* dst, std::size_t cap) noexcept;

}  // namespace utility::platform
