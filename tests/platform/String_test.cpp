// CString members against plain models and reference codecs; the fixed White_Space set and the
// generated simple case tables they rest on.
#include <Utility/Platform/String.h>
#include <Utility/Platform/Unicode.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <string_view>

#include "support/TempDir.h"
#include "support/Utf8Oracle.h"

namespace {

namespace oracle = utility::testsupport::oracle;
using utility::testsupport::Utf8;

// Units from a start (clamped), texts that must fit, sets of units, from either end.
TEST(CStringFind, UnitsTextsAndSets) {
  const CString s(u"a\\b\\cab");
  const std::pair<int, int> cases[] = {
      {s.Find(u'\\'), 1},      {s.Find(u'\\', 2), 3},     {s.Find(u'z'), -1},       {s.Find(u'a', 100), -1},
      {s.Find(u'a', -1), -1},  {s.Find(u"ab"), 5},        {s.Find(u"ab", 6), -1},   {s.Find(u"b\\c"), 2},
      {s.Find(u"cabx"), -1},   {s.ReverseFind(u'\\'), 3}, {s.ReverseFind(u'a'), 5}, {s.ReverseFind(u'q'), -1},
      {s.FindOneOf(u"cb"), 2}, {s.FindOneOf(u"xyz"), -1}, {s.FindOneOf(u""), -1},   {CString().Find(u'a'), -1}};
  for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].first, cases[i].second) << "row " << i;
}

// Left, Right and Mid against std::u16string, every position and count clamped to the text.
TEST(CStringSubstrings, CountsAreClamped) {
  const std::u16string m = u"abcdef";
  const CString s(m);
  auto clamp = [](int v, std::size_t most) { return v <= 0 ? 0 : std::min(static_cast<std::size_t>(v), most); };
  for (int a = -3; a <= 9; ++a) {
    SCOPED_TRACE(a);
    const std::size_t from = clamp(a, m.size());
    EXPECT_EQ(std::u16string(s.Left(a).View()), m.substr(0, from));
    EXPECT_EQ(std::u16string(s.Right(a).View()), m.substr(m.size() - from));
    EXPECT_EQ(std::u16string(s.Mid(a).View()), m.substr(from));
    for (int b = -3; b <= 9; ++b)
      EXPECT_EQ(std::u16string(s.Mid(a, b).View()), m.substr(from, clamp(b, m.size() - from))) << b;
  }
  EXPECT_EQ(s.SpanIncluding(u"abx"), CString(u"ab"));
  EXPECT_EQ(s.SpanExcluding(u"dc"), CString(u"ab"));
}

// The white space is IsWhiteSpace's (checked below).
TEST(CStringTrim, WhiteSpaceAndTargetSets) {
  auto check = [](const char16_t* in, const char16_t* left, const char16_t* right, const char16_t* both) {
    EXPECT_EQ(CString(in).TrimLeft(), CString(left)) << Utf8(in);
    EXPECT_EQ(CString(in).TrimRight(), CString(right)) << Utf8(in);
    EXPECT_EQ(CString(in).Trim(), CString(both)) << Utf8(in);
  };
  check(u"\t\u3000a b \n", u"a b \n", u"\t\u3000a b", u"a b");
  check(u"\u2028 \u00a0", u"", u"", u"");
  CString s(u"xxaxbxx");
  EXPECT_EQ(s.TrimLeft(u'x').TrimRight(u'x'), CString(u"axb"));
  CString t(u"-=-a-b=-=");
  EXPECT_EQ(t.TrimLeft(u"=-"), CString(u"a-b=-="));
  EXPECT_EQ(t.TrimRight(u"=-"), CString(u"a-b"));
}

TEST(CStringCase, MakeUpperLowerAndCompare) {
  EXPECT_EQ(CString(u"Stra\u00dfe \u00e9t\u00e9 i\u0131 \U0001F600").MakeUpper(),
            CString(u"STRA\u00dfE \u00c9T\u00c9 II \U0001F600"));
  EXPECT_EQ(CString(u"\u00c9T\u00c9 \u0130").MakeLower(), CString(u"\u00e9t\u00e9 i"));
  EXPECT_EQ(CString(u"abc").MakeReverse(), CString(u"cba"));
  // Each pair both ways: the signs of Compare and CompareNoCase.
  auto check = [](const char16_t* a, const char16_t* b, int cmp, int nocase) {
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    EXPECT_EQ(sign(CString(a).Compare(b)), cmp) << Utf8(a) << " vs " << Utf8(b);
    EXPECT_EQ(sign(CString(b).Compare(a)), -cmp) << Utf8(a) << " vs " << Utf8(b);
    EXPECT_EQ(sign(CString(a).CompareNoCase(b)), nocase) << Utf8(a) << " vs " << Utf8(b);
    EXPECT_EQ(sign(CString(b).CompareNoCase(a)), -nocase) << Utf8(a) << " vs " << Utf8(b);
  };
  check(u"abc", u"abc", 0, 0);
  check(u"ABC", u"abc", -1, 0);
  check(u"ab", u"abc", -1, -1);
  check(u"\u00e9", u"\u00c9", 1, 0);
  check(u"_", u"a", -1, 1);  // '_' < 'a' but > 'A': both sides fold to upper case
  check(u"\uffff", u"a", 1, 1);
}

