// The operating system's converter between code page 936 and UTF-16, one per thread, for the
// code page 936 rules in CodePage936.cpp.
#pragma once

#include <cstddef>

namespace utility::platform {

enum class Gbk : unsigned char { kToWide, kFromWide };  // 936 to UTF-16 (little-endian), or back

// Why a conversion step stopped.
enum class GbkStop : unsigned char {
  kDone,        // all the input is converted
  kInvalid,     // the input at `in` cannot be converted (invalid, unassigned or cut short)
  kOutputFull,  // the output has no room for the next character
  kFailed,      // any other failure
};

// Readies the calling thread's converter for a direction, in its initial state; false when the
// system has none.
bool StartNativeGbk(Gbk direction) noexcept;

// Converts from in[0, inLeft) into out[0, outLeft), moving in and out past what was done and
// counting down inLeft and outLeft. The converter must have been started on this thread.
GbkStop ConvertNativeGbk(Gbk direction, const char*& in, std::size_t& inLeft, char*& out,
                         std::size_t& outLeft) noexcept;

// Puts the converter back in its initial state, after input it could not convert was skipped.
void ResetNativeGbk(Gbk direction) noexcept;

}  // namespace utility::platform
