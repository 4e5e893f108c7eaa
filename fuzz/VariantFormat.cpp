// Fuzzes ConVarToStr and VarToStr over every type code with arbitrary value bytes (pointer
// types get a null pointer), any place count up to 1200 and both display modes.
// Input: two bytes of type code, eight value bytes, two bytes of place count, one mode byte.
#include <Utility/Utility.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 13) return 0;
  COleVariant v;
  VARTYPE vt;
  std::memcpy(&vt, data, 2);
  std::memcpy(&v.llVal, data + 2, 8);
  std::int16_t places;
  std::memcpy(&places, data + 10, 2);
  const int hex = static_cast<int>(data[12] % 3);  // 0, 1 and another nonzero value
  const VARTYPE base = static_cast<VARTYPE>(vt & 0x0FFF);
  if ((vt & (VT_BYREF | VT_ARRAY | VT_VECTOR)) != 0 || base == VT_BSTR || base == VT_DISPATCH || base == VT_UNKNOWN ||
      base == VT_VARIANT || base == VT_DECIMAL) {
    v.llVal = 0;  // no pointer payloads
  }
  v.vt = vt;
  const int decimals = places % 1200;
  const CString shown = CUtility::ConVarToStr(&v, decimals, hex);
  const CString plain = CUtility::VarToStr(v);
  if (CUtility::IsNumVar(vt)) {
    if (hex != 0 && !(shown[0] == u'0' && shown[1] == u'x')) __builtin_trap();
    // A number shown as zero carries no minus sign.
    bool nonzeroDigit = false;
    bool letter = false;
    for (int i = 0; i < shown.GetLength(); ++i) {
      nonzeroDigit |= shown[i] >= u'1' && shown[i] <= u'9';
      letter |= shown[i] >= u'a' && shown[i] <= u'z';
    }
    if (hex == 0 && !nonzeroDigit && !letter && shown.Find(u'-') >= 0) __builtin_trap();
  } else if (vt != VT_DATE && vt != VT_BSTR && !(shown == u"***")) {
    __builtin_trap();
  }
  if (plain.IsEmpty() && vt != VT_BSTR) __builtin_trap();
  v.vt = VT_EMPTY;
  return 0;
}
