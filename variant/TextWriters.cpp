// Integer, hexadecimal, fixed-point and date text written as printf writes it.
#include "TextWriters.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include <Utility/Platform/Date.h>
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Numeric.h>

namespace utility::variant {

namespace {

// The digits of value, two per division, from the end at out + length backwards. Values that
// fit in 32 bits take 32-bit divisions, which cost less than 64-bit ones.
template <class Value>
void PutDigits(Value value, WCHAR* end) noexcept {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  while (value >= 100) {
    const unsigned pair = static_cast<unsigned>(value % 100) * 2;
    value /= 100;
    *--end = static_cast<WCHAR>(kPairs[pair + 1]);
    *--end = static_cast<WCHAR>(kPairs[pair]);
  }
  if (value >= 10) {
    const unsigned pair = static_cast<unsigned>(value) * 2;
    *--end = static_cast<WCHAR>(kPairs[pair + 1]);
    *--end = static_cast<WCHAR>(kPairs[pair]);
  } else {
    *--end = static_cast<WCHAR>(u'0' + value);
  }
}

// The number of decimal digits of value, from its bit width: log10(2) is about 1233 / 4096.
int DecimalDigits(unsigned long long value) noexcept {
  static constexpr unsigned long long kPowers[] = {1ull,
                                                   10ull,
                                                   100ull,
                                                   1000ull,
                                                   10000ull,
                                                   100000ull,
                                                   1000000ull,
                                                   10000000ull,
                                                   100000000ull,
                                                   1000000000ull,
                                                   10000000000ull,
                                                   100000000000ull,
                                                   1000000000000ull,
                                                   10000000000000ull,
                                                   100000000000000ull,
                                                   1000000000000000ull,
                                                   10000000000000000ull,
                                                   100000000000000000ull,
                                                   1000000000000000000ull,
                                                   10000000000000000000ull};
  const unsigned long long odd = value | 1;  // zero has one digit, as one has
  const int bits = 64 - std::countl_zero(odd);
  const int guess = (bits * 1233) >> 12;
  return guess + (odd >= kPowers[guess] ? 1 : 0);
}

}  // namespace

int WriteUnsigned(unsigned long long value, WCHAR* out) noexcept {
  const int length = DecimalDigits(value);
  if (value <= 0xFFFFFFFFull)
    PutDigits(static_cast<unsigned>(value), out + length);
  else
    PutDigits(value, out + length);
  return length;
}

int WriteSigned(long long value, WCHAR* out) noexcept {
  if (value >= 0) return WriteUnsigned(static_cast<unsigned long long>(value), out);
  out[0] = u'-';
  // Negating in unsigned arithmetic keeps the most negative value exact.
  return 1 + WriteUnsigned(0ull - static_cast<unsigned long long>(value), out + 1);
}

int WriteHex(std::uint64_t value, int minDigits, WCHAR* out) noexcept {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  int n = 1;
  while (n < 16 && (value >> (4 * n)) != 0) ++n;
  if (n < minDigits) n = minDigits;
  out[0] = u'0';
  out[1] = u'x';
  for (int i = 0; i < n; ++i) out[2 + n - 1 - i] = kDigits[(value >> (4 * i)) & 0xF];
  return 2 + n;
}

CString FixedText(double value, int places) {
  if (!std::isfinite(value)) {
    const bool negative = std::signbit(value);
    const char16_t* text = std::isinf(value) ? (negative ? u"-inf" : u"inf") : (negative ? u"-nan" : u"nan");
    return CString(text);
  }
  // A double's exact decimal expansion ends within 1074 places: beyond that every digit is 0,
  // so long place counts are written as zeros after the digits that can be nonzero.
  constexpr int kExactPlaces = 1080;
  const int exact = places < kExactPlaces ? places : kExactPlaces;
  char buffer[1 + 309 + 1 + kExactPlaces + 8];
  const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, exact);
  const int length = static_cast<int>(r.ptr - buffer);
  const int zeros = places - exact;

  const char* point = utility::platform::DecimalSeparator();
  const bool plainPoint = point[0] == '.' && point[1] == 0;
  CString text;
  WCHAR* out = text.GetBufferSetLength(length + zeros);
  for (int i = 0; i < length; ++i) out[i] = static_cast<WCHAR>(static_cast<unsigned char>(buffer[i]));
  for (int i = 0; i < zeros; ++i) out[length + i] = u'0';
  text.ReleaseBuffer(length + zeros);
  if (!plainPoint) text.Replace(u".", CString(point));
  return text;
}

namespace {

// printf's "%0Nd" for the small values of a date.
int WritePadded(int value, int width, WCHAR* out) noexcept {
  WCHAR digits[kIntegerTextUnits];
  int n = 0;
  if (value < 0) out[n++] = u'-';
  const unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  const int count = WriteUnsigned(magnitude, digits);
  for (int pad = n + count; pad < width; ++pad) out[n++] = u'0';
  for (int i = 0; i < count; ++i) out[n++] = digits[i];
  return n;
}

}  // namespace

int WriteDateText(const int fields[6], WCHAR* out) noexcept {
  static constexpr char16_t kSeparators[6] = {0, u'-', u'-', u' ', u':', u':'};
  int n = 0;
  for (int i = 0; i < 6; ++i) {
    if (i != 0) out[n++] = kSeparators[i];
    n += WritePadded(fields[i], i == 0 ? 4 : 2, out + n);
  }
  return n;
}

bool DateFields(double date, int fields[6]) noexcept {
  UDATE split{};
  if (VarUdateFromDate(date, 0, &split) != S_OK) return false;
  fields[0] = split.st.wYear;
  fields[1] = split.st.wMonth;
  fields[2] = split.st.wDay;
  fields[3] = split.st.wHour;
  fields[4] = split.st.wMinute;
  fields[5] = split.st.wSecond;
  return true;
}

bool IsZeroText(const CString& text) noexcept {
  bool zero = false;
  const WCHAR* p = text.GetString();
  for (int i = 0; i < text.GetLength(); ++i) {
    const WCHAR c = p[i];
    if (c == u'0') {
      zero = true;
    } else if (c >= u'1' && c <= u'9') {
      return false;
    } else if (c >= u'a' && c <= u'z') {
      return false;  // inf, nan
    }
  }
  return zero;
}

}  // namespace utility::variant
