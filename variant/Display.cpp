// The display text of a variant: decimal places or hexadecimal for numbers, the date text for
// dates, the string for strings, and no minus sign on a number that shows as zero.
#include <Utility/Utility.h>

#include <cmath>
#include <cstring>

#include "TextWriters.h"

using namespace utility::variant;

namespace {

// Place counts above this give the failure text rather than a text of a million digits.
constexpr int kMaxPlaces = 100000;

CString Integer(long long value) {
  WCHAR buffer[kIntegerTextUnits];
  return CString(buffer, WriteSigned(value, buffer));
}

CString Hex(std::uint64_t value, int minDigits) {
  WCHAR buffer[kIntegerTextUnits];
  return CString(buffer, WriteHex(value, minDigits, buffer));
}

// The sign-widened 32-bit pattern of a small signed value, as "%X" sees it.
std::uint32_t Widened(long value) noexcept { return static_cast<std::uint32_t>(static_cast<std::int32_t>(value)); }

// An integer row: hexadecimal pattern, place format of the value, or plain decimal.
CString IntegerRow(long long value, std::uint32_t pattern, int hexDigits, int decimals, int hex) {
  if (hex != 0) return Hex(pattern, hexDigits);
  if (decimals > 0) return decimals > kMaxPlaces ? CString(u"***") : FixedText(static_cast<double>(value), decimals);
  return Integer(value);
}

CString RealRow(double value, std::uint64_t pattern, int hexDigits, int decimals, int hex) {
  if (hex != 0) return Hex(pattern, hexDigits);
  // A negative count has no printf meaning; it shows no places, as 0 does.
  if (decimals > kMaxPlaces) return CString(u"***");
  CString text = FixedText(value, decimals > 0 ? decimals : 0);
  // A number shown as zero loses its minus sign: -0.0001 with two places is 0.00. Only reals
  // can need this: an integer shows a minus sign only when it is not zero.
  if (std::signbit(value) && IsZeroText(text)) text.Replace(u"-", u"");
  return text;
}

CString DateText(double date) {
  int fields[6];
  if (!DateFields(date, fields)) return CString(u"Invalid DateTime");
  WCHAR buffer[kDateTextUnits];
  return CString(buffer, WriteDateText(fields, buffer));
}

CString Text(const COleVariant& v, int decimals, int hex) {
  switch (v.vt) {
    case VT_I1:
      return IntegerRow(static_cast<signed char>(v.cVal), Widened(static_cast<signed char>(v.cVal)), 2, decimals, hex);
    case VT_UI1:
      return IntegerRow(v.bVal, v.bVal, 2, decimals, hex);
    case VT_I2:
      return IntegerRow(v.iVal, Widened(v.iVal), 4, decimals, hex);
    case VT_UI2:
      return IntegerRow(v.uiVal, v.uiVal, 4, decimals, hex);
    case VT_I4:
      return IntegerRow(v.lVal, static_cast<std::uint32_t>(v.lVal), 8, decimals, hex);
    case VT_INT:
      return IntegerRow(v.intVal, static_cast<std::uint32_t>(v.intVal), 8, decimals, hex);
    case VT_UI4:
      return IntegerRow(v.ulVal, v.ulVal, 8, decimals, hex);
    case VT_UINT:
      return IntegerRow(v.uintVal, v.uintVal, 8, decimals, hex);
    case VT_BOOL:
      // The pattern is the 16-bit value widened with its sign; the number is 1 or 0.
      return IntegerRow(v.boolVal != 0 ? 1 : 0, Widened(v.boolVal), 2, decimals, hex);
    case VT_R4: {
      std::uint32_t bits;
      std::memcpy(&bits, &v.fltVal, sizeof bits);
      return RealRow(static_cast<double>(v.fltVal), bits, 8, decimals, hex);
    }
    case VT_R8: {
      std::uint64_t bits;
      std::memcpy(&bits, &v.dblVal, sizeof bits);
      return RealRow(v.dblVal, bits, 16, decimals, hex);
    }
    case VT_DATE:
      return DateText(v.date);
    case VT_BSTR:
      return CString(v.bstrVal);
    default:
      return CString(u"***");
  }
}

}  // namespace

CString CUtility::ConVarToStr(COleVariant* var, int decimals, int hex) {
  if (var == nullptr) return CString(u"***");
  return Text(*var, decimals, hex);
}
