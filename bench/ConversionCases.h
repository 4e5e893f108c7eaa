// The cases both text benchmarks share: ANSIToUnicode2 and UnicodeToANSI on one text, each
// beside glibc iconv doing the same conversion in the same run, named
// Role/Operation<suffix> (suffix "/<text>/<size>") for bench/ratios.py, every one counting the
// UTF-8 bytes of the text.
//
// The iconv baseline gets every advantage: its descriptor is opened once and it writes into a
// buffer allocated once, while ours allocate their result on every call as the operations must.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <Utility/Utility.h>

namespace utility::bench {

inline iconv_t OpenIconv(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    std::fprintf(stderr, "iconv cannot convert from %s to %s\n", from, to);
    std::exit(EXIT_FAILURE);
  }
  return cd;
}

// Converts inBytes bytes at in, in one call; false when iconv refuses the input.
inline bool IconvConvert(iconv_t cd, const char* in, std::size_t inBytes, std::vector<char>& out,
                         std::size_t* outBytes) {
  char* src = const_cast<char*>(in);
  std::size_t srcLeft = inBytes;
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) || srcLeft != 0) return false;
  *outBytes = out.size() - dstLeft;
  return true;
}

inline void Iconv(benchmark::State& state, const char* to, const char* from, const char* in, std::size_t inBytes,
                  std::size_t outBytes, std::size_t processed) {
  iconv_t cd = OpenIconv(to, from);
  std::vector<char> out(outBytes);
  std::size_t written = 0;
  for (auto _ : state) {
    if (!IconvConvert(cd, in, inBytes, out, &written)) state.SkipWithError("iconv");
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * processed));
}

// The four cases of one text; narrow and wide are its UTF-8 and UTF-16 forms, which must live
// as long as the process.
inline void RegisterConversions(const std::string& suffix, const std::string* narrow, const std::u16string* wide) {
  benchmark::RegisterBenchmark(("Ours/ANSIToUnicode2" + suffix).c_str(), [narrow](benchmark::State& state) {
    for (auto _ : state) {
      CString s = CUtility::ANSIToUnicode2(narrow->c_str());
      benchmark::DoNotOptimize(s.GetString());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * narrow->size()));
  });
  benchmark::RegisterBenchmark(("Iconv/ANSIToUnicode2" + suffix).c_str(), [narrow, wide](benchmark::State& state) {
    Iconv(state, "UTF-16LE", "UTF-8", narrow->data(), narrow->size(), (wide->size() + 1) * 2, narrow->size());
  });
  benchmark::RegisterBenchmark(("Ours/UnicodeToANSI" + suffix).c_str(), [narrow, wide](benchmark::State& state) {
    const auto* units = reinterpret_cast<const unsigned short*>(wide->c_str());
    for (auto _ : state) {
      char* a = CUtility::UnicodeToANSI(units);
      benchmark::DoNotOptimize(a);
      delete[] a;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * narrow->size()));
  });
  benchmark::RegisterBenchmark(("Iconv/UnicodeToANSI" + suffix).c_str(), [narrow, wide](benchmark::State& state) {
    Iconv(state, "UTF-8", "UTF-16LE", reinterpret_cast<const char*>(wide->data()), wide->size() * 2, narrow->size() + 1,
          narrow->size());
  });
}

}  // namespace utility::bench
