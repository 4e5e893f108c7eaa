// Throughput of ANSIToUnicode2, UnicodeToANSI and CString's UTF-8 conversions on homogeneous
// text (all ASCII, all Latin-1-range letters, all CJK) of 1 KiB and 1 MiB (UTF-8 bytes), each
// beside glibc iconv doing the same conversion (the cases of ConversionCases.h, with Qt 6 as a
// further baseline when the build found it) and a memcpy of the same bytes, in the same run. Names read
// Role/Operation/text/size, so that bench/ratios.py can set every "Ours" case against its baselines. bench_Corpus
// measures mixed text the same way.
//
// Floor/ANSIToUnicode2 is the least that the conversion must do whatever its code: take its
// result's block from the heap and give it back.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <Utility/Utility.h>

#include "bench/ConversionCases.h"

namespace {

enum class Kind { Ascii, Latin1, Cjk };

const char* KindName(Kind k) { return k == Kind::Ascii ? "ascii" : k == Kind::Latin1 ? "latin1" : "cjk"; }

// UTF-8 text of about size bytes: printable ASCII, U+00A0..U+00FF, or U+4E00 upwards.
std::string MakeText(Kind kind, std::size_t size) {
  std::u16string units;
  std::size_t bytes = 0;
  for (std::size_t i = 0; bytes < size; ++i) {
    switch (kind) {
      case Kind::Ascii:
        units += static_cast<char16_t>(0x20 + i % 95);
        bytes += 1;
        break;
      case Kind::Latin1:
        units += static_cast<char16_t>(0xA0 + i % 96);
        bytes += 2;
        break;
      case Kind::Cjk:
        units += static_cast<char16_t>(0x4E00 + (i * 7) % 0x5000);
        bytes += 3;
        break;
    }
  }
  char* narrow = CUtility::UnicodeToANSI(reinterpret_cast<const unsigned short*>(units.c_str()));
  std::string text(narrow);
  delete[] narrow;
  return text;
}

std::u16string Widen(const std::string& text) {
  const CString s = CUtility::ANSIToUnicode2(text.c_str());
  return std::u16string(s.View());
}

void Memcpy(benchmark::State& state, const std::string& text) {
  std::vector<char> out(text.size());
  for (auto _ : state) {
    std::memcpy(out.data(), text.data(), text.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void Register(Kind kind, std::size_t size, const char* sizeName) {
  const std::string suffix = std::string("/") + KindName(kind) + "/" + sizeName;
  // The texts live as long as the process; the benchmarks refer to them.
  const auto* narrow = new std::string(MakeText(kind, size));
  const auto* wide = new std::u16string(Widen(*narrow));

  utility::bench::RegisterConversions(suffix, narrow, wide);
  benchmark::RegisterBenchmark(("Memcpy/ANSIToUnicode2" + suffix).c_str(),
                               [narrow](benchmark::State& state) { Memcpy(state, *narrow); });
  // What the operation cannot avoid: taking the result's block from the C heap, where strings
  // get theirs, and giving it back. No unit is even written. (Shown for the small texts, where
  // it matters: a block of megabytes is handed back and forth whole.)
  if (size < (1u << 20))
    benchmark::RegisterBenchmark(("Floor/ANSIToUnicode2" + suffix).c_str(), [narrow, wide](benchmark::State& state) {
      const std::size_t bytes = (wide->size() + 1) * sizeof(char16_t);
      for (auto _ : state) {
        void* block = std::malloc(bytes);
        benchmark::DoNotOptimize(block);
        std::free(block);
      }
      state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * narrow->size()));
    });

  benchmark::RegisterBenchmark(("Memcpy/UnicodeToANSI" + suffix).c_str(),
                               [narrow](benchmark::State& state) { Memcpy(state, *narrow); });

  // CString's own conversions, which every platform call that takes or gives UTF-8 uses.
  benchmark::RegisterBenchmark(("Ours/CStringFromUtf8" + suffix).c_str(), [narrow](benchmark::State& state) {
    for (auto _ : state) {
      CString s = CString::FromUtf8(*narrow);
      benchmark::DoNotOptimize(s.GetString());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * narrow->size()));
  });
  benchmark::RegisterBenchmark(("Iconv/CStringFromUtf8" + suffix).c_str(), [narrow, wide](benchmark::State& state) {
    utility::bench::Iconv(state, "UTF-16LE", "UTF-8", narrow->data(), narrow->size(), (wide->size() + 1) * 2,
                          narrow->size());
  });
  benchmark::RegisterBenchmark(("Ours/CStringToUtf8" + suffix).c_str(), [narrow, wide](benchmark::State& state) {
    const CString s{std::u16string_view(*wide)};
    for (auto _ : state) {
      std::string out = s.ToUtf8();
      benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * narrow->size()));
  });
  benchmark::RegisterBenchmark(("Iconv/CStringToUtf8" + suffix).c_str(), [narrow, wide](benchmark::State& state) {
    utility::bench::Iconv(state, "UTF-8", "UTF-16LE", reinterpret_cast<const char*>(wide->data()), wide->size() * 2,
                          narrow->size() + 1, narrow->size());
  });
}

const bool kRegistered = [] {
  for (Kind kind : {Kind::Ascii, Kind::Latin1, Kind::Cjk}) {
    Register(kind, 1 << 10, "1KiB");
    Register(kind, 1 << 20, "1MiB");
  }
  return true;
}();

}  // namespace
