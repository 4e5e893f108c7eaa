// The ASCII scans and the narrowing pass, every vector variant this machine can run, against
// plain loops: each length around the vector widths at each alignment (with non-ASCII bytes
// before the text and after its terminator in the same aligned blocks), a non-ASCII unit at
// each position, and text that ends at the end of a readable page or starts at the start of one.
//
// The source file is included so that the variants themselves are reachable, not only the
// entry points that pick one.
#include "encoding/AsciiText.cpp"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using NarrowScanFn = bool (*)(const char*, std::size_t&);
using WideScanFn = bool (*)(const WCHAR*, std::size_t&);
using NarrowFn = void (*)(const WCHAR*, std::size_t, char*);

template <class Fn>
struct Variant {
  const char* name;
  Fn fn;
};

std::vector<Variant<NarrowScanFn>> NarrowScans() {
  std::vector<Variant<NarrowScanFn>> v{{"entry", static_cast<NarrowScanFn>(&utility::encoding::ScanAscii)}};
#if defined(__x86_64__)
  v.push_back({"sse2", &utility::encoding::ScanNarrowSse2});
  if (__builtin_cpu_supports("avx2")) v.push_back({"avx2", &utility::encoding::ScanNarrowAvx2});
#endif
  return v;
}

std::vector<Variant<WideScanFn>> WideScans() {
  std::vector<Variant<WideScanFn>> v{{"entry", static_cast<WideScanFn>(&utility::encoding::ScanAscii)}};
#if defined(__x86_64__)
  v.push_back({"sse2", &utility::encoding::ScanWideSse2});
  if (__builtin_cpu_supports("avx2")) v.push_back({"avx2", &utility::encoding::ScanWideAvx2});
#endif
  return v;
}

std::vector<Variant<NarrowFn>> Narrowings() {
  std::vector<Variant<NarrowFn>> v{{"entry", &utility::encoding::NarrowAscii}};
#if defined(__x86_64__)
  // The vector variants leave the last few units to the caller's loop, as NarrowAscii does.
  v.push_back({"sse2", [](const WCHAR* t, std::size_t n, char* o) {
                 for (std::size_t i = utility::encoding::NarrowSse2(t, n, o); i < n; ++i)
                   o[i] = static_cast<char>(t[i]);
               }});
  if (__builtin_cpu_supports("avx2")) {
    v.push_back({"avx2", [](const WCHAR* t, std::size_t n, char* o) {
                   for (std::size_t i = utility::encoding::NarrowAvx2(t, n, o); i < n; ++i)
                     o[i] = static_cast<char>(t[i]);
                 }});
  }
#endif
  return v;
}

// The plain scan: walk to the terminator, give up at the first unit of 0x80 or more.
template <class Unit>
bool PlainScan(const Unit* s, std::size_t& length) {
  std::size_t n = 0;
  for (; s[n] != 0; ++n) {
    if (static_cast<unsigned>(s[n]) >= 0x80) return false;
  }
  length = n;
  return true;
}

// ASCII content that includes both ends of the range, 0x01 and 0x7F.
template <class Unit>
Unit Content(std::size_t i) {
  return static_cast<Unit>(1 + (i * 37) % 127);
}

template <class Unit, class Fn>
void ExpectScan(const Variant<Fn>& v, const Unit* text, bool ascii, std::size_t length) {
  std::size_t got = 12345;
  const bool result = v.fn(text, got);
  std::size_t plain = 0;
  ASSERT_EQ(PlainScan(text, plain), ascii) << "the test's own text is wrong";
  EXPECT_EQ(result, ascii) << v.name;
  if (ascii && result) {
    EXPECT_EQ(got, length) << v.name;
    EXPECT_EQ(plain, length);
  }
}

// A buffer aligned to 128 bytes: the text starts offset units in; the units before it and
// after its terminator are non-ASCII, so a scan that looks at them is caught.
template <class Unit>
struct Block {
  static constexpr std::size_t kUnits = 1024;
  alignas(128) Unit units[kUnits];

  Unit* Fill(std::size_t offset, std::size_t length, Unit before, Unit after) {
    for (std::size_t i = 0; i < offset; ++i) units[i] = before;
    for (std::size_t i = 0; i < length; ++i) units[offset + i] = Content<Unit>(i);
    units[offset + length] = 0;
    for (std::size_t i = offset + length + 1; i < kUnits; ++i) units[i] = (i & 1) != 0 ? after : before;
    return units + offset;
  }
};

