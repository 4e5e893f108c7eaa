// Variant text and parsing against the C library: each case of ours (Ours/<case>) beside a
// baseline doing the same job with snprintf, its text widened into a CString (Snprintf/<case>),
// or with strtod on the same text (Strtod/<case>). Both sides count the same bytes (the text's
// UTF-16 bytes), so `bench/ratios.py build/release/stage/bin/bench_Variant` prints how many
// times faster ours is.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <Utility/Platform/Date.h>
#include <Utility/Utility.h>

namespace {

// The baseline's output step: 8-bit text widened unit by unit into a CString.
CString Widen(const char* text, int length) {
  WCHAR wide[512];
  for (int i = 0; i < length; ++i) wide[i] = static_cast<unsigned char>(text[i]);
  return CString(wide, length);
}

// A long integer (its text needs a heap block in a CString) and a short one (it does not).
COleVariant I4Value() { return COleVariant(static_cast<LONG>(-1234567890)); }
COleVariant ShortI4Value() { return COleVariant(static_cast<LONG>(12345)); }
COleVariant R8Value() { return COleVariant(-31415.926535897932); }
COleVariant DateValue() { return COleVariant(45356.0 + 50829.0 / 86400.0, VT_DATE); }

void Ours_VarToStr_I4(benchmark::State& state) {
  const COleVariant v = I4Value();
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::VarToStr(v));
}
void Baseline_VarToStr_I4(benchmark::State& state) {
  const COleVariant v = I4Value();
  for (auto _ : state) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%d", static_cast<int>(v.lVal));
    benchmark::DoNotOptimize(Widen(text, n));
  }
}

void Ours_VarToStr_I4Short(benchmark::State& state) {
  const COleVariant v = ShortI4Value();
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::VarToStr(v));
}
void Baseline_VarToStr_I4Short(benchmark::State& state) {
  const COleVariant v = ShortI4Value();
  for (auto _ : state) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%d", static_cast<int>(v.lVal));
    benchmark::DoNotOptimize(Widen(text, n));
  }
}

void Ours_ConVarToStr_I4PlainShort(benchmark::State& state) {
  COleVariant v = ShortI4Value();
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::ConVarToStr(&v, 0, 0));
}
void Baseline_ConVarToStr_I4PlainShort(benchmark::State& state) { Baseline_VarToStr_I4Short(state); }

void Ours_ConVarToStr_I4Hex(benchmark::State& state) {
  COleVariant v = I4Value();
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::ConVarToStr(&v, 0, 1));
}
void Baseline_ConVarToStr_I4Hex(benchmark::State& state) {
  const COleVariant v = I4Value();
  for (auto _ : state) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, "0x%.8X", static_cast<unsigned>(v.lVal));
    benchmark::DoNotOptimize(Widen(text, n));
  }
}

// What every case above pays whatever it does: a CString of 11 and of 19 units, built and
// released, and a variant copied and released (VarToStr takes its argument by value).
void Floor_CString11(benchmark::State& state) {
  const WCHAR units[32] = {u'1'};
  for (auto _ : state) benchmark::DoNotOptimize(CString(units, 11));
}
void Floor_CString19(benchmark::State& state) {
  const WCHAR units[32] = {u'1'};
  for (auto _ : state) benchmark::DoNotOptimize(CString(units, 19));
}
void Floor_VariantCopy(benchmark::State& state) {
  const COleVariant v = I4Value();
  for (auto _ : state) {
    COleVariant copy(v);
    benchmark::DoNotOptimize(copy.lVal);
  }
}

void Ours_VarToStr_R8(benchmark::State& state) {
  const COleVariant v = R8Value();
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::VarToStr(v));
}
void Baseline_VarToStr_R8(benchmark::State& state) {
  const COleVariant v = R8Value();
  for (auto _ : state) {
    char text[400];
    const int n = std::snprintf(text, sizeof text, "%.15f", v.dblVal);
    benchmark::DoNotOptimize(Widen(text, n));
  }
}

void Ours_VarToStr_Date(benchmark::State& state) {
  const COleVariant v = DateValue();
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::VarToStr(v));
}
void DateBaseline(benchmark::State& state) {
  const COleVariant v = DateValue();
  for (auto _ : state) {
    SYSTEMTIME st{};
    VariantTimeToSystemTime(v.date, &st);
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay,
                                st.wHour, st.wMinute, st.wSecond);
    benchmark::DoNotOptimize(Widen(text, n));
  }
}
void Baseline_VarToStr_Date(benchmark::State& state) { DateBaseline(state); }

