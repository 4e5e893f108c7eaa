// UnicodeToAnsi and AnsiToUnicode: conversions into a block of the COM task allocator,
// reporting failure as an HRESULT. The block is 2 x (L + 1) bytes in both directions.
//
// In the 8-bit direction that is room for two bytes per unit. The active code page is UTF-8,
// where a unit from U+0800 up takes three bytes, so text made mostly of such characters
// (CJK, for instance) does not fit: the conversion then fails with ERROR_INSUFFICIENT_BUFFER
// and the result is 0x8007007A with out null, exactly as the block size dictates.
#include <climits>
#include <cstring>

#include <Utility/Utility.h>

namespace {

// The common end of a failed conversion: give the block back, report the last error.
template <class T>
LONG Abandon(T*& out) {
  const DWORD error = GetLastError();
  CoTaskMemFree(out);
  out = nullptr;
  return HRESULT_FROM_WIN32(static_cast<long>(error));
}

}  // namespace

LONG CUtility::UnicodeToAnsi(const unsigned short* text, char** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (text == nullptr) return S_OK;
  // lstrlenW stops at INT_MAX, which the size check below refuses like any longer text.
  const std::size_t units = static_cast<std::size_t>(lstrlenW(text)) + 1;
  if (units > static_cast<std::size_t>(INT_MAX) / 2) return E_INVALIDARG;
  const std::size_t bytes = 2 * units;
  *out = static_cast<char*>(CoTaskMemAlloc(bytes));
  if (*out == nullptr) return E_OUTOFMEMORY;
  if (WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), *out, static_cast<int>(bytes), nullptr, nullptr) !=
      0) {
    return S_OK;
  }
  return Abandon(*out);
}

LONG CUtility::AnsiToUnicode(const char* text, unsigned short** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (text == nullptr) return S_OK;
  const std::size_t bytes = std::strlen(text) + 1;
  if (bytes > static_cast<std::size_t>(INT_MAX)) return E_INVALIDARG;
  *out = static_cast<WCHAR*>(CoTaskMemAlloc(2 * bytes));
  if (*out == nullptr) return E_OUTOFMEMORY;
  if (MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(bytes), *out, static_cast<int>(bytes)) != 0) {
    return S_OK;
  }
  return Abandon(*out);
}