// Every length at every alignment of the block (offsets up to 128 bytes), non-ASCII around.
template <class Unit, class Fn>
void ExpectEveryLengthFound(const std::vector<Variant<Fn>>& variants, Unit before, Unit after) {
  auto block = std::make_unique<Block<Unit>>();
  for (const auto& v : variants) {
    for (std::size_t offset = 0; offset < 128 / sizeof(Unit); ++offset) {
      for (std::size_t length = 0; length <= 320; ++length) {
        SCOPED_TRACE("offset " + std::to_string(offset) + ", length " + std::to_string(length));
        ExpectScan(v, static_cast<const Unit*>(block->Fill(offset, length, before, after)), true, length);
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
}

TEST(AsciiScan, FindsEveryLengthAtEveryAlignment) {
  ExpectEveryLengthFound<char>(NarrowScans(), static_cast<char>(0xFF), static_cast<char>(0x80));
  ExpectEveryLengthFound<WCHAR>(WideScans(), 0xFFFF, 0x0080);
}

// One non-ASCII unit planted at each position of ASCII text, with ASCII around.
template <class Unit, class Fn>
void ExpectEveryPlantedUnitRejected(const std::vector<Variant<Fn>>& variants, std::initializer_list<int> bad) {
  const std::size_t offsets[] = {0, 1, 17, 31, 32, 63, 77, 127};
  std::vector<std::size_t> lengths;
  for (std::size_t n = 1; n <= 140; ++n) lengths.push_back(n);
  for (std::size_t n : {255, 256, 257, 300}) lengths.push_back(n);
  auto block = std::make_unique<Block<Unit>>();
  for (const auto& v : variants) {
    for (std::size_t offset : offsets) {
      if (offset * sizeof(Unit) >= 128) continue;
      for (std::size_t length : lengths) {
        Unit* text = block->Fill(offset, length, 'a', 'b');
        for (std::size_t at = 0; at < length; ++at) {
          for (const int unit : bad) {
            const Unit saved = text[at];
            text[at] = static_cast<Unit>(unit);
            std::size_t ignored = 0;
            const bool ascii = v.fn(text, ignored);
            text[at] = saved;
            if (ascii) {
              ADD_FAILURE() << v.name << ": offset " << offset << ", length " << length << ", at " << at << ", unit "
                            << unit;
              return;
            }
          }
        }
      }
    }
  }
}

TEST(AsciiScan, RejectsANonAsciiUnitAtEachPosition) {
  ExpectEveryPlantedUnitRejected<char>(NarrowScans(), {0x80, 0xC3, 0xFF});
  ExpectEveryPlantedUnitRejected<WCHAR>(WideScans(), {0x0080, 0x00FF, 0x0100, 0x7F80, 0x8000, 0xD800, 0xFFFF});
}

// Three pages of which only the middle one may be read.
class GuardedPage {
 public:
  GuardedPage() : m_size(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {
    void* p = mmap(nullptr, 3 * m_size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return;
    m_base = static_cast<unsigned char*>(p);
    if (mprotect(m_base + m_size, m_size, PROT_READ | PROT_WRITE) != 0) {
      munmap(m_base, 3 * m_size);
      m_base = nullptr;
    }
  }
  ~GuardedPage() {
    if (m_base != nullptr) munmap(m_base, 3 * m_size);
  }
  GuardedPage(const GuardedPage&) = delete;
  GuardedPage& operator=(const GuardedPage&) = delete;

  bool Ok() const { return m_base != nullptr; }
  unsigned char* Begin() const { return m_base + m_size; }
  unsigned char* End() const { return m_base + 2 * m_size; }

 private:
  std::size_t m_size;
  unsigned char* m_base = nullptr;
};

template <class Unit>
Unit* Place(Unit* at, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) at[i] = Content<Unit>(i);
  at[length] = 0;
  return at;
}

TEST(AsciiScan, NeverReadsOutsideTheTextsPages) {
  GuardedPage page;
  ASSERT_TRUE(page.Ok());
  auto* firstChar = reinterpret_cast<char*>(page.Begin());
  auto* endChar = reinterpret_cast<char*>(page.End());
  auto* firstUnit = reinterpret_cast<WCHAR*>(page.Begin());
  auto* endUnit = reinterpret_cast<WCHAR*>(page.End());
  for (std::size_t length = 0; length <= 300; ++length) {
    SCOPED_TRACE("length " + std::to_string(length));
    for (const auto& v : NarrowScans()) {
      ExpectScan(v, static_cast<const char*>(Place(endChar - 1 - length, length)), true, length);
      ExpectScan(v, static_cast<const char*>(Place(firstChar, length)), true, length);
    }
    for (const auto& v : WideScans()) {
      ExpectScan(v, static_cast<const WCHAR*>(Place(endUnit - 1 - length, length)), true, length);
      ExpectScan(v, static_cast<const WCHAR*>(Place(firstUnit, length)), true, length);
    }
    if (HasFailure()) return;
  }
}

TEST(AsciiNarrowing, WritesExactlyTheUnitsAsBytes) {
  std::vector<WCHAR> units(300);
  for (std::size_t i = 0; i < units.size(); ++i) units[i] = Content<WCHAR>(i);
  for (const auto& v : Narrowings()) {
    for (std::size_t from = 0; from < 4; ++from) {
      for (std::size_t n = 0; from + n <= units.size(); ++n) {
        SCOPED_TRACE(std::string(v.name) + ": from " + std::to_string(from) + ", n " + std::to_string(n));
        std::string out(n + 2, '#');  // the guard bytes must stay
        v.fn(units.data() + from, n, out.data() + 1);
        std::string expected = "#";
        for (std::size_t i = 0; i < n; ++i) expected += static_cast<char>(units[from + i]);
        expected += '#';
        ASSERT_EQ(out, expected);
      }
    }
  }
}

}  // namespace