void Ours_ConVarToStr_I4Plain(benchmark::State& state) {
  COleVariant v = I4Value();
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::ConVarToStr(&v, 0, 0));
}
void Baseline_ConVarToStr_I4Plain(benchmark::State& state) { Baseline_VarToStr_I4(state); }

void Ours_ConVarToStr_R8Places2(benchmark::State& state) {
  COleVariant v = R8Value();
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::ConVarToStr(&v, 2, 0));
}
void Baseline_ConVarToStr_R8Places2(benchmark::State& state) {
  const COleVariant v = R8Value();
  for (auto _ : state) {
    char text[400];
    const int n = std::snprintf(text, sizeof text, "%.2f", v.dblVal);
    benchmark::DoNotOptimize(Widen(text, n));
  }
}

void Ours_ConVarToStr_R8Hex(benchmark::State& state) {
  COleVariant v = R8Value();
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::ConVarToStr(&v, 0, 1));
}
void Baseline_ConVarToStr_R8Hex(benchmark::State& state) {
  const COleVariant v = R8Value();
  for (auto _ : state) {
    unsigned long long bits;
    std::memcpy(&bits, &v.dblVal, sizeof bits);
    char text[64];
    const int n =
        std::snprintf(text, sizeof text, "0x%.8X%.8X", static_cast<unsigned>(bits >> 32), static_cast<unsigned>(bits));
    benchmark::DoNotOptimize(Widen(text, n));
  }
}

void Ours_ConVarToStr_Date(benchmark::State& state) {
  COleVariant v = DateValue();
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::ConVarToStr(&v, 2, 0));
}
void Baseline_ConVarToStr_Date(benchmark::State& state) { DateBaseline(state); }

// Parsing: StrToVar on the text against strtod on the same text.
const char16_t* const kIntegerText = u"-1234567890";
const char16_t* const kRealText = u"-31415.926535897932";
const char16_t* const kDateText = u"2024-03-05 14:07:09";

void StrtodBaseline(benchmark::State& state, const char* text) {
  for (auto _ : state) {
    char* end = nullptr;
    benchmark::DoNotOptimize(std::strtod(text, &end));
    benchmark::DoNotOptimize(end);
  }
}

void Ours_StrToVar_I4(benchmark::State& state) {
  const CString text(kIntegerText);
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::StrToVar(text, VT_I4));
}
void Baseline_StrToVar_I4(benchmark::State& state) { StrtodBaseline(state, "-1234567890"); }

void Ours_StrToVar_R8(benchmark::State& state) {
  const CString text(kRealText);
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::StrToVar(text, VT_R8));
}
void Baseline_StrToVar_R8(benchmark::State& state) { StrtodBaseline(state, "-31415.926535897932"); }

void Ours_StrToVar_Date(benchmark::State& state) {
  const CString text(kDateText);
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::StrToVar(text, VT_DATE));
}
void Baseline_StrToVar_Date(benchmark::State& state) { StrtodBaseline(state, "2024-03-05 14:07:09"); }

// Dates as users type them, each form the general reading takes: on the same texts, strtod
// reads only the leading number, so the ratio is what the whole reading costs beyond that.
constexpr const char16_t* kTypedDates[] = {u"3/5/2024 2:07 PM", u"March 5, 2024", u"2024-03-05T14:07:09", u"5-Mar-24",
                                           u"Tue 5 Mar 2024",   u"3 5 2024",      u"14:07 2024-03-05",    u"10.30 pm"};
constexpr const char* kTypedDatesNarrow[] = {"3/5/2024 2:07 PM", "March 5, 2024", "2024-03-05T14:07:09", "5-Mar-24",
                                             "Tue 5 Mar 2024",   "3 5 2024",      "14:07 2024-03-05",    "10.30 pm"};
constexpr int kTypedUnits = 16 + 13 + 19 + 8 + 14 + 8 + 16 + 8;

void Ours_StrToVar_TypedDates(benchmark::State& state) {
  std::vector<CString> texts;
  for (const char16_t* t : kTypedDates) texts.emplace_back(t);
  for (auto _ : state) {
    for (const CString& text : texts) benchmark::DoNotOptimize(CUtility::StrToVar(text, VT_DATE));
  }
}
void Baseline_StrToVar_TypedDates(benchmark::State& state) {
  for (auto _ : state) {
    for (const char* text : kTypedDatesNarrow) {
      char* end = nullptr;
      benchmark::DoNotOptimize(std::strtod(text, &end));
      benchmark::DoNotOptimize(end);
    }
  }
}

