// CoCreateGuid: a random (version 4) GUID from the system's random bytes.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Guid.h>

#include <cstring>

#include "NativeRandom.h"

HRESULT CoCreateGuid(GUID* guid) noexcept {
  if (guid == nullptr) return E_INVALIDARG;
  unsigned char bytes[16];
  if (const DWORD code = utility::platform::FillNativeRandom(bytes, sizeof bytes)) return HRESULT_FROM_WIN32(code);
  GUID g{};
  std::memcpy(&g.Data1, bytes, 4);
  std::memcpy(&g.Data2, bytes + 4, 2);
  std::memcpy(&g.Data3, bytes + 6, 2);
  std::memcpy(g.Data4, bytes + 8, 8);
  g.Data3 = static_cast<USHORT>((g.Data3 & 0x0FFFu) | 0x4000u);
  g.Data4[0] = static_cast<UCHAR>((g.Data4[0] & 0x3Fu) | 0x80u);
  *guid = g;
  return S_OK;
}