// The replacement oracle: the standard string's find and replace, resuming past each new text.
std::u16string ReplaceOracle(std::u16string s, const std::u16string& from, const std::u16string& to, int& n) {
  n = 0;
  for (std::size_t p = from.empty() ? s.npos : s.find(from); p != s.npos; p = s.find(from, p + to.size()), ++n)
    s.replace(p, from.size(), to);
  return s;
}

TEST(CStringReplace, MatchesALiteralOracle) {
  constexpr unsigned kSeed = 4242;
  std::mt19937 rng(kSeed);
  auto gen = [&](std::size_t maxLen) {
    std::u16string t(rng() % (maxLen + 1), u'a');
    for (auto& c : t) c = static_cast<char16_t>(u'a' + rng() % 3);
    return t;
  };
  for (int iter = 0; iter < 3000; ++iter) {
    const std::u16string text = gen(12), from = gen(3), to = gen(3);
    int want = 0;
    const std::u16string expected = ReplaceOracle(text, from, to, want);
    CString s(text);
    ASSERT_EQ(s.Replace(CString(from), CString(to)), want) << "seed " << kSeed << " iter " << iter;
    ASSERT_EQ(s, CString(expected)) << "seed " << kSeed << " iter " << iter;
  }
  CString self(u"abab");
  EXPECT_EQ(self.Replace(self.Left(2), self), 2);  // arguments viewing the string itself
  EXPECT_EQ(self, CString(u"abababab"));
  CString units(u"a.b.c");
  EXPECT_EQ(units.Replace(u'.', u'/'), 2);
  EXPECT_EQ(units, CString(u"a/b/c"));
  EXPECT_EQ(units.Remove(u'/'), 2);
  EXPECT_EQ(units, CString(u"abc"));
}

TEST(CStringEdit, InsertAndDeleteClamp) {
  // text is inserted at `at`; when null, count units are deleted from `at`.
  auto check = [](int at, int count, const char16_t* text, const char16_t* want) {
    CString s(u"abcdef");
    const int n = text != nullptr ? s.Insert(at, text) : s.Delete(at, count);
    EXPECT_EQ(s, CString(want));
    EXPECT_EQ(n, s.GetLength()) << Utf8(want);
  };
  check(1, 0, u"XY", u"aXYbcdef");
  check(-5, 0, u"X", u"Xabcdef");
  check(99, 0, u"X", u"abcdefX");
  check(1, 2, nullptr, u"adef");
  check(0, 99, nullptr, u"");
  check(-1, 1, nullptr, u"bcdef");
  check(2, -2, nullptr, u"abcdef");
  CString s(u"ab");
  EXPECT_EQ(s.Insert(1, u'-'), 3);
  EXPECT_EQ(s.Insert(0, s), 6);  // the text inserted is the string itself
  EXPECT_EQ(s, CString(u"a-ba-b"));
}

TEST(CStringBuffer, GetBufferAndReleaseBuffer) {
  CString s(u"abc");
  WCHAR* p = s.GetBuffer(10);
  for (int i = 1; i < 6; ++i) p[i] = u"hello"[i];
  s.ReleaseBuffer();
  EXPECT_EQ(s, CString(u"aello"));  // the units before the first zero, the old ones kept
  p = s.GetBuffer(2);               // smaller than the text: the text stays
  p[1] = u'E';
  s.ReleaseBuffer(3);
  EXPECT_EQ(s, CString(u"aEl"));
  p = s.GetBufferSetLength(5);
  p[3] = u'!';
  p[4] = u'?';
  s.ReleaseBuffer(5);
  EXPECT_EQ(s, CString(u"aEl!?"));
}

// CString's UTF-8 conversions are the codec's (the kernel tests check it) into the largest buffers.
TEST(CStringUtf8, ConvertsThroughTheCodec) {
  const std::u16string cjk(50, u'\u4e2d');
  EXPECT_EQ(CString(cjk).ToUtf8(), oracle::Encode(cjk));
  EXPECT_EQ(std::u16string(CString::FromUtf8(std::string(40, '\xff')).View()), std::u16string(40, u'\uFFFD'));
  EXPECT_EQ(CString("caf\xc3\xa9\0x"), CString(u"caf\u00e9"));  // from a zero-terminated text
  EXPECT_EQ(CString::FromUtf8(std::string("a\0b", 3)), CString(u"a\0b", 3));
}

