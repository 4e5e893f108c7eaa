// CString::Format against glibc's printf over generated formats, with Windows' 32-bit long.
#include <Utility/Platform/String.h>

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

using utility::testsupport::Utf8;

constexpr unsigned kSeed = 20261206;

// The oracle: glibc's own printf of a narrow format.
template <class... T>
std::string C(const std::string& fmt, T... v) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
  const int n = std::snprintf(nullptr, 0, fmt.c_str(), v...);
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), fmt.c_str(), v...);
#pragma GCC diagnostic pop
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::string Fmt(const std::string& fmt, const std::vector<FormatArg>& args) {
  CString s;
  s.FormatV(CString(std::u16string(fmt.begin(), fmt.end())), args.data(), args.size());
  return Utf8(s);
}

template <class Rng>
std::string Flags(Rng& rng) {
  std::string f;
  for (char c : {'-', '+', ' ', '#', '0'})
    if (rng() % 4 == 0) f += c;
  return f;
}

TEST(FormatParity, IntegersMatchPrintfWithWindowsWidths) {
  std::mt19937 rng(kSeed);
  const long long interesting[] = {
      0,        1,     -1,    7,     127,     128,     255,      256,           -128,           -129,
      32767,    32768, 65535, 65536, INT_MAX, INT_MIN, UINT_MAX, 0x100000000LL, 0x123456789ALL, LLONG_MAX,
      LLONG_MIN};
  // Our modifier, and glibc's spelling of the same width (its `l` is 64-bit, ours is not).
  const std::pair<std::string, std::string> mods[] = {{"", ""},     {"h", "h"},    {"hh", "hh"}, {"l", ""},
                                                      {"ll", "ll"}, {"I64", "ll"}, {"I32", ""},  {"I", "ll"},
                                                      {"z", "ll"},  {"t", "ll"},   {"j", "ll"},  {"L", "ll"}};
  const char convs[] = {'d', 'i', 'u', 'o', 'x', 'X'};
  for (int iter = 0; iter < 20000; ++iter) {
    const auto& [ourMod, glibcMod] = mods[rng() % std::size(mods)];
    const char conv = convs[rng() % std::size(convs)];
    long long v = rng() % 3 == 0 ? static_cast<long long>((static_cast<unsigned long long>(rng()) << 32) | rng())
                                 : interesting[rng() % std::size(interesting)];
    // Now and then a width, then a precision (those taken from arguments are FormatCases').
    std::string directive = "%" + Flags(rng);
    if (rng() % 3 == 0) directive += std::to_string(rng() % 31 + 1);
    if (rng() % 3 == 0) directive += "." + std::to_string(rng() % 31);
    const std::string ours = "<" + directive + ourMod + conv + ">";
    const std::string glibcFmt = "<" + directive + glibcMod + conv + ">";
    // The argument arrives with one of several C++ types; the conversion decides the width.
    const auto type = rng() % 4;
    if (type == 2) v = static_cast<int>(v);
    if (type == 3) v = static_cast<short>(v);
    const std::vector<FormatArg> args = {type == 1   ? FormatArg(static_cast<unsigned long long>(v))
                                         : type == 2 ? FormatArg(static_cast<int>(v))
                                         : type == 3 ? FormatArg(static_cast<short>(v))
                                                     : FormatArg(v)};
    const bool isSigned = conv == 'd' || conv == 'i';
    const std::string expected =
        glibcMod == "ll" ? (isSigned ? C(glibcFmt, v) : C(glibcFmt, static_cast<unsigned long long>(v)))
                         : (isSigned ? C(glibcFmt, static_cast<int>(v)) : C(glibcFmt, static_cast<unsigned>(v)));
    ASSERT_EQ(Fmt(ours, args), expected) << "seed " << kSeed << " iteration " << iter << " format " << ours << " value "
                                         << v;
  }
}

TEST(FormatParity, FloatingMatchesPrintf) {
  std::mt19937_64 rng(kSeed);
  const double interesting[] = {0.0,       -0.0,        1.0,      -1.0,     0.5,       1.5,     2.5,      0.125,
                                1e-7,      123456789.0, 1e300,    -1e-300,  DBL_MAX,   DBL_MIN, 4.9e-324, 0.1,
                                2.0 / 3.0, 9.9999995,   999999.5, HUGE_VAL, -HUGE_VAL, NAN,     1e21,     1e15 + 0.3};
  const char convs[] = {'e', 'E', 'f', 'F', 'g', 'G', 'a', 'A'};
  for (int iter = 0; iter < 20000; ++iter) {
    const char conv = convs[rng() % std::size(convs)];
    const auto source = rng() % 3;  // an interesting value, a scaled decimal, or any bits at all
    const double v =
        source == 0   ? interesting[rng() % std::size(interesting)]
        : source == 1 ? std::ldexp(static_cast<double>(rng() % 1000000) / 1000.0, static_cast<int>(rng() % 200) - 100)
                      : std::bit_cast<double>(static_cast<std::uint64_t>(rng()));
    std::string directive = "%" + Flags(rng);
    if (rng() % 3 == 0) directive += std::to_string(rng() % 40 + 1);
    if (rng() % 4 != 0) directive += "." + std::to_string(rng() % 10 == 0 ? rng() % 400 : rng() % 31);
    directive += conv;
    const bool asFloat = rng() % 5 == 0;
    const std::vector<FormatArg> args = {asFloat ? FormatArg(static_cast<float>(v)) : FormatArg(v)};
    const double passed = asFloat ? static_cast<double>(static_cast<float>(v)) : v;
    ASSERT_EQ(Fmt(directive, args), C(directive, passed))
        << "seed " << kSeed << " iteration " << iter << " format " << directive;
  }
}

