// CString::FromLatin1: widening bytes into a new string in one pass. The storage is built
// straight from the byte range, so it is neither cleared first nor copied afterwards.
#include <Utility/Platform/String.h>

namespace {

using Storage = CString::Storage;

// The range constructor sizes the storage once and assigns each unit from its byte, a loop
// the compiler vectorises (assign() would go through a temporary copy instead). The same
// code is compiled twice: for the x86-64 baseline and for processors with AVX2, whose wider
// stores halve the work.
Storage Widen(const unsigned char* first, const unsigned char* last) { return Storage(first, last); }

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) Storage WidenAvx2(const unsigned char* first, const unsigned char* last) {
  return Storage(first, last);
}
#endif

}  // namespace

CString CString::FromLatin1(std::string_view bytes) {
  const auto* first = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* last = first + bytes.size();
  CString r;
#if defined(__x86_64__) && defined(__GNUC__)
  r.m_s = __builtin_cpu_supports("avx2") ? WidenAvx2(first, last) : Widen(first, last);
#else
  r.m_s = Widen(first, last);
#endif
  return r;
}
