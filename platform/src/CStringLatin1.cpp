// CString::FromLatin1: widening bytes into a new string in one pass.
#include <Utility/Platform/String.h>

namespace {

// One unit from each byte, a loop the compiler vectorises. The same code is compiled twice:
// for the x86-64 baseline and for processors with AVX2, whose wider stores halve the work.
void Widen(const unsigned char* in, std::size_t n, WCHAR* out) noexcept {
  for (std::size_t i = 0; i < n; ++i) out[i] = in[i];
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) void WidenAvx2(const unsigned char* in, std::size_t n, WCHAR* out) noexcept {
  for (std::size_t i = 0; i < n; ++i) out[i] = in[i];
}
#endif

}  // namespace

CString CString::FromLatin1(std::string_view bytes) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  CString r;
  // Sized once and written once: the storage is neither cleared first nor copied afterwards.
  WCHAR* out = r.m_s.resize_for_overwrite(bytes.size());
#if defined(__x86_64__) && defined(__GNUC__)
  if (__builtin_cpu_supports("avx2"))
    WidenAvx2(in, bytes.size(), out);
  else
    Widen(in, bytes.size(), out);
#else
  Widen(in, bytes.size(), out);
#endif
  return r;
}