// Both sides of a case count the same bytes: the UTF-16 bytes of the text made or read.
template <void (*Case)(benchmark::State&), int Units>
void Counted(benchmark::State& state) {
  Case(state);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * Units * 2);
}

}  // namespace

BENCHMARK(Counted<Ours_VarToStr_I4, 11>)->Name("Ours/VarToStr_I4");
BENCHMARK(Counted<Baseline_VarToStr_I4, 11>)->Name("Snprintf/VarToStr_I4");
BENCHMARK(Counted<Ours_VarToStr_I4Short, 5>)->Name("Ours/VarToStr_I4Short");
BENCHMARK(Counted<Baseline_VarToStr_I4Short, 5>)->Name("Snprintf/VarToStr_I4Short");
BENCHMARK(Counted<Ours_VarToStr_R8, 22>)->Name("Ours/VarToStr_R8");
BENCHMARK(Counted<Baseline_VarToStr_R8, 22>)->Name("Snprintf/VarToStr_R8");
BENCHMARK(Counted<Ours_VarToStr_Date, 19>)->Name("Ours/VarToStr_Date");
BENCHMARK(Counted<Baseline_VarToStr_Date, 19>)->Name("Snprintf/VarToStr_Date");
BENCHMARK(Counted<Ours_ConVarToStr_I4Plain, 11>)->Name("Ours/ConVarToStr_I4Plain");
BENCHMARK(Counted<Baseline_ConVarToStr_I4Plain, 11>)->Name("Snprintf/ConVarToStr_I4Plain");
BENCHMARK(Counted<Ours_ConVarToStr_I4PlainShort, 5>)->Name("Ours/ConVarToStr_I4PlainShort");
BENCHMARK(Counted<Baseline_ConVarToStr_I4PlainShort, 5>)->Name("Snprintf/ConVarToStr_I4PlainShort");
BENCHMARK(Counted<Ours_ConVarToStr_I4Hex, 10>)->Name("Ours/ConVarToStr_I4Hex");
BENCHMARK(Counted<Baseline_ConVarToStr_I4Hex, 10>)->Name("Snprintf/ConVarToStr_I4Hex");
BENCHMARK(Counted<Ours_ConVarToStr_R8Places2, 9>)->Name("Ours/ConVarToStr_R8Places2");
BENCHMARK(Counted<Baseline_ConVarToStr_R8Places2, 9>)->Name("Snprintf/ConVarToStr_R8Places2");
BENCHMARK(Counted<Ours_ConVarToStr_R8Hex, 18>)->Name("Ours/ConVarToStr_R8Hex");
BENCHMARK(Counted<Baseline_ConVarToStr_R8Hex, 18>)->Name("Snprintf/ConVarToStr_R8Hex");
BENCHMARK(Counted<Ours_ConVarToStr_Date, 19>)->Name("Ours/ConVarToStr_Date");
BENCHMARK(Counted<Baseline_ConVarToStr_Date, 19>)->Name("Snprintf/ConVarToStr_Date");
BENCHMARK(Counted<Ours_StrToVar_I4, 11>)->Name("Ours/StrToVar_I4");
BENCHMARK(Counted<Baseline_StrToVar_I4, 11>)->Name("Strtod/StrToVar_I4");
BENCHMARK(Counted<Ours_StrToVar_R8, 19>)->Name("Ours/StrToVar_R8");
BENCHMARK(Counted<Baseline_StrToVar_R8, 19>)->Name("Strtod/StrToVar_R8");
BENCHMARK(Counted<Ours_StrToVar_Date, 19>)->Name("Ours/StrToVar_Date");
BENCHMARK(Counted<Baseline_StrToVar_Date, 19>)->Name("Strtod/StrToVar_Date");
BENCHMARK(Counted<Ours_StrToVar_TypedDates, kTypedUnits>)->Name("Ours/StrToVar_TypedDates");
BENCHMARK(Counted<Baseline_StrToVar_TypedDates, kTypedUnits>)->Name("Strtod/StrToVar_TypedDates");
// The floors every formatting case pays (no byte count: reported on their own).
BENCHMARK(Floor_CString11);
BENCHMARK(Floor_CString19);
BENCHMARK(Floor_VariantCopy);