// Every byte widens to its unit, at every length around the loop's vector widths, from unaligned starts.
TEST(CStringLatin1, WidensEveryLengthFromEveryStart) {
  std::u16string wide;
  for (int i = 0; i < 400; ++i) wide += static_cast<char16_t>(i * 73 % 256);
  const std::string bytes(wide.begin(), wide.end());
  for (std::size_t from = 0; from < 4; ++from) {
    for (std::size_t n = 0; n <= 300; ++n) {
      SCOPED_TRACE("from " + std::to_string(from) + ", n " + std::to_string(n));
      const CString s = CString::FromLatin1(std::string_view(bytes).substr(from, n));
      ASSERT_EQ(std::u16string(s.View()), wide.substr(from, n));
      ASSERT_EQ(s.GetString()[n], 0) << "terminated after the last unit";
    }
  }
}

TEST(CStringBasics, ConstructionAccessAndEquality) {
  const CString a(u"name");
  EXPECT_TRUE(a == u"name");
  EXPECT_FALSE(a == u"nam");
  EXPECT_EQ(a.GetAt(-1), 0);
  EXPECT_EQ(a.GetAt(4), 0);
  EXPECT_EQ(a[3], u'e');
  CString d(u'x', 3);
  d.SetAt(5, u'y');  // outside: ignored
  d.SetAt(1, u'y');
  EXPECT_EQ(d, CString(u"xyx"));
  EXPECT_TRUE(CString(static_cast<const char16_t*>(nullptr)).IsEmpty());
  EXPECT_EQ(CString(u"ab") + u"c" + CString(u"d") + static_cast<WCHAR>(u'e'), CString(u"abcde"));
}

TEST(IsWhiteSpace, IsExactlyTheUnicodeWhiteSpaceSet) {
  std::set<unsigned> expected = {0x20, 0x85, 0xA0, 0x1680, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
  for (unsigned c = 0x09; c <= 0x0D; ++c) expected.insert(c);
  for (unsigned c = 0x2000; c <= 0x200A; ++c) expected.insert(c);
  for (unsigned c = 0; c <= 0xFFFF; ++c) {
    ASSERT_EQ(utility::platform::IsWhiteSpace(static_cast<WCHAR>(c)), expected.count(c) == 1) << std::hex << c;
  }
}

// The units whose mapping is not its pair's: no single-unit upper case, letters whose upper
// case lowers to another, title case, and mappings that leave their block.
TEST(CaseMapping, SpotChecks) {
  auto check = [](unsigned in, unsigned upper, unsigned lower) {
    EXPECT_EQ(utility::platform::ToUpperUnit(static_cast<WCHAR>(in)), upper) << std::hex << in;
    EXPECT_EQ(utility::platform::ToLowerUnit(static_cast<WCHAR>(in)), lower) << std::hex << in;
  };
  check(0x00DF, 0x00DF, 0x00DF);  // sharp s
  check(0x1E9E, 0x1E9E, 0x00DF);
  check(0x0130, 0x0130, 'i');
  check(0x01C5, 0x01C4, 0x01C6);
  check(0xAB70, 0x13A0, 0xAB70);
}

// ASCII is the classic mapping. Mappings are idempotent, leave surrogates alone, and pair up (a unit's upper case
// lowers back to it and the reverse) but for the 37 units Unicode leaves unpaired: a broken table (all identity, a
// shifted block, one wrong delta) would fall off these counts.
TEST(CaseMapping, MappingsAreIdempotentAndPairUp) {
  int uppered = 0, lowered = 0, unpaired = 0;
  for (unsigned c = 0; c <= 0xFFFF; ++c) {
    const WCHAR w = static_cast<WCHAR>(c);
    const WCHAR up = utility::platform::ToUpperUnit(w), lo = utility::platform::ToLowerUnit(w);
    if (c < 0x80) {
      ASSERT_EQ(up, c >= 'a' && c <= 'z' ? c - 32 : c) << c;
      ASSERT_EQ(lo, c >= 'A' && c <= 'Z' ? c + 32 : c) << c;
    }
    ASSERT_EQ(utility::platform::ToUpperUnit(up), up) << std::hex << c;
    ASSERT_EQ(utility::platform::ToLowerUnit(lo), lo) << std::hex << c;
    if (c >= 0xD800 && c <= 0xDFFF) {
      ASSERT_TRUE(up == w && lo == w) << std::hex << c;
    }
    if (up != w) ++uppered, unpaired += utility::platform::ToLowerUnit(up) != w;
    if (lo != w) ++lowered, unpaired += utility::platform::ToUpperUnit(lo) != w;
  }
  EXPECT_EQ(unpaired, 37);
  EXPECT_GT(uppered, 1100);
  EXPECT_GT(lowered, 1100);
}

}  // namespace
