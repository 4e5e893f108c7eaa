// The plain text of a variant: integers in decimal, reals with a fixed number of places,
// dates as "YYYY-MM-DD HH:MM:SS", strings as they are, "***" for every other type.
#include <Utility/Utility.h>

#include <Utility/Platform/Date.h>

#include "TextWriters.h"

using namespace utility::variant;

namespace {

CString IntegerText(long long value) {
  WCHAR buffer[kIntegerTextUnits];
  return CString(buffer, WriteSigned(value, buffer));
}

CString DateText(double date) {
  // A field the split cannot supply is written as -1.
  int fields[6] = {-1, -1, -1, -1, -1, -1};
  SYSTEMTIME st{};
  if (VariantTimeToSystemTime(date, &st)) {
    fields[0] = st.wYear, fields[1] = st.wMonth, fields[2] = st.wDay;
    fields[3] = st.wHour, fields[4] = st.wMinute, fields[5] = st.wSecond;
  }
  WCHAR buffer[kDateTextUnits];
  return CString(buffer, WriteDateText(fields, buffer));
}

}  // namespace

CString CUtility::VarToStr(COleVariant var) {
  switch (var.vt) {
    case VT_I2:
      return IntegerText(var.iVal);
    case VT_I4:
      return IntegerText(var.lVal);
    case VT_R4:
      return FixedText(static_cast<double>(var.fltVal), 6);
    case VT_R8:
      return FixedText(var.dblVal, 15);
    case VT_DATE:
      return DateText(var.date);
    case VT_BSTR: {
      // Up to the first zero unit; only a string can carry white space to trim.
      CString text(var.bstrVal);
      text.TrimLeft();
      text.TrimRight();
      return text;
    }
    case VT_BOOL:
      return CString(var.boolVal == 0 ? u"0" : u"1");
    case VT_I1:
      return IntegerText(static_cast<signed char>(var.cVal));
    case VT_UI1:
      return IntegerText(var.bVal);
    case VT_UI2:
      return IntegerText(var.uiVal);
    case VT_UI4:
      return IntegerText(var.ulVal);
    default:
      return CString(u"***");
  }
}
