// Fuzzes StrToVar with every type code over arbitrary UTF-16 text: the result has the type
// that the rules give, and its texts can be made. Input: two bytes of type code, then text.
#include <Utility/Utility.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

bool HasNumericReading(VARTYPE vt) {
  return vt == VT_I2 || vt == VT_I4 || vt == VT_R4 || vt == VT_R8 || vt == VT_BOOL || vt == VT_I1 || vt == VT_UI1 ||
         vt == VT_UI2 || vt == VT_UI4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  VARTYPE vt;
  std::memcpy(&vt, data, 2);
  std::vector<WCHAR> units((size - 2) / 2);
  if (!units.empty()) std::memcpy(units.data(), data + 2, units.size() * 2);
  const CString text(units.data(), static_cast<int>(units.size()));

  COleVariant v = CUtility::StrToVar(text, vt);
  const bool kept = HasNumericReading(vt) || vt == VT_INT || vt == VT_UINT || vt == VT_DATE || vt == VT_BSTR;
  if (v.vt != (kept ? vt : VT_EMPTY)) __builtin_trap();
  if (vt == VT_DATE && !(v.date == 0.0 || v.date == -1.0 || (v.date >= -657435.0 && v.date <= 2958466.0))) {
    __builtin_trap();
  }
  const CString plain = CUtility::VarToStr(v);
  const CString shown = CUtility::ConVarToStr(&v, static_cast<int>(size % 40), static_cast<int>(size % 3 == 0));
  if (shown.IsEmpty() && vt != VT_BSTR) __builtin_trap();
  // A number read back from its own plain text is the same number (reals within the places).
  if (HasNumericReading(vt) && vt != VT_R4 && vt != VT_R8 && vt != VT_BOOL) {
    COleVariant again = CUtility::StrToVar(plain, vt);
    if (!CUtility::IsVarSame(v, again)) __builtin_trap();
  }
  return 0;
}
