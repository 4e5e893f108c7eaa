// CString members: searching, substrings, trimming, case, comparison, replacement, editing,
// buffers, BSTR copies and UTF-8 round trips.
#include <Utility/Platform/Bstr.h>
#include <Utility/Platform/String.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/TempDir.h"

namespace {

using utility::testsupport::Utf8;

TEST(CStringFind, UnitsTextsAndSets) {
  const CString s(u"a\\b\\cab");
  struct Case {
    int got, want;
    const char* what;
  };
  const Case cases[] = {
      {s.Find(u'\\'), 1, "first unit"},         {s.Find(u'\\', 2), 3, "unit from 2"},
      {s.Find(u'z'), -1, "missing unit"},       {s.Find(u'a', 100), -1, "start past end"},
      {s.Find(u'a', -1), -1, "negative start"}, {s.Find(u"ab"), 5, "text"},
      {s.Find(u"ab", 6), -1, "text after"},     {s.Find(u"b\\c"), 2, "text inside"},
      {s.Find(u"cabx"), -1, "text past end"},   {s.ReverseFind(u'\\'), 3, "last unit"},
      {s.ReverseFind(u'a'), 5, "last a"},       {s.ReverseFind(u'q'), -1, "no last"},
      {s.FindOneOf(u"cb"), 2, "one of"},        {s.FindOneOf(u"xyz"), -1, "none of"},
      {s.FindOneOf(u""), -1, "empty set"},      {CString().Find(u'a'), -1, "empty string"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.got, c.want);
  }
}

TEST(CStringSubstrings, CountsAreClamped) {
  const CString s(u"abcdef");
  struct Case {
    CString got;
    const char16_t* want;
  };
  const Case cases[] = {
      {s.Left(2), u"ab"},
      {s.Left(0), u""},
      {s.Left(-3), u""},
      {s.Left(99), u"abcdef"},
      {s.Right(2), u"ef"},
      {s.Right(-1), u""},
      {s.Right(99), u"abcdef"},
      {s.Mid(1, 3), u"bcd"},
      {s.Mid(4), u"ef"},
      {s.Mid(6), u""},
      {s.Mid(99), u""},
      {s.Mid(-2, 3), u"abc"},
      {s.Mid(2, -1), u""},
      {s.Mid(3, 99), u"def"},
      {s.SpanIncluding(u"abx"), u"ab"},
      {s.SpanExcluding(u"dc"), u"ab"},
  };
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(row++);
    EXPECT_EQ(c.got, CString(c.want));
  }
}

TEST(CStringTrim, WhiteSpaceAndTargetSets) {
  struct Case {
    const char16_t* in;
    const char16_t* left;
    const char16_t* right;
    const char16_t* both;
  };
  const Case cases[] = {
      {u"", u"", u"", u""},
      {u"  a b  ", u"a b  ", u"  a b", u"a b"},
      {u"\t\r\n\v\fx\u3000\u00a0", u"x\u3000\u00a0", u"\t\r\n\v\fx", u"x"},
      {u"\u200bx\u200b", u"\u200bx\u200b", u"\u200bx\u200b", u"\u200bx\u200b"},  // ZWSP is not space
      {u"\u2000\u200a\u2028\u2029\u202f\u205f\u1680\u0085", u"", u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.in));
    EXPECT_EQ(CString(c.in).TrimLeft(), CString(c.left));
    EXPECT_EQ(CString(c.in).TrimRight(), CString(c.right));
    EXPECT_EQ(CString(c.in).Trim(), CString(c.both));
  }
  CString s(u"xxaxbxx");
  EXPECT_EQ(s.TrimLeft(u'x'), CString(u"axbxx"));
  EXPECT_EQ(s.TrimRight(u'x'), CString(u"axb"));
  CString t(u"-=-a-b=-=");
  EXPECT_EQ(t.TrimLeft(u"=-"), CString(u"a-b=-="));
  EXPECT_EQ(t.TrimRight(u"=-"), CString(u"a-b"));
  CString u(u"abc");
  EXPECT_EQ(u.TrimLeft(u"cba"), CString(u""));
}

