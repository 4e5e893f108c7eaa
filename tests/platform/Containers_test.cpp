// CStringArray and CStringList, and random list operations against std::deque as the oracle.
#include <Utility/Platform/Containers.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

using utility::testsupport::Utf8;

using V = std::vector<std::string>;

V Items(const CStringArray& a) {
  V out;
  for (INT_PTR i = 0; i < a.GetSize(); ++i) out.push_back(Utf8(a[i]));
  return out;
}

// The list's texts from head to tail; the walk from tail to head must give them in reverse.
V Items(const CStringList& l) {
  V forward, backward;
  for (POSITION p = l.GetHeadPosition(); p != nullptr;) forward.push_back(Utf8(l.GetNext(p)));
  for (POSITION p = l.GetTailPosition(); p != nullptr;) backward.insert(backward.begin(), Utf8(l.GetPrev(p)));
  EXPECT_EQ(backward, forward) << "the walks in the two directions disagree";
  return forward;
}

TEST(CStringArray, AddInsertRemoveAndBadIndexesThrow) {
  CStringArray a;
  EXPECT_EQ(a.GetUpperBound(), -1);
  EXPECT_EQ(a.Add(u"one"), 0);
  EXPECT_EQ(a.Add(u"three"), 1);
  a.InsertAt(1, u"two");
  a.InsertAt(0, u"z", 2);
  EXPECT_EQ(Items(a), (V{"z", "z", "one", "two", "three"}));
  a.RemoveAt(0, 2);
  a.RemoveAt(1);
  a.InsertAt(4, u"far");  // past the end: grows with empty strings
  EXPECT_EQ(Items(a), (V{"one", "three", "", "", "far"}));
  a.SetAt(2, u"x");
  a[3] = u"y";
  a.ElementAt(0) += u"!";
  a.InsertAt(1, a[0]);  // an element of the array itself
  EXPECT_EQ(Items(a), (V{"one!", "one!", "three", "x", "y", "far"}));
  EXPECT_EQ(a.Append(a), 6);
  EXPECT_EQ(a[11], CString(u"far"));
  a.SetSize(2);
  CStringArray copy(a);
  a.RemoveAll();
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(Items(copy), (V{"one!", "one!"}));
  a.Add(u"x");  // bad indexes throw and change nothing
  const CStringArray& ca = a;
  EXPECT_THROW(a.GetAt(1), std::out_of_range);
  EXPECT_THROW(ca[1], std::out_of_range);
  EXPECT_THROW(a[-1], std::out_of_range);
  EXPECT_THROW(a.SetAt(1, u"y"), std::out_of_range);
  EXPECT_THROW(a.RemoveAt(0, 2), std::out_of_range);
  EXPECT_THROW(a.InsertAt(-1, u"y"), std::out_of_range);
  EXPECT_THROW(a.SetSize(-1), std::out_of_range);
  EXPECT_EQ(Items(a), (V{"x"}));
}

// Insertion and removal at every place are left to the random test below; this one is about
// what Find and FindIndex match.
TEST(CStringList, FindMatchesWholeTextsOrdinallyAfterAPosition) {
  CStringList l;
  EXPECT_EQ(l.GetHeadPosition(), nullptr);
  const POSITION b = l.AddTail(u"b");
  l.AddHead(u"a");
  const POSITION c1 = l.AddTail(u"c");
  const POSITION c2 = l.AddTail(u"c");
  EXPECT_EQ(l.Find(u"c"), c1);
  EXPECT_EQ(l.Find(u"c", c1), c2);
  EXPECT_EQ(l.Find(u"C"), nullptr);  // ordinal, case counts
  EXPECT_EQ(l.Find(u"b\0x"), b);     // terminated: reads "b"
  EXPECT_EQ(l.FindIndex(1), b);
  EXPECT_EQ(l.FindIndex(4), nullptr);
  EXPECT_EQ(l.FindIndex(-1), nullptr);
  l.SetAt(c1, u"C");
  EXPECT_EQ(l.GetAt(c1), CString(u"C"));
  EXPECT_EQ(Items(l), (V{"a", "b", "C", "c"}));
}

