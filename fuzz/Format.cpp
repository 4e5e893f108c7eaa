// Fuzzes CString::Format with arbitrary UTF-16 formats over a fixed mix of arguments: every
// input must either format or throw std::invalid_argument, never read out of bounds.
#include <Utility/Platform/String.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte rotates the argument list, so each kind appears at every position.
  const unsigned shift = data[0];
  std::vector<WCHAR> fmt((size - 1) / 2);
  if (!fmt.empty()) std::memcpy(fmt.data(), data + 1, fmt.size() * 2);
  fmt.push_back(0);
  // Widths and precisions of five digits or more only make huge outputs; they say nothing new.
  int digits = 0;
  for (WCHAR c : fmt) {
    digits = c >= u'0' && c <= u'9' ? digits + 1 : 0;
    if (digits > 4) return 0;
  }
  const CString text(u"wide");
  const FormatArg pool[] = {
      FormatArg(-5),          FormatArg(7u),   FormatArg(2.5),     FormatArg(u"abc"),
      FormatArg("n\xc3\xa9"), FormatArg(text), FormatArg(nullptr), FormatArg(static_cast<const void*>(data)),
      FormatArg(-1LL << 40),  FormatArg(3)};
  constexpr std::size_t n = sizeof pool / sizeof pool[0];
  std::vector<FormatArg> args;
  for (std::size_t i = 0; i < n; ++i) args.push_back(pool[(i + shift) % n]);
  CString out(u"x");
  try {
    out.FormatV(fmt.data(), args.data(), args.size());
    out.AppendFormatV(fmt.data(), args.data(), args.size() / 2);
  } catch (const std::invalid_argument&) {
  }
  return 0;
}
