// Storing a double into a variant of a given type, and reading a variant as a double. Only the
// nine types below have a numeric reading; integers keep the low bits of the integer formed.
#include <Utility/Utility.h>

#include "Rounding.h"

using namespace utility::variant;

void CUtility::DoubleToVar(double value, COleVariant* var) {
  if (var == nullptr) return;
  switch (var->vt) {
    case VT_I2:
      var->iVal = static_cast<SHORT>(RoundToInt32(value));
      break;
    case VT_I4:
      var->lVal = RoundToInt32(value);
      break;
    case VT_R4:
      var->fltVal = static_cast<float>(value);
      break;
    case VT_R8:
      var->dblVal = value;
      break;
    case VT_BOOL:
      // No normalisation: 1.0 stores 1, not VARIANT_TRUE.
      var->boolVal = static_cast<VARIANT_BOOL>(TruncateToInt32(value));
      break;
    case VT_I1:
      var->cVal = static_cast<CHAR>(TruncateToInt32(value));
      break;
    case VT_UI1:
      var->bVal = static_cast<BYTE>(TruncateToInt32(value));
      break;
    case VT_UI2:
      var->uiVal = static_cast<USHORT>(RoundToInt32(value));
      break;
    case VT_UI4:
      var->ulVal = static_cast<ULONG>(RoundToInt64(value));
      break;
    default:
      break;  // no numeric value to store
  }
}

double CUtility::VarToDouble(COleVariant* var) {
  if (var == nullptr) return 0.0;
  switch (var->vt) {
    case VT_I2:
      return var->iVal;
    case VT_I4:
      return var->lVal;
    case VT_R4:
      return static_cast<double>(var->fltVal);
    case VT_R8:
      return var->dblVal;
    case VT_BOOL:
      return var->boolVal != 0 ? 1.0 : 0.0;
    case VT_I1:
      return static_cast<signed char>(var->cVal);
    case VT_UI1:
      return var->bVal;
    case VT_UI2:
      return var->uiVal;
    case VT_UI4:
      return var->ulVal;
    default:
      return 0.0;  // dates, texts and the rest have no numeric reading
  }
}

double CUtility::VarToDouble(COleVariant* var, VARTYPE vt, int raw) {
  if (var == nullptr) return 0.0;
  const double value = VarToDouble(var);
  if (raw > 0) return value;
  // The value as a variant of type vt would hold it.
  COleVariant held;
  held.vt = vt;
  held.llVal = 0;
  DoubleToVar(value, &held);
  const double result = VarToDouble(&held);
  held.vt = VT_EMPTY;  // vt may name a type that owns something; this one owns nothing
  return result;
}
