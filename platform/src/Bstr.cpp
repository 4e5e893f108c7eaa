// BSTR: one heap block holding the 32-bit byte length, the units and a zero unit. The BSTR
// points just past the length, so it reads as an ordinary zero-terminated wide text.
#include <Utility/Platform/Bstr.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kPrefix = sizeof(UINT);

// A block for byteLength bytes of text: prefix, text, then two zero bytes (a zero unit even
// when the byte length is odd). Null when the length cannot be stored or memory runs out.
BSTR AllocateBytes(std::size_t byteLength) noexcept {
  if (byteLength > UINT32_MAX - kPrefix - sizeof(OLECHAR)) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(kPrefix + byteLength + sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  const UINT length = static_cast<UINT>(byteLength);
  std::memcpy(block, &length, kPrefix);
  block[kPrefix + byteLength] = 0;
  block[kPrefix + byteLength + 1] = 0;
  return reinterpret_cast<BSTR>(block + kPrefix);
}

unsigned char* BlockOf(BSTR text) noexcept { return reinterpret_cast<unsigned char*>(text) - kPrefix; }

}  // namespace

BSTR SysAllocString(const OLECHAR* text) noexcept {
  if (text == nullptr) return nullptr;
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  if (length > UINT32_MAX / sizeof(OLECHAR)) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(length));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) noexcept {
  const std::size_t bytes = static_cast<std::size_t>(length) * sizeof(OLECHAR);
  BSTR result = AllocateBytes(bytes);
  if (result != nullptr && text != nullptr && bytes != 0) std::memcpy(result, text, bytes);
  return result;
}

BSTR SysAllocStringByteLen(const char* bytes, UINT length) noexcept {
  BSTR result = AllocateBytes(length);
  if (result != nullptr && bytes != nullptr && length != 0) std::memcpy(result, bytes, length);
  return result;
}

void SysFreeString(BSTR text) noexcept {
  if (text != nullptr) std::free(BlockOf(text));
}

UINT SysStringByteLen(BSTR text) noexcept {
  if (text == nullptr) return 0;
  UINT length = 0;
  std::memcpy(&length, BlockOf(text), kPrefix);
  return length;
}

UINT SysStringLen(BSTR text) noexcept { return SysStringByteLen(text) / UINT{sizeof(OLECHAR)}; }
