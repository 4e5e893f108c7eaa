// Building variants of any type with an exact payload, and showing texts in failure messages.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

#include <Utility/Utility.h>

#include "support/TempDir.h"

namespace utility::testsupport::variants {

// A variant of type vt whose 8 value bytes are the given bits (the low bytes are what the
// small types read).
inline COleVariant Raw(VARTYPE vt, unsigned long long bits) {
  COleVariant v;
  v.llVal = static_cast<long long>(bits);
  v.vt = vt;
  return v;
}
inline COleVariant Int(VARTYPE vt, long long value) { return Raw(vt, static_cast<unsigned long long>(value)); }
inline COleVariant R4(float value) {
  COleVariant v = Raw(VT_R4, 0);
  v.fltVal = value;
  return v;
}
inline COleVariant R8(double value, VARTYPE vt = VT_R8) {
  COleVariant v = Raw(vt, 0);
  v.dblVal = value;
  return v;
}
// A string variant of exactly these units, zeros included.
inline COleVariant Text(std::u16string_view units) {
  COleVariant v;
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(units.data()), static_cast<UINT>(units.size()));
  return v;
}

inline std::string U8(const CString& s) { return utility::testsupport::Utf8(s); }

}  // namespace utility::testsupport::variants
