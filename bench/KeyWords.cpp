// Name checks and keyword lookups against a KeyWords.ini of 5,000 lines: the library (which
// reads the file on every call and reuses its parse while the bytes are unchanged) beside a
// baseline that decodes and scans the whole file on every call, line by line into a list, as
// the lookup is described. bench/names_ratios.py prints baseline/ours.
//
// CheckNameValidiy reads KeyWords.ini beside the running program. So that the staged starter
// list is never touched, the program copies itself into a temporary directory holding the
// 5,000-line file and runs the copy.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <list>
#include <string>

#include <benchmark/benchmark.h>

#include <Utility/Platform/Path.h>
#include <Utility/Utility.h>

namespace {

void WriteKeyWords(const std::filesystem::path& file) {
  // ASCII words with a Chinese word every tenth line, CR LF line ends, as the file is written
  // on its home platform.
  std::ofstream out(file, std::ios::binary);
  for (int i = 0; i < 5000; ++i) {
    if (i % 10 == 0) {
      out << "\xD6\xD0\xCE\xC4" << i << "\r\n";  // a GBK word
    } else {
      out << "  Reserved_" << i << " \r\n";
    }
  }
}

// KeyWords.ini in the host directory of this (relocated) program: the 5,000-line file.
CString HostKeyWords() {
  CString path;
  path.Format(u"%s\\KeyWords.ini", CUtility::GetModulePath());
  return path;
}

// The lookup as described: open, read each line, decode it from code page 936, upper-case and
// trim it into a list, then search the list for the upper-cased word.
int BaselineIsKeyWords(const std::string& path, const CString& word) {
  std::list<CString> entries;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    std::string line;
    int c;
    bool any = false;
    auto flush = [&] {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      CString entry;
      if (!line.empty()) {
        const int n = MultiByteToWideChar(CP_GBK, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        WCHAR* buffer = entry.GetBuffer(n);
        MultiByteToWideChar(CP_GBK, 0, line.data(), static_cast<int>(line.size()), buffer, n);
        entry.ReleaseBuffer(n);
      }
      entry.MakeUpper();
      entry.TrimLeft();
      entry.TrimRight();
      entries.push_back(entry);
      line.clear();
    };
    while ((c = std::fgetc(f)) != EOF) {
      any = true;
      if (c == '\n') {
        flush();
        any = false;
      } else {
        line.push_back(static_cast<char>(c));
      }
    }
    if (any) flush();
    std::fclose(f);
  }
  CString upper = word;
  upper.MakeUpper();
  for (const CString& entry : entries) {
    if (entry == upper) return 1;
  }
  return 0;
}

// CheckNameValidiy told step by step, ending in the baseline lookup.
int BaselineCheckNameValidiy(CString name, int allowFreeForm, int allowSpace) {
  name.TrimLeft();
  name.TrimRight();
  name.MakeUpper();
  if (name.IsEmpty()) return 1;
  if (allowSpace == 0 && name.Find(u' ') >= 0) return 2;
  for (const char16_t* c = u"~`!@#$%^&*()[]{}\"';:?><,-+=|\\/"; *c != 0; ++c) {
    if (name.Find(static_cast<WCHAR>(*c)) >= 0) return 3;
  }
  if (allowFreeForm == 0) {
    if (name[0] < u'A' || name[0] > u'Z') return 3;
    for (int i = 0; i < name.GetLength(); ++i) {
      const WCHAR c = name[i];
      if (!((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_')) return 3;
    }
  }
  return BaselineIsKeyWords(utility::platform::NativePath(HostKeyWords()), name) != 0 ? 4 : 0;
}

// Argument 0 checks a name listed on the last line, 1 a name that is not listed.
const CString& Name(std::int64_t which) {
  static const CString listed(u" reserved_4999 "), unlisted(u"Unlisted_Name");
  return which == 0 ? listed : unlisted;
}

void BM_CheckNameValidiy(benchmark::State& state) {
  const CString& name = Name(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::CheckNameValidiy(name, 0, 0));
  state.counters["answer"] = CUtility::CheckNameValidiy(name, 0, 0);
}

void BM_BaselineCheckNameValidiy(benchmark::State& state) {
  const CString& name = Name(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(BaselineCheckNameValidiy(name, 0, 0));
  state.counters["answer"] = BaselineCheckNameValidiy(name, 0, 0);
}

// Argument 0 looks up the last entry, 1 a word that is not listed.
const CString& Word(std::int64_t which) {
  static const CString listed(u"reserved_4999"), unlisted(u"Unlisted_Name");
  return which == 0 ? listed : unlisted;
}

void BM_IsKeyWords(benchmark::State& state) {
  const CString path = HostKeyWords();
  const CString& word = Word(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::IsKeyWords(path, word));
  state.counters["answer"] = CUtility::IsKeyWords(path, word);
}

void BM_BaselineIsKeyWords(benchmark::State& state) {
  const std::string path = utility::platform::NativePath(HostKeyWords());
  const CString& word = Word(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(BaselineIsKeyWords(path, word));
  state.counters["answer"] = BaselineIsKeyWords(path, word);
}

// Copies this program into a new temporary directory beside a 5,000-line KeyWords.ini, runs
// the copy with the same arguments and returns its exit status.
int RunRelocated(char** argv) {
  char pattern[] = "/tmp/utility-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::filesystem::path dir = pattern;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  const std::filesystem::path copy = dir / self.filename();
  std::filesystem::copy_file(self, copy);
  WriteKeyWords(dir / "KeyWords.ini");
  // The copy finds the libraries where the original does.
  std::string libraries = UTILITY_STAGE_LIBDIR;
  if (const char* old = std::getenv("LD_LIBRARY_PATH")) libraries += std::string(":") + old;
  setenv("LD_LIBRARY_PATH", libraries.c_str(), 1);
  setenv("UTILITY_BENCH_RELOCATED", "1", 1);
  int status = 1;
  const pid_t child = fork();
  if (child == 0) {
    execv(copy.c_str(), argv);
    _exit(127);
  }
  if (child > 0 && waitpid(child, &status, 0) == child) status = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
  std::filesystem::remove_all(dir);
  return status;
}

}  // namespace

BENCHMARK(BM_CheckNameValidiy)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineCheckNameValidiy)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IsKeyWords)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineIsKeyWords)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  if (std::getenv("UTILITY_BENCH_RELOCATED") == nullptr) return RunRelocated(argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
