// The UTF-8 <-> UTF-16 kernels behind the platform's one UTF-8 codec, and the choice among
// them. Every kernel gives exactly the same result, error and count for every input: they
// differ only in the instructions they use.
//
//   Baseline  SSE2 on x86-64 (every x86-64 has it), portable code elsewhere; blocks of ASCII and
//             runs of two- and three-byte characters, one character at a time otherwise.
//   Avx2      32-byte validation of well-formedness in one pass, then shuffles chosen by table
//             from the character boundaries of each 16-byte window (AVX2, BMI2).
//   Avx512    64-byte validation, then one compress of a unit per kept byte decoding and of the
//             bytes of 32 units encoding (AVX-512 F, BW, VL and VBMI2).
//
// Nothing here reads or writes outside [src, src + n) and [dst, dst + cap).
//
//   Result r = Utf8ToUtf16(Utf8Kernel::Avx2, bytes, n, units, cap, /*strict=*/false);
#pragma once

#include <cstddef>

#include "CodePageBackend.h"

namespace utility::platform::codepage {

enum class Utf8Kernel { Baseline, Avx2, Avx512 };

// Whether this processor (and its operating system) can run the kernel; Baseline always can.
bool Utf8KernelRuns(Utf8Kernel kernel) noexcept;

// The fastest kernel this processor runs: the one Utf8ToUtf16 and Utf16ToUtf8 of
// CodePageBackend.h use.
Utf8Kernel BestUtf8Kernel() noexcept;

// The conversions of CodePageBackend.h through one kernel, which must run here. dst null
// measures only.
Result Utf8ToUtf16(Utf8Kernel kernel, const unsigned char* src, std::size_t n, WCHAR* dst, std::size_t cap,
                   bool strict) noexcept;
Result Utf16ToUtf8(Utf8Kernel kernel, const WCHAR* src, std::size_t n, char* dst, std::size_t cap,
                   bool strict) noexcept;

// Utf16zToUtf8 of CodePageBackend.h through one kernel, which must run here.
Result Utf16zToUtf8(Utf8Kernel kernel, const WCHAR* src, char* dst, std::size_t cap, std::size_t& read) noexcept;

}  // namespace utility::platform::codepage
