// Text to a variant of a requested type: numbers through strtod's decimal form and the storing
// rules of DoubleToVar, dates through the date parser, strings as they are.
#include <Utility/Utility.h>

#include <Utility/Platform/Date.h>

#include "NumberScan.h"
#include "Rounding.h"

using namespace utility::variant;

COleVariant CUtility::StrToVar(CString text, VARTYPE vt) {
  COleVariant result;
  result.llVal = 0;
  text.TrimLeft();
  text.TrimRight();
  switch (vt) {
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_BOOL:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
      result.vt = vt;
      DoubleToVar(ScanNumber(text), &result);
      return result;
    case VT_INT:
      // These two carry the number too, rounded as VT_I4 and VT_UI4 round.
      result.vt = vt;
      result.intVal = RoundToInt32(ScanNumber(text));
      return result;
    case VT_UINT:
      result.vt = vt;
      result.uintVal = static_cast<UINT>(RoundToInt64(ScanNumber(text)));
      return result;
    case VT_DATE: {
      DATE date = 0.0;
      const HRESULT hr = VarDateFromStr(text.GetString(), LANG_USER_DEFAULT, 0, &date);
      // Text that is no date reads as day 0; a date out of range as day -1.
      result.vt = VT_DATE;
      result.date = hr == S_OK ? date : hr == DISP_E_TYPEMISMATCH ? 0.0 : -1.0;
      return result;
    }
    case VT_BSTR:
      // Built in place, so that every path returns the one result object.
      result.bstrVal = text.AllocSysString();
      result.vt = VT_BSTR;
      return result;
    default:
      return result;  // no such value: VT_EMPTY
  }
}
