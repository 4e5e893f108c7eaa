// Code page 936 through glibc's iconv. Each thread keeps its own pair of descriptors (a
// descriptor holds conversion state and must not be shared), opened on first use and closed
// when the thread ends; the process locale is never read or changed.
//
// Decoding: a lead and trail byte pair that 936 leaves unassigned becomes one U+FFFD; a byte
// that starts no character (0xFF, a lead byte without a valid trail byte, a lead byte at the
// end) becomes one U+FFFD and decoding resumes at the next byte, so an ASCII byte after a bad
// lead byte survives. Encoding: a character outside 936, or a lone surrogate, becomes the default
// character ('?' unless the caller names one).
#include <cerrno>
#include <cstring>

#include <iconv.h>

#include <Utility/Platform/Error.h>

#include "CodePageBackend.h"

namespace codepage {
namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

class Descriptors {
 public:
  ~Descriptors() {
    if (m_toWide != kNoDescriptor) iconv_close(m_toWide);
    if (m_toGbk != kNoDescriptor) iconv_close(m_toGbk);
  }
  iconv_t ToWide() noexcept { return Get(m_toWide, "UTF-16LE", "CP936"); }
  iconv_t ToGbk() noexcept { return Get(m_toGbk, "CP936", "UTF-16LE"); }

 private:
  static iconv_t Get(iconv_t& slot, const char* to, const char* from) noexcept {
    if (slot == kNoDescriptor) slot = iconv_open(to, from);
    if (slot != kNoDescriptor) iconv(slot, nullptr, nullptr, nullptr, nullptr);  // initial state
    return slot;
  }
  iconv_t m_toWide = kNoDescriptor;
  iconv_t m_toGbk = kNoDescriptor;
};

thread_local Descriptors t_descriptors;

// Collects output: counts it, and copies what fits when there is a destination.
template <class Unit>
struct Sink {
  Unit* dst;
  std::size_t cap;
  std::size_t count = 0;

  // Appends one character of width units; false when it does not fit.
  bool Put(const Unit* unit, std::size_t width) noexcept {
    if (dst != nullptr) {
      if (cap - count < width) return false;
      std::memcpy(dst + count, unit, width * sizeof(Unit));
    }
    count += width;
    return true;
  }
};

bool IsLeadByte(unsigned char b) noexcept { return b >= 0x81 && b <= 0xFE; }
bool IsTrailByte(unsigned char b) noexcept { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

}  // namespace

Result GbkToUtf16(const char* src, std::size_t n, WCHAR* dst, std::size_t cap, bool strict) noexcept {
  iconv_t cd = t_descriptors.ToWide();
  if (cd == kNoDescriptor) return {0, ERROR_NOT_SUPPORTED};
  Sink<WCHAR> sink{dst, cap};
  char* in = const_cast<char*>(src);
  std::size_t inLeft = n;
  WCHAR chunk[512];
  while (inLeft != 0) {
    char* out = reinterpret_cast<char*>(chunk);
    std::size_t outLeft = sizeof chunk;
    const std::size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
    const int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
    const std::size_t produced = (sizeof chunk - outLeft) / sizeof(WCHAR);
    for (std::size_t k = 0; k < produced; ++k) {
      if (!sink.Put(chunk + k, 1)) return {sink.count, ERROR_INSUFFICIENT_BUFFER};
    }
    if (error == EILSEQ || error == EINVAL) {
      if (strict) return {sink.count, ERROR_NO_UNICODE_TRANSLATION};
      const WCHAR replacement = 0xFFFD;
      if (!sink.Put(&replacement, 1)) return {sink.count, ERROR_INSUFFICIENT_BUFFER};
      // A well-formed pair that 936 leaves unassigned is one character; otherwise only the
      // offending byte goes, so that what follows it is read afresh.
      const std::size_t skip = inLeft >= 2 && IsLeadByte(static_cast<unsigned char>(in[0])) &&
                                       IsTrailByte(static_cast<unsigned char>(in[1]))
                                   ? 2
                                   : 1;
      in += skip;
      inLeft -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else if (error != 0 && error != E2BIG) {
      return {sink.count, ERROR_INVALID_DATA};
    }
  }
  return {sink.count, 0};
}

Result Utf16ToGbk(const WCHAR* src, std::size_t n, char* dst, std::size_t cap, const char* defaultChar,
                  BOOL* usedDefault) noexcept {
  iconv_t cd = t_descriptors.ToGbk();
  if (cd == kNoDescriptor) return {0, ERROR_NOT_SUPPORTED};
  // The default character: one byte, or a double-byte character of the code page.
  char fallback[2] = {'?', 0};
  std::size_t fallbackWidth = 1;
  if (defaultChar != nullptr) {
    fallback[0] = defaultChar[0];
    const auto lead = static_cast<unsigned char>(defaultChar[0]);
    if (IsLeadByte(lead) && IsTrailByte(static_cast<unsigned char>(defaultChar[1]))) {
      fallback[1] = defaultChar[1];
      fallbackWidth = 2;
    }
  }
  Sink<char> sink{dst, cap};
  char* in = reinterpret_cast<char*>(const_cast<WCHAR*>(src));
  std::size_t inLeft = n * sizeof(WCHAR);
  char chunk[1024];
  while (inLeft != 0) {
    char* out = chunk;
    std::size_t outLeft = sizeof chunk;
    const std::size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
    const int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
    const std::size_t produced = sizeof chunk - outLeft;
    for (std::size_t k = 0; k < produced;) {
      const std::size_t width = IsLeadByte(static_cast<unsigned char>(chunk[k])) && k + 1 < produced ? 2 : 1;
      if (!sink.Put(chunk + k, width)) return {sink.count, ERROR_INSUFFICIENT_BUFFER};
      k += width;
    }
    if (error == EILSEQ || error == EINVAL) {
      // Skip one character: a surrogate pair, or a single unit.
      WCHAR unit[2];
      std::memcpy(unit, in, sizeof(WCHAR));
      std::size_t skip = 1;
      if (unit[0] >= 0xD800 && unit[0] <= 0xDBFF && inLeft >= 2 * sizeof(WCHAR)) {
        std::memcpy(unit + 1, in + sizeof(WCHAR), sizeof(WCHAR));
        if (unit[1] >= 0xDC00 && unit[1] <= 0xDFFF) skip = 2;
      }
      if (!sink.Put(fallback, fallbackWidth)) return {sink.count, ERROR_INSUFFICIENT_BUFFER};
      if (usedDefault != nullptr) *usedDefault = TRUE;
      in += skip * sizeof(WCHAR);
      inLeft -= skip * sizeof(WCHAR);
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else if (error != 0 && error != E2BIG) {
      return {sink.count, ERROR_INVALID_DATA};
    }
  }
  return {sink.count, 0};
}

}  // namespace codepage
