// Fuzz target for the UTF-8 kernels: every kernel that this processor runs against the oracle
// (tests/support/Utf8KernelCheck.h), on bytes to decode or units to encode, strict or not,
// measuring or writing into a buffer of a chosen size; any difference aborts.
//
// Input layout: byte 0 picks the direction (bit 0), strictness (bit 1) and how the capacity is
// chosen (bits 2-3: measuring, room for all of the output, byte 1 less than that, byte 1 itself);
// the rest is the text, read as UTF-16 units from pairs of bytes (low byte first) to encode.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/Utf8KernelCheck.h"

namespace kernels = utility::testsupport::kernels;

namespace {

// The capacity that the mode asks for, given the output's full size.
std::size_t Capacity(unsigned mode, std::size_t need, std::uint8_t k) {
  switch (mode) {
    case 0:
      return kernels::kMeasure;
    case 1:
      return need;
    case 2:
      return need > k ? need - k : 0;
    default:
      return k;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const bool decode = (data[0] & 1) == 0;
  const bool strict = (data[0] & 2) != 0;
  const unsigned mode = (data[0] >> 2) & 3;
  const std::uint8_t k = data[1];
  std::string wrong;
  if (decode) {
    const std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t need = kernels::DueDecode(bytes, kernels::kMeasure, strict).out.size();
    wrong = kernels::CheckDecode(bytes, Capacity(mode, need, k), strict);
  } else {
    std::u16string units;
    for (std::size_t i = 2; i + 1 < size; i += 2) units += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    const std::size_t need = kernels::DueEncode(units, kernels::kMeasure, strict).out.size();
    wrong = kernels::CheckEncode(units, Capacity(mode, need, k), strict);
  }
  if (!wrong.empty()) {
    std::fprintf(stderr, "UTF-8 kernels differ from the oracle: %s\n", wrong.c_str());
    std::abort();
  }
  return 0;
}
