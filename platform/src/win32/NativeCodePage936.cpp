// Code page 936 through the system's own tables (MultiByteToWideChar and WideCharToMultiByte),
// one character at a time so that a step stops exactly where conversion fails or the output is
// full, as the rules above it need. The system's converters keep no state between calls.
#include "NativeCodePage936.h"

#include <windows.h>

namespace utility::platform {

namespace {

constexpr UINT kGbk = 936;

// One character from GBK bytes to UTF-16 units; 0 when the bytes are no character.
int ToWide(const char* in, std::size_t inLeft, wchar_t (&units)[2], std::size_t& used) noexcept {
  const auto lead = static_cast<unsigned char>(in[0]);
  if (lead < 0x80) {
    units[0] = static_cast<wchar_t>(lead);
    used = 1;
    return 1;
  }
  used = lead >= 0x81 && lead <= 0xFE ? 2 : 1;
  if (used > inLeft) return 0;
  return MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, in, static_cast<int>(used), units, 2);
}

// One character from UTF-16LE bytes to GBK bytes; 0 when 936 has no such character.
int FromWide(const char* in, std::size_t inLeft, char (&bytes)[4], std::size_t& used) noexcept {
  if (inLeft < 2) return 0;
  wchar_t units[2] = {static_cast<wchar_t>(static_cast<unsigned char>(in[0]) | static_cast<unsigned char>(in[1]) << 8),
                      0};
  used = 2;
  if (units[0] < 0x80) {
    bytes[0] = static_cast<char>(units[0]);
    return 1;
  }
  if (units[0] >= 0xD800 && units[0] <= 0xDBFF && inLeft >= 4) {
    units[1] = static_cast<wchar_t>(static_cast<unsigned char>(in[2]) | static_cast<unsigned char>(in[3]) << 8);
    if (units[1] >= 0xDC00 && units[1] <= 0xDFFF) used = 4;
  }
  BOOL defaulted = FALSE;
  const int n =
      WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, units, static_cast<int>(used / 2), bytes, 4, nullptr, &defaulted);
  return defaulted ? 0 : n;
}

}  // namespace

bool StartNativeGbk(Gbk) noexcept { return IsValidCodePage(kGbk) != 0; }

GbkStop ConvertNativeGbk(Gbk direction, const char*& in, std::size_t& inLeft, char*& out,
                         std::size_t& outLeft) noexcept {
  while (inLeft > 0) {
    std::size_t used = 0;
    char bytes[4];
    int n = 0;
    if (direction == Gbk::kToWide) {
      wchar_t units[2];
      n = ToWide(in, inLeft, units, used);
      for (int i = 0; i < n; ++i) {
        bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
      }
      n *= 2;
    } else {
      n = FromWide(in, inLeft, bytes, used);
    }
    if (n <= 0) return GbkStop::kInvalid;
    if (static_cast<std::size_t>(n) > outLeft) return GbkStop::kOutputFull;
    for (int i = 0; i < n; ++i) out[i] = bytes[i];
    out += n;
    outLeft -= static_cast<std::size_t>(n);
    in += used;
    inLeft -= used;
  }
  return GbkStop::kDone;
}

void ResetNativeGbk(Gbk) noexcept {}

}  // namespace utility::platform
