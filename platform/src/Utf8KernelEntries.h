// The entry points of each UTF-8 kernel (see Utf8Kernels.h), one namespace per kernel. Only
// Utf8Codec.cpp calls them, and only those that the processor runs.
#pragma once

#include <cstddef>

#include "CodePageBackend.h"

namespace utility::platform::codepage {

namespace baseline {
Result Decode(const unsigned char* src, std::size_t n, WCHAR* dst, std::size_t cap, bool strict) noexcept;
Result Encode(const WCHAR* src, std::size_t n, char* dst, std::size_t cap, bool strict) noexcept;

// The careful decoder for where a vector kernel meets ill-formed input: decodes src[0..n) from
// its start until at least `until` bytes are read, stopping at the first character boundary
// there (after a whole character or a maximal ill-formed subpart); read receives the bytes
// read, also when the result is an error.
Result DecodeSome(const unsigned char* src, std::size_t n, std::size_t until, WCHAR* dst, std::size_t cap, bool strict,
                  std::size_t& read) noexcept;
}  // namespace baseline

// Built only for x86-64; elsewhere Utf8KernelRuns says no for them.
namespace avx2 {
Result Decode(const unsigned char* src, std::size_t n, WCHAR* dst, std::size_t cap, bool strict) noexcept;
Result Encode(const WCHAR* src, std::size_t n, char* dst, std::size_t cap, bool strict) noexcept;
// Utf16zToUtf8 of Utf8Kernels.h as far as the kernel's blocks go: it may stop early, with
// ERROR_INSUFFICIENT_BUFFER, when the output's last bytes are near (read: the units encoded).
Result EncodeUntilZero(const WCHAR* src, char* dst, std::size_t cap, std::size_t& read) noexcept;
}  // namespace avx2

namespace avx512 {
Result Decode(const unsigned char* src, std::size_t n, WCHAR* dst, std::size_t cap, bool strict) noexcept;
Result Encode(const WCHAR* src, std::size_t n, char* dst, std::size_t cap, bool strict) noexcept;
Result EncodeUntilZero(const WCHAR* src, char* dst, std::size_t cap, std::size_t& read) noexcept;
}  // namespace avx512

}  // namespace utility::platform::codepage
