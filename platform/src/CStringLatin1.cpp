// CString::FromLatin1: widening bytes into a new string in one pass. The storage is built
// straight from the byte range, so it is neither cleared first nor copied afterwards.
#include <Utility/Platform/String.h>

CString CString::FromLatin1(std::string_view bytes) {
  const auto* first = reinterpret_cast<const unsigned char*>(bytes.data());
  CString r;
  // The range constructor sizes the storage once and assigns each unit from its byte, a loop
  // the compiler vectorises; assign() would go through a temporary copy instead.
  r.m_s = Storage(first, first + bytes.size());
  return r;
}
