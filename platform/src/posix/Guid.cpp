// CoCreateGuid over getrandom(2), which blocks only until the kernel's pool is first seeded.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Guid.h>

#include <sys/random.h>

#include <cerrno>
#include <cstring>

HRESULT CoCreateGuid(GUID* guid) noexcept {
  if (guid == nullptr) return E_INVALIDARG;
  unsigned char bytes[16];
  std::size_t filled = 0;
  while (filled < sizeof bytes) {
    const ssize_t n = getrandom(bytes + filled, sizeof bytes - filled, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      return HRESULT_FROM_WIN32(errno == ENOSYS ? ERROR_CALL_NOT_IMPLEMENTED : ERROR_NOT_READY);
    }
    filled += static_cast<std::size_t>(n);
  }
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