TEST(CStringCase, MakeUpperLowerAndCompare) {
  CString s(u"Stra\u00dfe \u00e9t\u00e9 i\u0131 \U0001F600");
  EXPECT_EQ(CString(s).MakeUpper(), CString(u"STRA\u00dfE \u00c9T\u00c9 II \U0001F600"));
  EXPECT_EQ(CString(u"\u00c9T\u00c9 \u0130").MakeLower(), CString(u"\u00e9t\u00e9 i"));
  EXPECT_EQ(CString(u"abc").MakeReverse(), CString(u"cba"));
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int cmp;
    int nocase;
  };
  const Case cases[] = {
      {u"abc", u"abc", 0, 0},  {u"abc", u"abd", -1, -1},     {u"abd", u"abc", 1, 1},
      {u"ABC", u"abc", -1, 0}, {u"ab", u"abc", -1, -1},      {u"", u"", 0, 0},
      {u"a", u"", 1, 1},       {u"\u00e9", u"\u00c9", 1, 0}, {u"_", u"a", -1, 1},  // '_' < 'a' but > 'A'
      {u"\uffff", u"a", 1, 1},
  };
  auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.a) + " vs " + Utf8(c.b));
    EXPECT_EQ(sign(CString(c.a).Compare(c.b)), c.cmp);
    EXPECT_EQ(sign(CString(c.b).Compare(c.a)), -c.cmp);
    EXPECT_EQ(sign(CString(c.a).CompareNoCase(c.b)), c.nocase);
    EXPECT_EQ(sign(CString(c.b).CompareNoCase(c.a)), -c.nocase);
  }
}

// A literal replacement oracle: scan left to right, skip past each match.
std::u16string ReplaceOracle(std::u16string s, const std::u16string& from, const std::u16string& to, int& n) {
  n = 0;
  if (from.empty()) return s;
  std::u16string out;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s.compare(i, from.size(), from) == 0) {
      out += to;
      i += from.size();
      ++n;
    } else {
      out += s[i++];
    }
  }
  return out;
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
    const int got = s.Replace(CString(from), CString(to));
    ASSERT_EQ(got, want) << "seed " << kSeed << " iter " << iter;
    ASSERT_EQ(s, CString(expected)) << "seed " << kSeed << " iter " << iter;
  }
  CString s(u"-1-");
  EXPECT_EQ(s.Replace(u"-", u""), 2);
  EXPECT_EQ(s, CString(u"1"));
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
  struct Case {
    const char* what;
    CString s;
    const char16_t* want;
    int len;
  };
  auto ins = [](int at, const char16_t* t) {
    CString s(u"abc");
    const int n = s.Insert(at, t);
    return std::pair{s, n};
  };
  auto del = [](int at, int count) {
    CString s(u"abcdef");
    const int n = s.Delete(at, count);
    return std::pair{s, n};
  };
  const std::pair<CString, int> rows[] = {ins(1, u"XY"), ins(-5, u"X"), ins(99, u"X"), ins(3, u""), del(1, 2),
                                          del(0, 99),    del(-1, 1),    del(5, 1),     del(6, 1),   del(2, -1)};
  const char16_t* want[] = {u"aXYbc", u"Xabc", u"abcX", u"abc", u"adef", u"", u"bcdef", u"abcde", u"abcdef", u"abcdef"};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].first, CString(want[i]));
    EXPECT_EQ(rows[i].second, rows[i].first.GetLength());
  }
  CString s(u"ab");
  EXPECT_EQ(s.Insert(1, u'-'), 3);
  EXPECT_EQ(s, CString(u"a-b"));
  EXPECT_EQ(s.Insert(0, s), 6);
  EXPECT_EQ(s, CString(u"a-ba-b"));
}

