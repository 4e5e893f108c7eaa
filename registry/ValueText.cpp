// The text of a value's data: UTF-16 units up to the first zero unit or the end of the data.
#include "ValueText.h"

#include <cstring>

namespace utility::registry {

CString TextOfData(const BYTE* data, DWORD size) {
  const DWORD units = size / 2;
  int length = 0;
  for (; static_cast<DWORD>(length) < units; ++length) {
    WCHAR unit = 0;
    std::memcpy(&unit, data + 2 * static_cast<DWORD>(length), sizeof unit);  // the data need not be aligned
    if (unit == 0) break;
  }
  if (length == 0) return CString();
  CString text;
  WCHAR* out = text.GetBuffer(length);
  std::memcpy(out, data, static_cast<std::size_t>(length) * sizeof(WCHAR));
  text.ReleaseBuffer(length);
  return text;
}

}  // namespace utility::registry
