// The system's error texts: a Win32 error code is mapped to the matching errno (through the
// platform's one table of errno and code pairs), whose C library message is the text, in the
// user's language through a locale object of its own, so that the process locale is neither
// read nor changed.
#include "NativeMessages.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <string.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "posix/Errno.h"

namespace utility::platform {
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

}  // namespace

bool NativeErrorText(DWORD code, bool english, std::string& utf8) {
  int error = 0;
  if (!utility::platform::ErrnoFromError(code, error)) return false;
  // The C library shares the data of locale objects between threads, reference-counted under
  // a lock of its own; one lock of ours around a text's whole lookup makes that sharing
  // visible to the thread checkers too, and costs nothing next to loading a locale.
  static std::mutex lookups;
  const std::lock_guard<std::mutex> hold(lookups);
  locale_t locale = MessageLocale(english);
  if (locale != static_cast<locale_t>(nullptr)) {
    utf8 = ToUtf8(strerror_l(error, locale), locale);
    freelocale(locale);
  } else {
    utf8 = strerrordesc_np(error) != nullptr ? strerrordesc_np(error) : "";
  }
  return !utf8.empty();
}

}  // namespace utility::platform
