// FormatMessageW for system messages: a Win32 error code is mapped to the matching errno
// (through the platform's one table of errno and code pairs), whose C library message (in the
// user's language, through a locale object of its own, so that the process locale is neither
// read nor changed) becomes the text, ended with CR LF. The registry's own codes, which no errno
// describes, have the texts of the registry's table.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Message.h>
#include <Utility/Platform/String.h>

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <string.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "RegistryMessages.h"
#include "posix/Errno.h"

namespace {

// A locale object for the messages: the user's from the environment, or the untranslated
// "C" texts. Never installed as the process's or the thread's locale.
locale_t MessageLocale(bool english) {
  if (!english) {
    if (locale_t l = newlocale(LC_MESSAGES_MASK | LC_CTYPE_MASK, "", nullptr)) return l;
    if (locale_t l = newlocale(LC_MESSAGES_MASK, "", nullptr)) return l;
  }
  return newlocale(LC_ALL_MASK, "C", nullptr);
}

// Text in the locale's character set as UTF-8 (plain ASCII passes unchanged).
std::string ToUtf8(const char* text, locale_t locale) {
  std::string in(text);
  const bool ascii = std::all_of(in.begin(), in.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  const char* codeset = nl_langinfo_l(CODESET, locale);
  if (ascii || codeset == nullptr || std::strcmp(codeset, "UTF-8") == 0) return in;
  iconv_t cd = iconv_open("UTF-8", codeset);
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
  std::string out(in.size() * 4 + 16, '\0');
  char* src = in.data();
  std::size_t srcLeft = in.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) return in;
  out.resize(out.size() - dstLeft);
  return out;
}

bool SystemText(DWORD code, bool english, bool lineEnd, CString& text) {
  int error = 0;
  if (!platform::ErrnoFromError(code, error)) {
    // The registry's own codes have texts of their own, in English.
    const char* own = utility::platform::registry::MessageOf(code);
    if (own == nullptr) return false;
    text = CString::FromUtf8(own);
    if (lineEnd) text += u"\r\n";
    return true;
  }
  locale_t locale = MessageLocale(english);
  std::string utf8;
  if (locale != static_cast<locale_t>(nullptr)) {
    utf8 = ToUtf8(strerror_l(error, locale), locale);
    freelocale(locale);
  } else {
    utf8 = strerrordesc_np(error) != nullptr ? strerrordesc_np(error) : "";
  }
  if (utf8.empty()) return false;
  text = CString::FromUtf8(utf8);
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
