// The cases both text benchmarks share: ANSIToUnicode2 and UnicodeToANSI on one text, each
// beside glibc iconv doing the same conversion in the same run and, when the build found Qt 6
// (UTILITY_BENCH_QT), beside Qt doing it as a Qt program would. Names read
// Role/Operation<suffix> (suffix "/<text>/<size>") for bench/ratios.py, every case counting the
// UTF-8 bytes of the text.
//
// The iconv baseline gets every advantage: its descriptor is opened once and it writes into a
// buffer allocated once, while ours allocate their result on every call as the operations must.
// Qt's calls allocate their result on every call too, as ours do.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <Utility/Utility.h>

#ifdef UTILITY_BENCH_QT
#include <QByteArray>
#include <QString>
#include <QStringView>
#endif

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

// The units before the terminator at p, read strictly within the text: a unit is read only once
// every unit before it is known not to be the terminator. Of the ways measured on this kind of
// machine this one is the fastest: the units go in pairs, one branch for each, the pair's
// second read being of its first unit again when that one is the terminator, so the test of
// that read finds a zero in either. (A branch per unit is a seventh slower; chains of three
// units or more are slower still.)
template <std::size_t... Pair>
bool ZeroInPairs(const char16_t* p, std::size_t& n, std::index_sequence<Pair...>) {
  const auto zeroIn = [&](std::size_t first) {
    const std::size_t j = first + (p[first] != 0 ? 1 : 0);
    if (p[j] != 0) return false;
    n = j;
    return true;
  };
  return (... || zeroIn(n + 2 * Pair));
}

inline std::size_t UnitsBeforeZero(const char16_t* p) {
  std::size_t n = 0;
  while (!ZeroInPairs(p, n, std::make_index_sequence<16>{})) n += 32;
  return n;
}

#ifdef UTILITY_BENCH_QT
// Checks that Qt turns the text into the same UTF-16 and back into the same UTF-8 as ours, so
// that its cases do the same work; stops the program, naming the text, when it does not.
inline void CheckQt(const std::string& suffix, const std::string& narrow, const std::u16string& wide) {
  const CString oursWide = CUtility::ANSIToUnicode2(narrow.c_str());
  const QString qtWide = QString::fromUtf8(narrow.c_str());
  const bool wideOk = std::u16string_view(reinterpret_cast<const char16_t*>(qtWide.utf16()),
                                          static_cast<std::size_t>(qtWide.size())) == oursWide.View();

  char* oursNarrow = CUtility::UnicodeToANSI(reinterpret_cast<const unsigned short*>(wide.c_str()));
  const QByteArray qtNarrow = QStringView(wide.c_str()).toUtf8();
  const bool narrowOk =
      std::string_view(qtNarrow.constData(), static_cast<std::size_t>(qtNarrow.size())) == std::string_view(oursNarrow);
  delete[] oursNarrow;

  const char* text = suffix.c_str() + 1;
  if (!wideOk) {
    std::fprintf(stderr, "text %s: Qt gives other UTF-16 than ANSIToUnicode2\n", text);
    std::exit(EXIT_FAILURE);
  }
  if (!narrowOk) {
    std::fprintf(stderr, "text %s: Qt gives other UTF-8 than UnicodeToANSI\n", text);
    std::exit(EXIT_FAILURE);
  }
}
#endif

// The cases of one text; narrow and wide are its UTF-8 and UTF-16 forms, which must live as long
// as the process.
inline void RegisterConversions(const std::string& suffix, const std::string* narrow, const std::u16string* wide) {
#ifdef UTILITY_BENCH_QT
  CheckQt(suffix, *narrow, *wide);
#endif
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
#ifdef UTILITY_BENCH_QT
  // Given only the pointer, as ours is: Qt finds the length itself, as ours must.
  benchmark::RegisterBenchmark(("Qt/ANSIToUnicode2" + suffix).c_str(), [narrow](benchmark::State& state) {
    for (auto _ : state) {
      QString s = QString::fromUtf8(narrow->c_str());
      benchmark::DoNotOptimize(s.constData());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * narrow->size()));
  });
#endif
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
  // What UnicodeToANSI cannot avoid, whatever its code: finding the terminator without reading
  // past it, since nothing says the text's memory reaches further (a vector load could cross
  // the end of its allocation), and taking its result's block from the heap and giving it back.
  // Encoding the units costs the rest.
  benchmark::RegisterBenchmark(("Floor/UnicodeToANSI" + suffix).c_str(), [narrow, wide](benchmark::State& state) {
    for (auto _ : state) {
      const char16_t* p = wide->c_str();
      benchmark::DoNotOptimize(p);
      const std::size_t n = UnitsBeforeZero(p);
      void* block = std::malloc(n + 2);
      benchmark::DoNotOptimize(block);
      std::free(block);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * narrow->size()));
  });
#ifdef UTILITY_BENCH_QT
  // A view of the zero-terminated units (it finds their length, as ours must), encoded straight
  // from them; QString::fromUtf16 would first copy the units, which ours does not.
  benchmark::RegisterBenchmark(("Qt/UnicodeToANSI" + suffix).c_str(), [narrow, wide](benchmark::State& state) {
    for (auto _ : state) {
      QByteArray a = QStringView(wide->c_str()).toUtf8();
      benchmark::DoNotOptimize(a.constData());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * narrow->size()));
  });
#endif
}

}  // namespace utility::bench
