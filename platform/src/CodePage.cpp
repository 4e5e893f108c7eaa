// MultiByteToWideChar and WideCharToMultiByte: argument and flag checks, the code-page
// choice and Win32's count rules. The converters themselves are in Utf8Codec.cpp and
// CodePage936.cpp (over the system converter in posix/NativeCodePage936.cpp).
#include <Utility/Platform/CodePage.h>

#include <climits>
#include <cstring>

#include <Utility/Platform/Error.h>

#include "CodePageBackend.h"

namespace {

// Flags that Win32 accepts for the double-byte code pages but that change nothing here.
constexpr DWORD kMbComposite = 0x00000002u;
constexpr DWORD kMbUseGlyphChars = 0x00000004u;
constexpr DWORD kWcDiscardNs = 0x00000010u;
constexpr DWORD kWcSepChars = 0x00000020u;
constexpr DWORD kWcDefaultChar = 0x00000040u;
constexpr DWORD kWcCompositeCheck = 0x00000200u;

enum class Page { Utf8, Gbk, Unknown };

Page Resolve(UINT codePage) noexcept {
  switch (codePage) {
    case CP_ACP:
    case CP_OEMCP:
    case CP_THREAD_ACP:
    case CP_UTF8:
      return Page::Utf8;
    case CP_GBK:
      return Page::Gbk;
    default:
      return Page::Unknown;
  }
}

int Fail(DWORD error) noexcept {
  SetLastError(error);
  return 0;
}

// Turns a converter's result into the return value, with the last error on failure.
int Finish(const utility::platform::codepage::Result& r) noexcept {
  if (r.error != 0) return Fail(r.error);
  if (r.count > static_cast<std::size_t>(INT_MAX)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  return static_cast<int>(r.count);
}

// Units before the terminator, read one at a time: nothing tells how far the text's memory
// reaches, so no read may pass the terminator, not even within an aligned block. Four units per
// turn of the loop keep it at about two units a cycle.
std::size_t WideLength(const WCHAR* s) noexcept {
  std::size_t n = 0;
  for (;; n += 4) {
    if (s[n] == 0) return n;
    if (s[n + 1] == 0) return n + 1;
    if (s[n + 2] == 0) return n + 2;
    if (s[n + 3] == 0) return n + 3;
  }
}

}  // namespace

UINT GetACP() noexcept { return CP_UTF8; }

int lstrlenW(const WCHAR* text) noexcept {
  if (text == nullptr) return 0;
  const std::size_t n = WideLength(text);
  return n > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

utility::platform::Utf8Piece utility::platform::Utf16zToUtf8(const WCHAR* text, char* dst, std::size_t cap) noexcept {
  std::size_t read = 0;
  const auto r = utility::platform::codepage::Utf16zToUtf8(text, dst, cap, read);
  return {read, r.count, r.error == 0};
}

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcLength, WCHAR* dst,
                        int dstCapacity) noexcept {
  if (src == nullptr || srcLength == 0 || srcLength < -1 || dstCapacity < 0 || (dst == nullptr && dstCapacity != 0)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const Page page = Resolve(codePage);
  if (page == Page::Unknown) return Fail(ERROR_INVALID_PARAMETER);
  if (page == Page::Utf8) {
    if ((flags & ~MB_ERR_INVALID_CHARS) != 0) return Fail(ERROR_INVALID_FLAGS);
  } else {
    const DWORD allowed = MB_PRECOMPOSED | kMbComposite | kMbUseGlyphChars | MB_ERR_INVALID_CHARS;
    if ((flags & ~allowed) != 0 || ((flags & MB_PRECOMPOSED) && (flags & kMbComposite))) {
      return Fail(ERROR_INVALID_FLAGS);
    }
  }
  const std::size_t n = srcLength == -1 ? std::strlen(src) + 1 : static_cast<std::size_t>(srcLength);
  const bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
  WCHAR* out = dstCapacity == 0 ? nullptr : dst;  // a capacity of 0 only measures
  const auto cap = static_cast<std::size_t>(dstCapacity);
  return Finish(page == Page::Utf8 ? utility::platform::codepage::Utf8ToUtf16(
                                         reinterpret_cast<const unsigned char*>(src), n, out, cap, strict)
                                   : utility::platform::codepage::GbkToUtf16(src, n, out, cap, strict));
}

int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* src, int srcLength, char* dst, int dstCapacity,
                        const char* defaultChar, BOOL* usedDefaultChar) noexcept {
  if (src == nullptr || srcLength == 0 || srcLength < -1 || dstCapacity < 0 || (dst == nullptr && dstCapacity != 0)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const Page page = Resolve(codePage);
  if (page == Page::Unknown) return Fail(ERROR_INVALID_PARAMETER);
  const std::size_t n = srcLength == -1 ? WideLength(src) + 1 : static_cast<std::size_t>(srcLength);
  char* out = dstCapacity == 0 ? nullptr : dst;  // a capacity of 0 only measures
  const auto cap = static_cast<std::size_t>(dstCapacity);
  if (page == Page::Utf8) {
    // UTF-8 holds every character, so there is no default character to name or report.
    if (defaultChar != nullptr || usedDefaultChar != nullptr) return Fail(ERROR_INVALID_PARAMETER);
    if ((flags & ~WC_ERR_INVALID_CHARS) != 0) return Fail(ERROR_INVALID_FLAGS);
    return Finish(utility::platform::codepage::Utf16ToUtf8(src, n, out, cap, (flags & WC_ERR_INVALID_CHARS) != 0));
  }
  const DWORD allowed = WC_NO_BEST_FIT_CHARS | kWcCompositeCheck | kWcDiscardNs | kWcSepChars | kWcDefaultChar;
  if ((flags & ~allowed) != 0) return Fail(ERROR_INVALID_FLAGS);
  if (usedDefaultChar != nullptr) *usedDefaultChar = FALSE;
  return Finish(utility::platform::codepage::Utf16ToGbk(src, n, out, cap, defaultChar, usedDefaultChar));
}
