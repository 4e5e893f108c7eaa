// strtod's decimal form, read from UTF-16 text. The number can hold only ASCII characters, so
// the common case reads the units directly; a locale with another decimal separator goes
// through the 8-bit form as the C library sees it.
#include "NumberScan.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Numeric.h>

namespace utility::variant {
namespace {

constexpr int kBufferBytes = 1024;

bool IsCSpace(unsigned c) noexcept { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(unsigned c) noexcept { return c >= '0' && c <= '9'; }

// Copies the number at the start of src (n units) into out, with the given decimal separator,
// and returns its length; 0 when there is no number. out holds kBufferBytes.
template <class Unit>
int ExtractNumber(const Unit* src, int n, const char* point, char* out) noexcept {
  const int pointLength = static_cast<int>(std::strlen(point));
  int i = 0;
  while (i < n && IsCSpace(static_cast<unsigned>(src[i]))) ++i;
  int length = 0;
  if (i < n && (src[i] == '+' || src[i] == '-')) out[length++] = static_cast<char>(src[i++]);
  int digits = 0;
  while (i < n && IsDigit(static_cast<unsigned>(src[i]))) out[length++] = static_cast<char>(src[i++]), ++digits;
  bool pointThere = i + pointLength <= n;
  for (int k = 0; pointThere && k < pointLength; ++k) {
    pointThere = static_cast<unsigned>(src[i + k]) == static_cast<unsigned char>(point[k]);
  }
  if (pointThere) {
    int j = i + pointLength;
    int fraction = 0;
    const int at = length;
    for (int k = 0; k < pointLength; ++k) out[length++] = point[k];
    while (j < n && IsDigit(static_cast<unsigned>(src[j]))) out[length++] = static_cast<char>(src[j++]), ++fraction;
    if (digits + fraction == 0)
      length = at;  // a lone separator is no number
    else
      i = j, digits += fraction;
  }
  if (digits == 0) return 0;
  if (i < n && (src[i] == 'e' || src[i] == 'E')) {
    int j = i + 1;
    if (j < n && (src[j] == '+' || src[j] == '-')) ++j;
    if (j < n && IsDigit(static_cast<unsigned>(src[j]))) {
      while (i < j) out[length++] = static_cast<char>(src[i++]);
      while (i < n && IsDigit(static_cast<unsigned>(src[i]))) out[length++] = static_cast<char>(src[i++]);
    }
  }
  out[length] = 0;
  return length;
}

// Text that is nothing but an optional sign and up to 15 digits names an integer that a double
// holds exactly, so it is read here without asking for the decimal separator.
bool ScanPlainInteger(const WCHAR* p, int n, double& value) noexcept {
  int i = 0;
  const bool negative = n > 0 && p[0] == u'-';
  if (n > 0 && (p[0] == u'-' || p[0] == u'+')) ++i;
  if (i == n || n - i > 15) return false;
  long long magnitude = 0;
  for (; i < n; ++i) {
    if (!IsDigit(p[i])) return false;
    magnitude = magnitude * 10 + (p[i] - u'0');
  }
  value = negative ? -static_cast<double>(magnitude) : static_cast<double>(magnitude);
  return true;
}

}  // namespace

double ScanNumber(const CString& text) {
  double plain = 0.0;
  if (ScanPlainInteger(text.GetString(), text.GetLength(), plain)) return plain;
  char number[kBufferBytes];
  const char* point = utility::platform::DecimalSeparator();
  int length = 0;
  if (point[0] == '.' && point[1] == 0) {
    // Every character of a number is one byte in the 8-bit form, so the first 1023 units
    // stand for the first 1023 bytes as far as the number can reach.
    const int n = text.GetLength() < kBufferBytes - 1 ? text.GetLength() : kBufferBytes - 1;
    length = ExtractNumber(text.GetString(), n, point, number);
    if (length == 0) return 0.0;
    const char* first = number[0] == '+' ? number + 1 : number;
    double value = 0.0;
    const std::from_chars_result r = std::from_chars(first, number + length, value, std::chars_format::general);
    if (r.ec == std::errc() && r.ptr == number + length) return value;
    return std::strtod(number, nullptr);  // overflow and underflow: strtod's infinities and zeros
  }
  char ansi[kBufferBytes] = {};
  const int converted =
      WideCharToMultiByte(CP_ACP, 0, text.GetString(), text.GetLength(), ansi, kBufferBytes - 1, nullptr, nullptr);
  // A text too long for the buffer keeps what fitted.
  int bytes = converted > 0 ? converted : 0;
  if (converted == 0 && text.GetLength() > 0) bytes = static_cast<int>(strnlen(ansi, kBufferBytes - 1));
  ansi[bytes] = 0;
  length = ExtractNumber(ansi, bytes, point, number);
  return length == 0 ? 0.0 : std::strtod(number, nullptr);
}

}  // namespace utility::variant
