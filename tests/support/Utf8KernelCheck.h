// Every UTF-8 kernel this processor runs against the oracle (Utf8Oracle.h) under the converters'
// rules: stop before the first character that does not fit or, strict, at the first ill-formed
// piece, all before it written and nothing past cap. Framework-free: the fuzz target uses it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <Utility/Platform/Error.h>

#include "Utf8Kernels.h"
#include "Utf8Oracle.h"

namespace utility::testsupport::kernels {

using platform::codepage::Utf8Kernel;

constexpr std::size_t kMeasure = std::numeric_limits<std::size_t>::max();  // cap that means dst null
constexpr std::size_t kCanary = 24;                                        // units or bytes after cap
constexpr char kCanaryByte = static_cast<char>(0xA5);                      // every byte after cap

inline const char* Name(Utf8Kernel kernel) {
  return kernel == Utf8Kernel::Baseline ? "Baseline" : kernel == Utf8Kernel::Avx2 ? "Avx2" : "Avx512";
}

// The kernels this processor runs, worked out once: every check of every input walks them.
inline const std::vector<Utf8Kernel>& Running() {
  static const std::vector<Utf8Kernel> running = [] {
    std::vector<Utf8Kernel> out;
    for (Utf8Kernel k : {Utf8Kernel::Baseline, Utf8Kernel::Avx2, Utf8Kernel::Avx512}) {
      if (platform::codepage::Utf8KernelRuns(k)) out.push_back(k);
    }
    return out;
  }();
  return running;
}

template <class Text>
struct Due {
  Text out;
  DWORD error = 0;
};

// The oracle's output cut to the converters' rules: its pieces are taken while they fit in cap.
template <class Text, class Walk>
Due<Text> Cut(Walk walk, std::size_t cap, bool strict) {
  Due<Text> due;
  walk([&](const Text& made, bool valid) {
    if (due.error != 0) return;
    if (!valid && strict) {
      due.error = ERROR_NO_UNICODE_TRANSLATION;
    } else if (made.size() > cap - due.out.size()) {
      due.error = ERROR_INSUFFICIENT_BUFFER;
    } else {
      due.out += made;
    }
  });
  return due;
}

inline Due<std::u16string> DueDecode(const std::string& bytes, std::size_t cap, bool strict) {
  return Cut<std::u16string>([&](auto piece) { oracle::DecodePieces(bytes, piece); }, cap, strict);
}

inline Due<std::string> DueEncode(const std::u16string& units, std::size_t cap, bool strict) {
  return Cut<std::string>([&](auto piece) { oracle::EncodePieces(units, piece); }, cap, strict);
}

template <class T>
std::string Hex(const T* p, std::size_t n) {
  std::string s;
  char b[8];
  for (std::size_t i = 0; i < n && i < 200; ++i) {
    std::snprintf(b, sizeof b, "%0*X ", static_cast<int>(2 * sizeof(T)), static_cast<unsigned>(p[i]) & 0xFFFFu);
    s += b;
  }
  return n > 200 ? s + "..." : s;
}

// `in` is copied to a buffer of exactly its size, so that a sanitizer sees any read past it, and
// the output buffer has a canary after cap. Empty when every kernel agrees, else what went wrong.
template <class Out, class Input, class Text, class Convert>
std::string RunAll(const Input& in, std::size_t cap, bool strict, const Due<Text>& due, Convert convert) {
  using In = typename Input::value_type;
  const std::size_t n = in.size();
  auto src = std::make_unique<In[]>(n);
  if (n != 0) std::memcpy(src.get(), in.data(), n * sizeof(In));
  const bool measure = cap == kMeasure;
  std::vector<Out> dst(measure ? 0 : cap + kCanary);
  Out canary;
  std::memset(&canary, kCanaryByte, sizeof canary);
  for (Utf8Kernel kernel : Running()) {
    if (!measure)
      std::memset(dst.data(), kCanaryByte, dst.size() * sizeof(Out));  // no stale output from the last kernel
    const platform::codepage::Result r =
        convert(kernel, src.get(), n, measure ? nullptr : dst.data(), measure ? 0 : cap, strict);
    const bool wrong = r.count != due.out.size() || r.error != due.error ||
                       (!measure && (std::memcmp(dst.data(), due.out.data(), r.count * sizeof(Out)) != 0 ||
                                     std::any_of(dst.begin() + static_cast<std::ptrdiff_t>(cap), dst.end(),
                                                 [canary](Out o) { return o != canary; })));  // written past cap
    if (!wrong) continue;
    return std::string(Name(kernel)) + (strict ? " strict" : " lenient") + " cap " + std::to_string(cap) + ": count " +
           std::to_string(r.count) + " error " + std::to_string(r.error) + ", due " + std::to_string(due.out.size()) +
           " error " + std::to_string(due.error) + "\n  input: " + Hex(in.data(), n);
  }
  return {};
}

inline std::string CheckDecode(const std::string& bytes, std::size_t cap, bool strict) {
  auto run = [](Utf8Kernel kernel, const char* s, std::size_t n, WCHAR* d, std::size_t c, bool st) {
    return platform::codepage::Utf8ToUtf16(kernel, reinterpret_cast<const unsigned char*>(s), n, d, c, st);
  };
  return RunAll<WCHAR>(bytes, cap, strict, DueDecode(bytes, cap, strict), run);
}

// The units before the first zero as zero-terminated text, encoded call after call into pieces
// of `piece` bytes (at least 4, which any character fits) as a caller of Utf16zToUtf8 would.
inline std::string CheckEncodeUntilZero(const std::u16string& units, std::size_t piece) {
  const std::u16string text = units.substr(0, units.find(u'\0'));
  const std::string due = oracle::Encode(text);
  auto src = std::make_unique<WCHAR[]>(text.size() + 1);
  if (!text.empty()) std::memcpy(src.get(), text.data(), text.size() * sizeof(WCHAR));
  src[text.size()] = 0;
  std::vector<char> dst(due.size() + piece + kCanary);
  for (Utf8Kernel kernel : Running()) {
    std::size_t read = 0, written = 0;
    bool wrong = false;
    for (bool done = false; !done && !wrong;) {
      std::memset(dst.data() + written, kCanaryByte, piece + kCanary);
      std::size_t r = 0;
      const auto result = platform::codepage::Utf16zToUtf8(kernel, src.get() + read, dst.data() + written, piece, r);
      done = result.error == 0;
      wrong = result.count > piece || (!done && (result.error != ERROR_INSUFFICIENT_BUFFER || r == 0)) ||
              read + r > text.size() || written + result.count > due.size();
      for (std::size_t k = piece; k < piece + kCanary; ++k) wrong = wrong || dst[written + k] != kCanaryByte;
      read += r;
      written += result.count;
    }
    if (wrong || read != text.size() || std::string(dst.data(), written) != due) {
      return std::string(Name(kernel)) + " until zero, pieces of " + std::to_string(piece) + ": read " +
             std::to_string(read) + " of " + std::to_string(text.size()) +
             "\n  input: " + Hex(text.data(), text.size());
    }
  }
  return {};
}

// Writing without the strict flag also checks the zero-terminated conversion, in pieces of cap.
inline std::string CheckEncode(const std::u16string& units, std::size_t cap, bool strict) {
  auto run = [](Utf8Kernel kernel, const char16_t* s, std::size_t n, char* d, std::size_t c, bool st) {
    return platform::codepage::Utf16ToUtf8(kernel, reinterpret_cast<const WCHAR*>(s), n, d, c, st);
  };
  std::string wrong = RunAll<char>(units, cap, strict, DueEncode(units, cap, strict), run);
  if (wrong.empty() && !strict && cap != kMeasure) wrong = CheckEncodeUntilZero(units, cap < 4 ? 4 : cap);
  return wrong;
}

}  // namespace utility::testsupport::kernels
