// ReplaceEx in time linear in the text: time per byte at 4 KiB, 64 KiB and 1 MiB with four
// delimiters, beside the literal rendering that copies the remainder at every delimiter (run
// only up to 64 KiB, where it is still quick). bench/names_ratios.py prints the ratios.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <Utility/Utility.h>

#include "tests/names/ReplaceExOracle.h"

namespace {

// An expression-like text: words of one to eight letters, some with spaces around them,
// joined by the four operators. "A" occurs as a whole word and inside longer words.
CString MakeText(std::size_t bytes, unsigned seed) {
  std::mt19937 rng(seed);
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

// Distinct texts of one size, at least 1 MiB in all. Were one small text run again and again,
// the branch predictor would learn its word boundaries and the small sizes would look faster
// per byte than any real text; cycling through fresh texts compares like with like.
std::vector<CString> MakeTexts(std::size_t bytes) {
  std::vector<CString> texts;
  const std::size_t count = std::max<std::size_t>(1, (std::size_t{1} << 20) / bytes);
  for (std::size_t i = 0; i < count; ++i) texts.push_back(MakeText(bytes, static_cast<unsigned>(42 + i)));
  return texts;
}

// Each iteration replaces A by X and then X by A, so the text comes back as it was and no copy
// of it is timed. The texts are first brought to the form that replacement leaves white space
// in (one space per run), so both calls do the same work.
template <class Replace>
void Run(benchmark::State& state, Replace replace) {
  std::vector<CString> texts = MakeTexts(static_cast<std::size_t>(state.range(0)));
  const CString delimiters(u"+-*/"), a(u"A"), x(u"X");
  for (CString& text : texts) replace(text, delimiters, x, a);
  std::size_t next = 0;
  for (auto _ : state) {
    CString& text = texts[next];
    next = next + 1 == texts.size() ? 0 : next + 1;
    replace(text, delimiters, a, x);
    replace(text, delimiters, x, a);
    benchmark::DoNotOptimize(text.GetString());
  }
  const double bytes = 2.0 * static_cast<double>(state.range(0));  // two passes per iteration
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2 * state.range(0));
  // Seconds per (byte * 1e-9): nanoseconds per byte.
  state.counters["ns_per_byte"] =
      benchmark::Counter(bytes * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ReplaceEx(benchmark::State& state) { Run(state, &CUtility::ReplaceEx); }
void BM_LiteralReplaceEx(benchmark::State& state) { Run(state, &utility::testsupport::oracle::LiteralReplaceEx); }

}  // namespace

BENCHMARK(BM_ReplaceEx)->Arg(4 << 10)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LiteralReplaceEx)->Arg(4 << 10)->Arg(16 << 10)->Arg(64 << 10)->Unit(benchmark::kMicrosecond);
