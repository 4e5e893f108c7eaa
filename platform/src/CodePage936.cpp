// Code page 936 over the system's converter (NativeCodePage936.h), with Win32's rules for what
// the converter cannot take.
//
// Decoding: a lead and trail byte pair that 936 leaves unassigned becomes one U+FFFD; a byte
// that starts no character (0xFF, a lead byte without a valid trail byte, a lead byte at the
// end) becomes one U+FFFD and decoding resumes at the next byte, so an ASCII byte after a bad
// lead byte survives. Encoding: a character outside 936, or a lone surrogate, becomes the default
// character ('?' unless the caller names one).
#include <cstring>

#include <Utility/Platform/Error.h>

#include "CodePageBackend.h"
#include "NativeCodePage936.h"

namespace utility::platform::codepage {
namespace {

using utility::platform::ConvertNativeGbk;
using utility::platform::Gbk;
using utility::platform::GbkStop;

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
  if (!utility::platform::StartNativeGbk(Gbk::kToWide)) return {0, ERROR_NOT_SUPPORTED};
  Sink<WCHAR> sink{dst, cap};
  const char* in = src;
  std::size_t inLeft = n;
  WCHAR chunk[512];
  while (inLeft != 0) {
    char* out = reinterpret_cast<char*>(chunk);
    std::size_t outLeft = sizeof chunk;
    const GbkStop stop = ConvertNativeGbk(Gbk::kToWide, in, inLeft, out, outLeft);
    const std::size_t produced = (sizeof chunk - outLeft) / sizeof(WCHAR);
    for (std::size_t k = 0; k < produced; ++k) {
      if (!sink.Put(chunk + k, 1)) return {sink.count, ERROR_INSUFFICIENT_BUFFER};
    }
    if (stop == GbkStop::kInvalid) {
      if (strict) return {sink.count, ERROR_NO_UNICODE_TRANSLATION};
      const WCHAR replacement = 0xFFFD;
      if (!sink.Put(&replacement, 1)) return {sink.count, ERROR_INSUFFICIENT_BUFFER};
      // A well-formed pair that 936 leaves unassigned is one character; otherwise only the
      // offending byte goes, so that what follows it is read afresh.
      const std::size_t skip =
          inLeft >= 2 && IsLeadByte(static_cast<unsigned char>(in[0])) && IsTrailByte(static_cast<unsigned char>(in[1]))
              ? 2
              : 1;
      in += skip;
      inLeft -= skip;
      utility::platform::ResetNativeGbk(Gbk::kToWide);
    } else if (stop == GbkStop::kFailed) {
      return {sink.count, ERROR_INVALID_DATA};
    }
  }
  return {sink.count, 0};
}

Result Utf16ToGbk(const WCHAR* src, std::size_t n, char* dst, std::size_t cap, const char* defaultChar,
                  BOOL* usedDefault) noexcept {
  if (!utility::platform::StartNativeGbk(Gbk::kFromWide)) return {0, ERROR_NOT_SUPPORTED};
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
  const char* in = reinterpret_cast<const char*>(src);
  std::size_t inLeft = n * sizeof(WCHAR);
  char chunk[1024];
  while (inLeft != 0) {
    char* out = chunk;
    std::size_t outLeft = sizeof chunk;
    const GbkStop stop = ConvertNativeGbk(Gbk::kFromWide, in, inLeft, out, outLeft);
    const std::size_t produced = sizeof chunk - outLeft;
    for (std::size_t k = 0; k < produced;) {
      const std::size_t width = IsLeadByte(static_cast<unsigned char>(chunk[k])) && k + 1 < produced ? 2 : 1;
      if (!sink.Put(chunk + k, width)) return {sink.count, ERROR_INSUFFICIENT_BUFFER};
      k += width;
    }
    if (stop == GbkStop::kInvalid) {
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
      utility::platform::ResetNativeGbk(Gbk::kFromWide);
    } else if (stop == GbkStop::kFailed) {
      return {sink.count, ERROR_INVALID_DATA};
    }
  }
  return {sink.count, 0};
}

}  // namespace utility::platform::codepage
