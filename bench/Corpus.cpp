// Throughput of ANSIToUnicode2 and UnicodeToANSI on real mixed text: the short texts of
// bench/corpus (prose in thirteen scripts and mixes, a chat log full of emoji, C++ source with
// comments in several languages), each cut to 1 KiB and repeated to 1 MiB, beside glibc iconv
// and, when the build found it, Qt 6 doing the same conversion in the same run. Names read
// Role/Operation/text/size, so that bench/ratios.py can set every "Ours" case against its
// baselines; every case counts the UTF-8 bytes of its text.
//
// The cases and their baselines are those of ConversionCases.h.
//
// Every text is read and checked before anything is measured: a corpus file that is missing,
// unreadable, empty or not valid UTF-8, or a text on which ours and iconv (or Qt) disagree, stops
// the program with a message naming it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <Utility/Utility.h>

#include "bench/ConversionCases.h"

namespace {

// The corpus, in the order in which its cases are listed: bench/corpus/<name>.txt.
constexpr const char* kTexts[] = {"french",  "german",   "spanish", "russian", "greek",      "arabic",    "hebrew",
                                  "chinese", "japanese", "korean",  "hindi",   "emoji_chat", "cpp_source"};

[[noreturn]] void Fail(const std::string& name, const char* what) {
  std::fprintf(stderr, "bench_Corpus: %s/%s.txt: %s\n", UTILITY_CORPUS_DIR, name.c_str(), what);
  std::exit(EXIT_FAILURE);
}

// The same for the text as cut or repeated to one of the sizes measured.
[[noreturn]] void Fail(const std::string& name, const char* size, const char* what) {
  std::fprintf(stderr, "bench_Corpus: %s/%s.txt, as %s: %s\n", UTILITY_CORPUS_DIR, name.c_str(), size, what);
  std::exit(EXIT_FAILURE);
}

std::string ReadText(const std::string& name) {
  std::ifstream in(std::string(UTILITY_CORPUS_DIR) + "/" + name + ".txt", std::ios::binary);
  if (!in) Fail(name, "cannot be opened");
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) Fail(name, "cannot be read");
  if (text.empty()) Fail(name, "is empty");
  if (text.find('\0') != std::string::npos) Fail(name, "holds a NUL byte");
  return text;
}

// The text cut to at most limit bytes, at the start of a character (never inside a UTF-8
// sequence).
std::string Cut(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

// The text repeated as often as it fits in size bytes (at least once).
std::string Repeat(const std::string& text, std::size_t size) {
  std::string out = text;
  while (out.size() + text.size() <= size) out += text;
  return out;
}

// Checks that ours and iconv turn the text into the same UTF-16 and back into the same bytes,
// so that both sides of every case do the same work.
void Check(const std::string& name, const char* size, const std::string& narrow, const std::u16string& wide) {
  char* back = CUtility::UnicodeToANSI(reinterpret_cast<const unsigned short*>(wide.c_str()));
  const bool same = narrow == back;
  delete[] back;
  if (!same) Fail(name, size, "is not valid UTF-8 (it does not come back unchanged from UTF-16)");

  iconv_t toWide = utility::bench::OpenIconv("UTF-16LE", "UTF-8");
  std::vector<char> out((wide.size() + 1) * 2);
  std::size_t bytes = 0;
  const bool wideOk =
      utility::bench::IconvConvert(toWide, narrow.data(), narrow.size(), out, &bytes) && bytes == wide.size() * 2 &&
      std::char_traits<char>::compare(out.data(), reinterpret_cast<const char*>(wide.data()), bytes) == 0;
  iconv_close(toWide);
  if (!wideOk) Fail(name, size, "gives other UTF-16 through iconv than through ANSIToUnicode2");

  iconv_t toNarrow = utility::bench::OpenIconv("UTF-8", "UTF-16LE");
  out.assign(narrow.size() + 1, '\0');
  const bool narrowOk = utility::bench::IconvConvert(toNarrow, reinterpret_cast<const char*>(wide.data()),
                                                     wide.size() * 2, out, &bytes) &&
                        bytes == narrow.size() && narrow.compare(0, bytes, out.data(), bytes) == 0;
  iconv_close(toNarrow);
  if (!narrowOk) Fail(name, size, "gives other UTF-8 through iconv than through UnicodeToANSI");
}

void Register(const std::string& name, const std::string& text, const char* sizeName) {
  const std::string suffix = "/" + name + "/" + sizeName;
  // The texts live as long as the process; the benchmarks refer to them.
  const auto* narrow = new std::string(text);
  const auto* wide = new std::u16string(CUtility::ANSIToUnicode2(narrow->c_str()).View());
  Check(name, sizeName, *narrow, *wide);

  utility::bench::RegisterConversions(suffix, narrow, wide);
}

const bool kRegistered = [] {
  for (const char* name : kTexts) {
    const std::string text = ReadText(name);
    Register(name, Cut(text, 1 << 10), "1KiB");
    Register(name, Repeat(text, 1 << 20), "1MiB");
  }
  return true;
}();

}  // namespace