TEST(CStringBuffer, GetBufferAndReleaseBuffer) {
  CString s(u"abc");
  WCHAR* p = s.GetBuffer(10);
  EXPECT_EQ(p[0], u'a');
  const char16_t fill[] = u"hello";
  for (int i = 0; i < 6; ++i) p[i] = fill[i];
  s.ReleaseBuffer();
  EXPECT_EQ(s, CString(u"hello"));
  EXPECT_EQ(s.GetLength(), 5);
  p = s.GetBuffer(2);  // smaller than the text: the text stays
  p[1] = u'E';
  s.ReleaseBuffer(3);
  EXPECT_EQ(s, CString(u"hEl"));
  p = s.GetBufferSetLength(5);
  p[3] = u'!';
  p[4] = u'?';
  s.ReleaseBuffer(5);
  EXPECT_EQ(s, CString(u"hEl!?"));
  p = s.GetBuffer(0);
  p[2] = 0;
  s.ReleaseBuffer();
  EXPECT_EQ(s, CString(u"hE"));
}

TEST(CStringBstr, AllocSysStringKeepsEmbeddedZeros) {
  const char16_t units[] = {u'a', 0, u'b', 0};
  const CString s(units, 4);
  BSTR b = s.AllocSysString();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SysStringLen(b), 4u);
  EXPECT_EQ(b[0], u'a');
  EXPECT_EQ(b[1], 0);
  EXPECT_EQ(b[2], u'b');
  EXPECT_EQ(b[4], 0);  // terminated after the length
  SysFreeString(b);
  BSTR e = CString().AllocSysString();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(SysStringLen(e), 0u);
  SysFreeString(e);
}

TEST(CStringUtf8, RandomValidUtf16RoundTrips) {
  constexpr unsigned kSeed = 99;
  std::mt19937 rng(kSeed);
  for (int iter = 0; iter < 2000; ++iter) {
    std::u16string t;
    const std::size_t n = rng() % 20;
    while (t.size() < n) {
      switch (rng() % 4) {
        case 0:
          t += static_cast<char16_t>(rng() % 0x80);
          break;
        case 1:
          t += static_cast<char16_t>(0x80 + rng() % 0x780);
          break;
        case 2: {
          char16_t c = static_cast<char16_t>(0x800 + rng() % 0xF800);
          if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
          t += c;
          break;
        }
        default: {
          const unsigned cp = 0x10000 + rng() % 0x100000;
          t += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
          t += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
      }
    }
    const CString s(t);
    ASSERT_EQ(CString::FromUtf8(s.ToUtf8()), s) << "seed " << kSeed << " iter " << iter;
  }
  struct Case {
    const char* utf8;
    const char16_t* utf16;
  };
  const Case cases[] = {
      {"caf\xc3\xa9", u"caf\u00e9"}, {"\xe4\xb8\xad", u"\u4e2d"}, {"\xf0\x9f\x98\x80", u"\U0001F600"},
      {"\xff", u"\ufffd"},           {"\xc3", u"\ufffd"},         {"\xed\xa0\x80", u"\ufffd\ufffd\ufffd"},
      {"a\xe4\xb8", u"a\ufffd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(CString(c.utf8), CString(c.utf16));
  }
  const char16_t lone[] = {u'x', 0xD800, u'y', 0};
  EXPECT_EQ(CString(lone).ToUtf8(), "x\xef\xbf\xbdy");
}

TEST(CStringBasics, ConstructionAccessAndEquality) {
  const CString a(u"name"), b("name"), c(a);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a, c);
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
  EXPECT_TRUE(CString(static_cast<const char*>(nullptr)).IsEmpty());
  EXPECT_EQ(CString(u"ab") + u"c" + CString(u"d") + static_cast<WCHAR>(u'e'), CString(u"abcde"));
}

}  // namespace
