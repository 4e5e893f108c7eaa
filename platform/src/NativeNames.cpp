// The lossless mapping between native name bytes and UTF-16 (see NativeNames.h). The UTF-8
// itself is the code page converter's, run strict; this file adds only the byte escapes.
#include "NativeNames.h"

#include <Utility/Platform/Error.h>

#include "CodePageBackend.h"

namespace utility::platform {
namespace {

constexpr bool IsHighSurrogate(WCHAR u) noexcept { return u >= 0xD800 && u <= 0xDBFF; }

// The length of the UTF-8 sequence that lead would start; 0 for a byte no sequence starts with.
constexpr std::size_t SequenceLength(unsigned char lead) noexcept {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Decoding a name that holds invalid UTF-8, one character or escaped byte at a time.
std::size_t DecodeEscaping(const unsigned char* s, std::size_t n, WCHAR* out, std::size_t capacity) noexcept {
  std::size_t written = 0;
  for (std::size_t i = 0; i < n;) {
    const std::size_t length = SequenceLength(s[i]);
    WCHAR units[2];
    utility::platform::codepage::Result r{0, ERROR_NO_UNICODE_TRANSLATION};
    if (length != 0 && n - i >= length) r = utility::platform::codepage::Utf8ToUtf16(s + i, length, units, 2, true);
    const bool valid = r.error == 0;
    if (!valid) units[0] = static_cast<WCHAR>(0xDC00 + s[i]);
    const std::size_t count = valid ? r.count : 1;
    if (out != nullptr) {
      if (capacity - written < count) break;
      for (std::size_t k = 0; k < count; ++k) out[written + k] = units[k];
    }
    written += count;
    i += valid ? length : 1;
  }
  return written;
}

// Appends the UTF-8 of name[0, length), which holds no byte escape; false for a lone surrogate.
bool AppendStrictUtf8(const WCHAR* name, std::size_t length, std::string& out) {
  if (length == 0) return true;
  const utility::platform::codepage::Result size =
      utility::platform::codepage::Utf16ToUtf8(name, length, nullptr, 0, true);
  if (size.error != 0) return false;
  const std::size_t at = out.size();
  out.resize(at + size.count);
  utility::platform::codepage::Utf16ToUtf8(name, length, out.data() + at, size.count, true);
  return true;
}

}  // namespace

bool EncodeNativeName(const WCHAR* name, std::size_t length, std::string& out) {
  const std::size_t start = out.size();
  bool escaped = false;
  std::size_t run = 0;  // where the units since the last escape begin
  for (std::size_t i = 0; i < length; ++i) {
    // A low surrogate after a high one is half of a pair, not an escape.
    const bool escape =
        name[i] >= kFirstByteEscape && name[i] <= kLastByteEscape && (i == 0 || !IsHighSurrogate(name[i - 1]));
    if (!escape) continue;
    if (!AppendStrictUtf8(name + run, i - run, out)) return false;
    out.push_back(static_cast<char>(name[i] - 0xDC00));
    escaped = true;
    run = i + 1;
  }
  if (!AppendStrictUtf8(name + run, length - run, out)) return false;
  if (!escaped) return true;
  // Escaped bytes may join their neighbours into a valid sequence, which would read back as a
  // different name: only a name that decodes to itself has a native form.
  const std::string_view native = std::string_view(out).substr(start);
  std::basic_string<WCHAR> back(DecodeNativeName(native, nullptr, 0), WCHAR{0});
  DecodeNativeName(native, back.data(), back.size());
  return back.compare(0, back.size(), name, length) == 0;
}

std::size_t DecodeNativeName(std::string_view native, WCHAR* out, std::size_t capacity) noexcept {
  const auto* s = reinterpret_cast<const unsigned char*>(native.data());
  // Valid UTF-8, nearly every name, is decoded whole; a name cut to capacity ends between
  // characters as well.
  const utility::platform::codepage::Result whole =
      utility::platform::codepage::Utf8ToUtf16(s, native.size(), out, capacity, true);
  if (whole.error != ERROR_NO_UNICODE_TRANSLATION) return whole.count;
  return DecodeEscaping(s, native.size(), out, capacity);
}

}  // namespace utility::platform