TEST(CStringList, CopiesAreIndependentSelfAppendCopiesOnceAndNullPositionsThrow) {
  CStringList l;
  l.AddTail(u"x");
  l.AddTail(u"y");
  l.AddTail(l);
  EXPECT_EQ(Items(l), (V{"x", "y", "x", "y"}));
  CStringList copy(l);
  l.GetHead() = u"changed";
  EXPECT_EQ(Items(copy), (V{"x", "y", "x", "y"}));
  copy = l;
  copy = copy;
  EXPECT_EQ(Items(copy), Items(l));
  l.RemoveAll();
  EXPECT_EQ(l.GetTailPosition(), nullptr);
  EXPECT_EQ(copy.GetCount(), 4);
  // The empty list has no ends; a null position names no node, but inserts at an end.
  POSITION none = nullptr;
  EXPECT_THROW(l.GetHead(), std::out_of_range);
  EXPECT_THROW(l.RemoveTail(), std::out_of_range);
  EXPECT_THROW(l.GetNext(none), std::invalid_argument);
  EXPECT_THROW(l.RemoveAt(none), std::invalid_argument);
  const POSITION h = l.InsertBefore(nullptr, u"h");
  EXPECT_EQ(h, l.GetHeadPosition());
  const POSITION t = l.InsertAfter(nullptr, u"t");
  EXPECT_EQ(t, l.GetTailPosition());
  EXPECT_EQ(Items(l), (V{"h", "t"}));
}

TEST(CStringList, RandomOperationsMatchADeque) {
  constexpr unsigned kSeed = 777;
  std::mt19937 rng(kSeed);
  CStringList l;
  std::deque<std::string> oracle;
  for (int step = 0; step < 5000; ++step) {
    SCOPED_TRACE("seed " + std::to_string(kSeed) + " step " + std::to_string(step));
    const std::string v = std::to_string(rng() % 20);
    const CString cv(v.c_str());
    const auto op = rng() % 7;
    if (op == 0) {
      l.AddHead(cv), oracle.push_front(v);
    } else if (op == 1) {
      l.AddTail(cv), oracle.push_back(v);
    } else if (op == 2 && !oracle.empty()) {
      ASSERT_EQ(Utf8(l.RemoveHead()), oracle.front());
      oracle.pop_front();
    } else if (op == 3 && !oracle.empty()) {
      ASSERT_EQ(Utf8(l.RemoveTail()), oracle.back());
      oracle.pop_back();
    } else if (op == 4) {  // remove the first match, or the second, found after the first
      POSITION p = l.Find(cv);
      auto it = std::find(oracle.begin(), oracle.end(), v);
      ASSERT_EQ(p == nullptr, it == oracle.end());
      if (p != nullptr && rng() % 2 == 0) {
        p = l.Find(cv, p);
        it = std::find(it + 1, oracle.end(), v);
        ASSERT_EQ(p == nullptr, it == oracle.end());
      }
      if (p != nullptr) l.RemoveAt(p), oracle.erase(it);
    } else if (op == 5 && !oracle.empty()) {  // insert before or after an index
      const std::size_t i = rng() % oracle.size();
      const POSITION p = l.FindIndex(static_cast<INT_PTR>(i));
      if (rng() % 2 == 0) {
        l.InsertBefore(p, cv), oracle.insert(oracle.begin() + static_cast<long>(i), v);
      } else {
        l.InsertAfter(p, cv), oracle.insert(oracle.begin() + static_cast<long>(i) + 1, v);
      }
    } else if (op == 6 && rng() % 50 == 0) {
      l.RemoveAll(), oracle.clear();
    }
    ASSERT_EQ(l.GetCount(), static_cast<INT_PTR>(oracle.size()));
  }
  EXPECT_EQ(Items(l), V(oracle.begin(), oracle.end()));
}

}  // namespace
