// ReplaceEx in time linear in the text: time per byte at 4 KiB, 64 KiB and 1 MiB with four
// delimiters, beside the literal rendering that copies the remainder at every delimiter (run
// only up to 64 KiB, where it is still quick). bench/ratios.py prints the ratios.
#include <random>
#include <string>

#include <benchmark/benchmark.h>

#include <Utility/Utility.h>

#include "tests/names/ReplaceExOracle.h"

namespace {

// An expression-like text: words of one to eight letters, some with spaces around them,
// joined by the four operators. "A" occurs as a whole word and inside longer words.
CString MakeText(std::size_t bytes) {
  std::mt19937 rng(42);
  const char16_t delimiters[] = u"+-*/";
  std::u16string text;
  while (text.size() * sizeof(char16_t) < bytes) {
    if (rng() % 4 == 0) text += u' ';
    const std::size_t length = 1 + rng() % 8;
    for (std::size_t i = 0; i < length; ++i) text += static_cast<char16_t>(u'A' + rng() % 3);
    if (rng() % 4 == 0) text += u' ';
    text += delimiters[rng() % 4];
  }
  text.resize(bytes / sizeof(char16_t));
  return CString(std::u16string_view(text));
}

void SetPerByte(benchmark::State& state) {
  const double bytes = static_cast<double>(state.range(0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
  // Seconds per (byte * 1e-9): nanoseconds per byte.
  state.counters["ns_per_byte"] =
      benchmark::Counter(bytes * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ReplaceEx(benchmark::State& state) {
  const CString input = MakeText(static_cast<std::size_t>(state.range(0)));
  const CString delimiters(u"+-*/"), oldWord(u"A"), newWord(u"X");
  for (auto _ : state) {
    CString text = input;
    CUtility::ReplaceEx(text, delimiters, oldWord, newWord);
    benchmark::DoNotOptimize(text.GetString());
  }
  SetPerByte(state);
}

void BM_LiteralReplaceEx(benchmark::State& state) {
  const CString input = MakeText(static_cast<std::size_t>(state.range(0)));
  const CString delimiters(u"+-*/"), oldWord(u"A"), newWord(u"X");
  for (auto _ : state) {
    CString text = input;
    oracle::LiteralReplaceEx(text, delimiters, oldWord, newWord);
    benchmark::DoNotOptimize(text.GetString());
  }
  SetPerByte(state);
}

}  // namespace

BENCHMARK(BM_ReplaceEx)->Arg(4 << 10)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LiteralReplaceEx)->Arg(4 << 10)->Arg(16 << 10)->Arg(64 << 10)->Unit(benchmark::kMicrosecond);
