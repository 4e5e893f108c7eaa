// Code page 936 through glibc's iconv. Each thread keeps its own pair of descriptors (a
// descriptor holds conversion state and must not be shared), opened on first use and closed
// when the thread ends; the process locale is never read or changed.
#include "NativeCodePage936.h"

#include <cerrno>

#include <iconv.h>

namespace utility::platform {
namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

class Descriptors {
 public:
  ~Descriptors() {
    if (m_toWide != kNoDescriptor) iconv_close(m_toWide);
    if (m_toGbk != kNoDescriptor) iconv_close(m_toGbk);
  }
  iconv_t& Slot(Gbk direction) noexcept { return direction == Gbk::kToWide ? m_toWide : m_toGbk; }

 private:
  iconv_t m_toWide = kNoDescriptor;
  iconv_t m_toGbk = kNoDescriptor;
};

thread_local Descriptors t_descriptors;

}  // namespace

bool StartNativeGbk(Gbk direction) noexcept {
  iconv_t& slot = t_descriptors.Slot(direction);
  if (slot == kNoDescriptor) {
    slot = direction == Gbk::kToWide ? iconv_open("UTF-16LE", "CP936") : iconv_open("CP936", "UTF-16LE");
  }
  if (slot == kNoDescriptor) return false;
  iconv(slot, nullptr, nullptr, nullptr, nullptr);  // initial state
  return true;
}

GbkStop ConvertNativeGbk(Gbk direction, const char*& in, std::size_t& inLeft, char*& out,
                         std::size_t& outLeft) noexcept {
  char* from = const_cast<char*>(in);  // iconv's own signature; it never writes the input
  const std::size_t rc = iconv(t_descriptors.Slot(direction), &from, &inLeft, &out, &outLeft);
  in = from;
  if (rc != static_cast<std::size_t>(-1)) return GbkStop::kDone;
  if (errno == EILSEQ || errno == EINVAL) return GbkStop::kInvalid;
  return errno == E2BIG ? GbkStop::kOutputFull : GbkStop::kFailed;
}

void ResetNativeGbk(Gbk direction) noexcept {
  iconv(t_descriptors.Slot(direction), nullptr, nullptr, nullptr, nullptr);
}

}  // namespace utility::platform
