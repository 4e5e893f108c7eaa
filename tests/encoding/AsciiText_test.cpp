// The ASCII scans, every vector variant this machine can run, against plain loops: each length
// around the vector widths at each alignment (with non-ASCII bytes before the text and after
// its terminator in the same aligned blocks), a non-ASCII unit at each position, and text that
// ends at the end of a readable page or starts at the start of one. (The narrowing pass is
// checked through UnicodeToANSI in Conversions_test.)
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

template <class Unit>
using ScanFn = bool (*)(const Unit*, std::size_t&);

template <class Fn>
struct Variant {
  const char* name;
  Fn fn;
};

template <class Unit>
std::vector<Variant<ScanFn<Unit>>> Scans() {
  std::vector<Variant<ScanFn<Unit>>> v{{"entry", static_cast<ScanFn<Unit>>(&utility::encoding::ScanAscii)}};
#if defined(__x86_64__)
  using namespace utility::encoding;
  const bool avx2 = __builtin_cpu_supports("avx2");
  if constexpr (sizeof(Unit) == 1) {
    v.push_back({"sse2", &ScanNarrowSse2});
    if (avx2) v.push_back({"avx2", &ScanNarrowAvx2});
  } else {
    v.push_back({"sse2", &ScanWideSse2});
    if (avx2) v.push_back({"avx2", &ScanWideAvx2});
  }
#endif
  return v;
}

// ASCII content that includes both ends of the range, 0x01 and 0x7F.
template <class Unit>
Unit Content(std::size_t i) {
  return static_cast<Unit>(1 + (i * 37) % 127);
}

template <class Unit>
void ExpectFound(const Variant<ScanFn<Unit>>& v, const Unit* text, std::size_t length) {
  std::size_t got = 12345;
  ASSERT_TRUE(v.fn(text, got)) << v.name;
  ASSERT_EQ(got, length) << v.name;
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

// Every length at every alignment (offsets up to 128 bytes) with non-ASCII around is found
// whole; one non-ASCII unit planted at each position of ASCII text, with ASCII around, is not.
template <class Unit>
void ExpectScans(Unit before, Unit after, std::initializer_list<int> bad) {
  std::vector<std::size_t> lengths;
  for (std::size_t n = 1; n <= 140; ++n) lengths.push_back(n);
  for (std::size_t n : {255, 256, 257, 300}) lengths.push_back(n);
  auto block = std::make_unique<Block<Unit>>();
  for (const auto& v : Scans<Unit>()) {
    for (std::size_t offset = 0; offset < 128 / sizeof(Unit); ++offset) {
      for (std::size_t length = 0; length <= 320; ++length) {
        SCOPED_TRACE("offset " + std::to_string(offset) + ", length " + std::to_string(length));
        ExpectFound(v, static_cast<const Unit*>(block->Fill(offset, length, before, after)), length);
        if (::testing::Test::HasFailure()) return;
      }
    }
    for (std::size_t offset : {0, 1, 17, 31, 32, 63, 77, 127}) {
      if (offset * sizeof(Unit) >= 128) continue;
      for (std::size_t length : lengths) {
        Unit* text = block->Fill(offset, length, 'a', 'b');
        for (std::size_t at = 0; at < length; ++at) {
          for (const int unit : bad) {
            const Unit saved = text[at];
            text[at] = static_cast<Unit>(unit);
            std::size_t ignored = 0;
            ASSERT_FALSE(v.fn(text, ignored))
                << v.name << ": offset " << offset << ", length " << length << ", at " << at << ", unit " << unit;
            text[at] = saved;
          }
        }
      }
    }
  }
}

TEST(AsciiScan, FindsEveryLengthAndRejectsEveryPlantedUnit) {
  ExpectScans<char>(static_cast<char>(0xFF), static_cast<char>(0x80), {0x80, 0xC3, 0xFF});
  ExpectScans<WCHAR>(0xFFFF, 0x0080, {0x0080, 0x00FF, 0x0100, 0x7F80, 0x8000, 0xD800, 0xFFFF});
}

template <class Unit>
const Unit* Place(void* at, std::size_t length) {
  Unit* text = static_cast<Unit*>(at);
  for (std::size_t i = 0; i < length; ++i) text[i] = Content<Unit>(i);
  text[length] = 0;
  return text;
}

// Text at the very start and the very end of the one readable page between two that are not.
TEST(AsciiScan, NeverReadsOutsideTheTextsPages) {
  const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  void* mapped = mmap(nullptr, 3 * page, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(mapped, MAP_FAILED);
  const auto unmap = [page](void* p) { munmap(p, 3 * page); };
  const std::unique_ptr<void, decltype(unmap)> guard(mapped, unmap);
  char* first = static_cast<char*>(mapped) + page;
  char* end = first + page;
  ASSERT_EQ(mprotect(first, page, PROT_READ | PROT_WRITE), 0);
  for (std::size_t length = 0; length <= 300; ++length) {
    SCOPED_TRACE("length " + std::to_string(length));
    for (const auto& v : Scans<char>()) {
      ExpectFound(v, Place<char>(end - 1 - length, length), length);
      ExpectFound(v, Place<char>(first, length), length);
    }
    for (const auto& v : Scans<WCHAR>()) {
      ExpectFound(v, Place<WCHAR>(end - 2 * (1 + length), length), length);
      ExpectFound(v, Place<WCHAR>(first, length), length);
    }
    if (HasFailure()) return;
  }
}

}  // namespace
