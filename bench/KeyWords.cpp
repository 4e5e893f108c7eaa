// Keyword lookups against a KeyWords.ini of 5,000 lines: the library (which reads the file on
// every call and reuses its parse while the bytes are unchanged) beside a baseline that decodes
// and scans the whole file on every call, line by line into a list, as the lookup is described.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <list>
#include <string>

#include <benchmark/benchmark.h>

#include <Utility/Utility.h>

namespace {

// A temporary KeyWords.ini, removed at exit: ASCII words with a Chinese word every tenth line,
// CR LF line ends, as the file is written on its home platform.
class KeyWordFile {
 public:
  KeyWordFile() {
    char pattern[] = "/tmp/utility-bench-XXXXXX";
    m_dir = mkdtemp(pattern);
    std::ofstream out(m_dir / "KeyWords.ini", std::ios::binary);
    for (int i = 0; i < 5000; ++i) {
      if (i % 10 == 0) {
        out << "\xD6\xD0\xCE\xC4" << i << "\r\n";  // a GBK word
      } else {
        out << "  Reserved_" << i << " \r\n";
      }
    }
  }
  ~KeyWordFile() { std::filesystem::remove_all(m_dir); }
  std::string Native() const { return (m_dir / "KeyWords.ini").string(); }
  CString Library() const { return CString(Native().c_str()); }

 private:
  std::filesystem::path m_dir;
};

const KeyWordFile& File() {
  static const KeyWordFile file;
  return file;
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

const CString& Word(std::int64_t which) {
  static const CString hit(u"reserved_4999"), miss(u"UNLISTED");
  return which == 0 ? hit : miss;
}

void BM_IsKeyWords(benchmark::State& state) {
  const CString path = File().Library();
  const CString& word = Word(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(CUtility::IsKeyWords(path, word));
  state.counters["answer"] = CUtility::IsKeyWords(path, word);
}

void BM_BaselineIsKeyWords(benchmark::State& state) {
  const std::string path = File().Native();
  const CString& word = Word(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(BaselineIsKeyWords(path, word));
  state.counters["answer"] = BaselineIsKeyWords(path, word);
}

}  // namespace

// Argument 0 looks up the last entry, 1 a word that is not listed.
BENCHMARK(BM_IsKeyWords)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineIsKeyWords)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
