// Two comparisons of variants: the same value of the same type bit for bit (IsVarSame), and
// the same data across types (IsDataEqual).
#include <Utility/Utility.h>

#include <cstring>

int CUtility::IsVarSame(COleVariant& a, COleVariant& b) {
  if (a.vt != b.vt) return FALSE;
  // Above VT_UI4 lie the 64-bit and machine-sized integers and every flagged code: never the same.
  if (a.vt > VT_UI4) return FALSE;
  switch (a.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return TRUE;
    case VT_I2:
    case VT_BOOL:
    case VT_UI2:
      return a.iVal == b.iVal;
    case VT_I4:
    case VT_ERROR:
    case VT_UI4:
      return a.lVal == b.lVal;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return a.punkVal == b.punkVal;
    case VT_I1:
    case VT_UI1:
      return a.bVal == b.bVal;
    case VT_R4:
      return a.fltVal == b.fltVal;
    case VT_R8:
    case VT_DATE:
      return a.dblVal == b.dblVal;
    case VT_CY:
      return a.cyVal.Lo == b.cyVal.Lo && a.cyVal.Hi == b.cyVal.Hi;
    case VT_BSTR: {
      const UINT length = SysStringByteLen(a.bstrVal);
      if (length != SysStringByteLen(b.bstrVal)) return FALSE;
      return length == 0 || std::memcmp(a.bstrVal, b.bstrVal, length) == 0;
    }
    default:
      return FALSE;  // VT_VARIANT, VT_DECIMAL and code 15
  }
}

int CUtility::IsDataEqual(COleVariant a, COleVariant b) {
  const auto absent = [](VARTYPE vt) { return vt == VT_EMPTY || vt == VT_NULL; };
  if (absent(a.vt) && absent(b.vt)) return TRUE;
  if (a.vt == VT_DATE && b.vt == VT_DATE) return a.date == b.date;
  if (a.vt == VT_BSTR && b.vt == VT_BSTR) {
    // As zero-terminated texts: a null string is empty, an embedded zero ends the text.
    const WCHAR empty = 0;
    const WCHAR* x = a.bstrVal != nullptr ? a.bstrVal : &empty;
    const WCHAR* y = b.bstrVal != nullptr ? b.bstrVal : &empty;
    while (*x != 0 && *x == *y) ++x, ++y;
    return *x == *y;
  }
  return VarToDouble(&a) == VarToDouble(&b);
}
