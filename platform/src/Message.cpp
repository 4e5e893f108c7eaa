// FormatMessageW for system messages, with Win32's buffer rules: the system's text for a Win32
// error code (NativeMessages.h), ended with CR LF. The registry's own codes, which the system
// does not describe, have the texts of the registry's table, in English.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Message.h>
#include <Utility/Platform/String.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "NativeMessages.h"
#include "RegistryMessages.h"

namespace {

bool SystemText(DWORD code, bool english, bool lineEnd, CString& text) {
  std::string utf8;
  if (utility::platform::NativeErrorText(code, english, utf8)) {
    text = CString::FromUtf8(utf8);
  } else if (const char* own = utility::platform::registry::MessageOf(code)) {
    text = CString::FromUtf8(own);
  } else {
    return false;
  }
  if (lineEnd) text += u"\r\n";
  return true;
}

}  // namespace

HLOCAL LocalAlloc(UINT flags, SIZE_T size) noexcept {
  void* block = (flags & LMEM_ZEROINIT) != 0 ? std::calloc(size == 0 ? 1 : size, 1) : std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

HLOCAL LocalFree(HLOCAL block) noexcept {
  std::free(block);
  return nullptr;
}

DWORD FormatMessageW(DWORD flags, LPCVOID /*source*/, DWORD messageId, DWORD languageId, WCHAR* buffer, DWORD size,
                     va_list* /*args*/) noexcept {
  const bool allocate = (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0;
  if (buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (allocate) *reinterpret_cast<WCHAR**>(buffer) = nullptr;
  if ((flags & (FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE)) !=
      FORMAT_MESSAGE_FROM_SYSTEM) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
  }
  const DWORD primary = languageId & 0x3FFu;
  const bool english = primary == LANG_ENGLISH;
  if (primary != LANG_NEUTRAL && !english) {
    SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
    return 0;
  }
  try {
    CString text;
    const bool lineEnd = (flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) != FORMAT_MESSAGE_MAX_WIDTH_MASK;
    if (!SystemText(messageId, english, lineEnd, text)) {
      if (!allocate && size != 0) buffer[0] = 0;
      SetLastError(ERROR_MR_MID_NOT_FOUND);
      return 0;
    }
    const auto length = static_cast<DWORD>(text.GetLength());
    WCHAR* out = buffer;
    if (allocate) {
      const DWORD units = std::max(length + 1, size);
      out = static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, static_cast<SIZE_T>(units) * sizeof(WCHAR)));
      if (out == nullptr) return 0;
    } else if (length + 1 > size) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::copy_n(text.GetString(), length + 1, out);
    if (allocate) *reinterpret_cast<WCHAR**>(buffer) = out;
    SetLastError(ERROR_SUCCESS);
    return length;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
}