CString F(const char16_t* fmt, const auto&... args) {
  CString s;
  s.Format(fmt, args...);
  return s;
}

// What the parity tests do not generate: argument types (a signed char, integers for floating
// conversions, CStrings, null texts), text conversions, characters, %%, and Append.
TEST(FormatCases, TextCharactersAndArgumentTypes) {
  const std::pair<CString, CString> cases[] = {
      {F(u"0x%.2X", static_cast<signed char>(-128)), u"0xFFFFFF80"},
      {F(u"%.2f|%.2f|%g", 3, 4294967295u, -7LL), u"3.00|4294967295.00|-7"},
      {F(u"%s\\%s", u"dir", CString(u"n\u00e9e")), u"dir\\n\u00e9e"},
      {F(u"[%6s][%-6s][%.2s][%.0s][%06s]", u"ab", u"ab", u"abc", u"abc", u"ab"), u"[    ab][ab    ][ab][][0000ab]"},
      {F(u"[%hs][%S][%ls][%ws]", "caf\xc3\xa9", "\xe2\x82\xac", u"w", u"x"), u"[caf\u00e9][\u20ac][w][x]"},
      // Width and precision count UTF-16 units: a surrogate pair is two.
      {F(u"[%3s][%.1s]", u"\U0001F600", u"\u00e9x"), u"[ \U0001F600][\u00e9]"},
      {F(u"%s|%hs|%s", static_cast<const char16_t*>(nullptr), static_cast<const char*>(nullptr), nullptr),
       u"(null)|(null)|(null)"},
      {F(u"<%s>", CString(u"a\0b", 3)), CString(u"<a\0b>", 5)},  // a CString keeps its embedded zeros
      {F(u"%c%c%hc%C%3c|%-3c|", u'A', 0x263A, 'b', 'c', u'x', u'y'), u"A\u263Abc  x|y  |"},
      {F(u"%hc", 0xE9), u"\uFFFD"},    // a lone byte above 0x7F is no UTF-8 character
      {F(u"%c", 0x1263A), u"\u263A"},  // a wide unit is 16 bits
      {F(u"100%% %d%%", 5), u"100% 5%"},
      {F(u"[%*d][%*d][%.*f][%.*f]", 4, 7, -4, 7, 2, 1.0, -3, 1.0), u"[   7][7   ][1.00][1.000000]"},
      {F(u"%d", 1, 2, 3), u"1"}};  // extra arguments are ignored, as printf ignores them
  for (const auto& [got, want] : cases) EXPECT_EQ(got, want);
  // The string itself may be an argument, and AppendFormat keeps what was there.
  CString s = u"ab";
  s.Format(u"%s%s", s, s);
  s.AppendFormat(u"+%s", s);
  s.AppendFormat(u"-%d", 1);
  EXPECT_EQ(s, CString(u"abab+abab-1"));
}

TEST(FormatErrors, WrongOrMissingArgumentsThrowAndLeaveTheString) {
  const std::pair<std::vector<FormatArg>, std::vector<const char16_t*>> cases[] = {
      {{}, {u"%d", u"abc%"}},
      {{FormatArg(1)}, {u"%d %d", u"%s", u"%p", u"%k", u"%n", u"%l", u"%99999999999d"}},
      {{FormatArg(u"text")}, {u"%d", u"%f", u"%c"}},
      {{FormatArg(1.5)}, {u"%d", u"%s", u"%.-1f"}},
      {{FormatArg(u"w"), FormatArg(1)}, {u"%*d"}}};
  for (const auto& [args, formats] : cases) {
    for (const char16_t* fmt : formats) {
      SCOPED_TRACE(Utf8(fmt));
      CString s(u"before");
      EXPECT_THROW(s.FormatV(fmt, args.data(), args.size()), std::invalid_argument);
      EXPECT_THROW(s.AppendFormatV(fmt, args.data(), args.size()), std::invalid_argument);
      EXPECT_EQ(s, CString(u"before"));
    }
  }
}

}  // namespace
