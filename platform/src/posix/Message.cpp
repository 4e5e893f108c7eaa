// FormatMessageW for system messages: a Win32 error code is mapped to the matching errno, whose
// C library message (in the user's language, through a locale object of its own, so that the
// process locale is neither read nor changed) becomes the text, ended with CR LF.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Message.h>
#include <Utility/Platform/String.h>

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <string.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct CodeToErrno {
  DWORD code;
  int error;
};

// Win32 codes that have a C library counterpart. A code missing here has no message.
constexpr CodeToErrno kMessages[] = {
    {0, 0},                                   // the operation completed successfully
    {ERROR_INVALID_FUNCTION, ENOSYS},
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_INVALID_HANDLE, EBADF},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_INVALID_DATA, EINVAL},
    {ERROR_OUTOFMEMORY, ENOMEM},
    {15, ENODEV},                             // ERROR_INVALID_DRIVE
    {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_WRITE_PROTECT, EROFS},
    {ERROR_NOT_READY, EAGAIN},
    {23, EIO},                                // ERROR_CRC
    {29, EIO},                                // ERROR_WRITE_FAULT
    {30, EIO},                                // ERROR_READ_FAULT
    {31, EIO},                                // ERROR_GEN_FAILURE
    {ERROR_SHARING_VIOLATION, EBUSY},
    {ERROR_LOCK_VIOLATION, ENOLCK},
    {39, ENOSPC},                             // ERROR_HANDLE_DISK_FULL
    {ERROR_NOT_SUPPORTED, EOPNOTSUPP},
    {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_INVALID_PARAMETER, EINVAL},
    {ERROR_BROKEN_PIPE, EPIPE},
    {111, ENAMETOOLONG},                      // ERROR_BUFFER_OVERFLOW
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_CALL_NOT_IMPLEMENTED, ENOSYS},
    {ERROR_INSUFFICIENT_BUFFER, ENOBUFS},
    {ERROR_INVALID_NAME, EINVAL},
    {ERROR_MOD_NOT_FOUND, ENOENT},
    {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},
    {ERROR_BUSY, EBUSY},
    {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_BAD_EXE_FORMAT, ENOEXEC},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
    {ERROR_NO_MORE_ITEMS, ENODATA},
    {ERROR_DIRECTORY, ENOTDIR},
    {995, ECANCELED},                         // ERROR_OPERATION_ABORTED
    {ERROR_NO_UNICODE_TRANSLATION, EILSEQ},
    {1168, ENOENT},                           // ERROR_NOT_FOUND
    {ERROR_TIMEOUT, ETIMEDOUT},
    {1784, EFAULT},                           // ERROR_INVALID_USER_BUFFER
    {10004, EINTR},                           // the socket library's codes
    {10013, EACCES},
    {10014, EFAULT},
    {10022, EINVAL},
    {10024, EMFILE},
    {10035, EWOULDBLOCK},
    {10036, EINPROGRESS},
    {10037, EALREADY},
    {10038, ENOTSOCK},
    {10040, EMSGSIZE},
    {10047, EAFNOSUPPORT},
    {10048, EADDRINUSE},
    {10049, EADDRNOTAVAIL},
    {10050, ENETDOWN},
    {10051, ENETUNREACH},
    {10052, ENETRESET},
    {10053, ECONNABORTED},
    {10054, ECONNRESET},
    {10055, ENOBUFS},
    {10056, EISCONN},
    {10057, ENOTCONN},
    {10060, ETIMEDOUT},
    {10061, ECONNREFUSED},
    {10064, EHOSTDOWN},
    {10065, EHOSTUNREACH},
};

bool ErrnoFor(DWORD code, int& error) {
  for (const CodeToErrno& m : kMessages) {
    if (m.code == code) {
      error = m.error;
      return true;
    }
  }
  return false;
}

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
  if (!ErrnoFor(code, error)) return false;
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
