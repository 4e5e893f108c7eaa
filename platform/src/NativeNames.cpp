// The lossless mapping between native name bytes and UTF-16 (see NativeNames.h).
#include "NativeNames.h"

#include <cstdint>

namespace platform {
namespace {

constexpr bool IsContinuation(unsigned char c) noexcept { return (c & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence at s[0, n), with its code point in cp; 0 when the
// sequence is not valid (the bounds on the second byte rule out overlongs, surrogates and code
// points above U+10FFFF, as the Unicode standard's table of well-formed sequences does).
std::size_t Sequence(const unsigned char* s, std::size_t n, std::uint32_t& cp) noexcept {
  const unsigned char c = s[0];
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
    cp = c & 0x1Fu;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    cp = c & 0x0Fu;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    cp = c & 0x07u;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (n < length || s[1] < low || s[1] > high) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if (!IsContinuation(s[k])) return 0;
    cp = (cp << 6) | (s[k] & 0x3Fu);
  }
  return length;
}

void AppendUtf8(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Calls emit with the UTF-16 units of each character of native in turn (one or two units), until
// it returns false.
template <class Emit>
void Decode(std::string_view native, Emit emit) noexcept {
  const auto* s = reinterpret_cast<const unsigned char*>(native.data());
  const std::size_t n = native.size();
  for (std::size_t i = 0; i < n;) {
    std::uint32_t cp = 0;
    const std::size_t length = Sequence(s + i, n - i, cp);
    if (length == 0) {
      if (!emit(static_cast<WCHAR>(0xDC00 + s[i]), WCHAR{0})) return;
      ++i;
      continue;
    }
    const bool pair = cp >= 0x10000;
    const WCHAR first = static_cast<WCHAR>(pair ? 0xD800 + ((cp - 0x10000) >> 10) : cp);
    if (!emit(first, pair ? static_cast<WCHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF)) : WCHAR{0})) return;
    i += length;
  }
}

// Whether native decodes to exactly name[0, length).
bool DecodesTo(std::string_view native, const WCHAR* name, std::size_t length) noexcept {
  std::size_t at = 0;
  bool same = true;
  Decode(native, [&](WCHAR first, WCHAR second) {
    same = at < length && name[at++] == first && (second == 0 || (at < length && name[at++] == second));
    return same;
  });
  return same && at == length;
}

}  // namespace

bool EncodeNativeName(const WCHAR* name, std::size_t length, std::string& out) {
  const std::size_t start = out.size();
  bool escaped = false;
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint32_t u = name[i];
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < length && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
      AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (name[i + 1] - 0xDC00u), out);
      ++i;
    } else if (u >= kFirstByteEscape && u <= kLastByteEscape) {
      out.push_back(static_cast<char>(u - 0xDC00));
      escaped = true;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      return false;
    } else {
      AppendUtf8(u, out);
    }
  }
  // Escaped bytes may join their neighbours into a valid sequence, which would read back as a
  // different name: only a name that decodes to itself has a native form.
  return !escaped || DecodesTo(std::string_view(out).substr(start), name, length);
}

std::size_t DecodeNativeName(std::string_view native, WCHAR* out, std::size_t capacity) noexcept {
  std::size_t written = 0;
  Decode(native, [&](WCHAR first, WCHAR second) {
    const std::size_t units = second == 0 ? 1 : 2;
    if (capacity - written < units) return false;
    out[written++] = first;
    if (second != 0) out[written++] = second;
    return true;
  });
  return written;
}

std::size_t DecodedLength(std::string_view native) noexcept {
  std::size_t units = 0;
  Decode(native, [&](WCHAR, WCHAR second) {
    units += second == 0 ? 1 : 2;
    return true;
  });
  return units;
}

}  // namespace platform
