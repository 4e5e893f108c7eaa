// The UTF-8 kernels against the oracle (support/Utf8KernelCheck.h) on generated mixed text,
// measured and written into exactly the room needed, ample room and short room.
#include <cstddef>
#include <random>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "support/Utf8KernelCheck.h"

namespace {

namespace oracle = utility::testsupport::oracle;
using namespace utility::testsupport::kernels;

TEST(Utf8Kernels, ThisProcessorPicksTheLastKernelItRuns) {
  EXPECT_EQ(Running().back(), utility::platform::codepage::BestUtf8Kernel());
}

// Every length up to a few of the vector kernels' blocks (64 bytes decoding, 32 units encoding),
// some lone surrogates among the units; the bytes are their UTF-8 or mostly UTF-8.
TEST(Utf8Kernels, AgreeWithTheOracleOnMixedTextOfEveryLength) {
  std::mt19937 rng(20261207);
  std::string wrong;
  for (std::size_t round = 0; round < 8000 && wrong.empty(); ++round) {
    const std::size_t n = round % 131;
    std::u16string units = oracle::RandomValidUtf16(rng, n).substr(0, n);
    if (round % 3 == 0) {
      for (std::size_t k = 0; k < units.size(); k += 1 + rng() % 40)
        units[k] = static_cast<char16_t>(0xD800 + rng() % 0x800);
    }
    const std::string bytes = round % 2 == 0 ? oracle::RandomMostlyUtf8(rng, n) : oracle::Encode(units);
    for (bool strict : {false, true}) {
      const std::size_t need8 = DueDecode(bytes, kMeasure, strict).out.size();
      const std::size_t need16 = DueEncode(units, kMeasure, strict).out.size();
      for (const auto& [need, decode] : {std::pair{need8, true}, std::pair{need16, false}}) {
        std::set<std::size_t> caps = {kMeasure, need, need + 80, need / 2, 0, rng() % (need + 1)};
        if (need != 0) caps.insert(need - 1);
        for (std::size_t cap : caps) {
          if (wrong.empty()) wrong = decode ? CheckDecode(bytes, cap, strict) : CheckEncode(units, cap, strict);
        }
      }
    }
  }
  EXPECT_EQ(wrong, "");
}

}  // namespace
