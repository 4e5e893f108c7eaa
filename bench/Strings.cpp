// Case mapping and Format, each beside its baseline: the two-level case table against a
// binary search over a sorted range table, Format against the C library's snprintf.
#include <Utility/Platform/String.h>
#include <Utility/Platform/Unicode.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

namespace {

// Mixed text: ASCII, Latin, Greek, Cyrillic and CJK units.
std::vector<WCHAR> MixedText(std::size_t n) {
  std::mt19937 rng(1);
  const unsigned ranges[][2] = {{0x20, 0x7F}, {0xC0, 0x17F}, {0x391, 0x3C9}, {0x410, 0x44F}, {0x4E00, 0x9FFF}};
  std::vector<WCHAR> t(n);
  for (auto& c : t) {
    const auto& r = ranges[rng() % 5];
    c = static_cast<WCHAR>(r[0] + rng() % (r[1] - r[0]));
  }
  return t;
}

void BM_Ours_ToUpperUnit(benchmark::State& state) {
  auto text = MixedText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    for (WCHAR& c : text) c = utility::platform::ToUpperUnit(c);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The baseline: the same mapping held as sorted (unit, upper) pairs, found by binary search.
void BM_RangeTable_ToUpper(benchmark::State& state) {
  std::vector<std::pair<WCHAR, WCHAR>> table;
  for (unsigned c = 0; c <= 0xFFFF; ++c) {
    const WCHAR up = utility::platform::ToUpperUnit(static_cast<WCHAR>(c));
    if (up != c) table.emplace_back(static_cast<WCHAR>(c), up);
  }
  auto text = MixedText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    for (WCHAR& c : text) {
      auto it = std::lower_bound(table.begin(), table.end(), c, [](const auto& e, WCHAR v) { return e.first < v; });
      if (it != table.end() && it->first == c) c = it->second;
    }
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Ours_FormatNumbers(benchmark::State& state) {
  CString s;
  int i = 0;
  for (auto _ : state) {
    s.Format(u"%d:%08X:%.6f", i, i * 7, i * 0.25);
    benchmark::DoNotOptimize(s.GetString());
    ++i;
  }
}

void BM_Snprintf_FormatNumbers(benchmark::State& state) {
  char buf[128];
  int i = 0;
  for (auto _ : state) {
    std::snprintf(buf, sizeof buf, "%d:%08X:%.6f", i, static_cast<unsigned>(i * 7), i * 0.25);
    benchmark::DoNotOptimize(buf);
    ++i;
  }
}

void BM_Ours_FormatText(benchmark::State& state) {
  const CString dir(u"\\opt\\app\\bin"), name(u"KeyWords.ini");
  CString s;
  for (auto _ : state) {
    s.Format(u"%s\\%s", dir, name);
    benchmark::DoNotOptimize(s.GetString());
  }
}

void BM_Snprintf_FormatText(benchmark::State& state) {
  char buf[128];
  for (auto _ : state) {
    std::snprintf(buf, sizeof buf, "%s\\%s", "\\opt\\app\\bin", "KeyWords.ini");
    benchmark::DoNotOptimize(buf);
  }
}

}  // namespace

BENCHMARK(BM_Ours_ToUpperUnit)->Arg(1 << 10)->Arg(1 << 16);
BENCHMARK(BM_RangeTable_ToUpper)->Arg(1 << 10)->Arg(1 << 16);
BENCHMARK(BM_Ours_FormatNumbers);
BENCHMARK(BM_Snprintf_FormatNumbers);
BENCHMARK(BM_Ours_FormatText);
BENCHMARK(BM_Snprintf_FormatText);
