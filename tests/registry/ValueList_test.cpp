// The list reader and DeleteKeyValue: head insertion in reverse enumeration order, first-match
// deletion, the 249-unit name buffer, access rights, and a model of the value order compared
// over generated write and delete sequences.
#include <algorithm>
#include <random>
#include <string>
#include <utility>

#include <Utility/Platform/HiveFiles.h>

#include "registry/Hive.h"

namespace regtest {
namespace {

using ListTest = HiveTest;
using DeleteTest = HiveTest;

TEST_F(ListTest, AddsTextsAtTheHeadInReverseOrder) {
  for (const char16_t* v : {u"a", u"b", u"c"}) {
    ASSERT_EQ(CUtility::WriteKey(root, W(u"L"), W(v), CString(v)), ERROR_SUCCESS);
  }
  CStringList list;
  list.AddTail(CString(u"held"));
  EXPECT_EQ(CUtility::ReadKey(root, W(u"L"), W(u"ignored"), list), ERROR_SUCCESS);
  EXPECT_EQ(Items(list), (std::vector<std::string>{"c", "b", "a", "held"}));
}

TEST_F(ListTest, KeyWithoutValuesLeavesTheListAlone) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, W(u"Empty"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
  RegCloseKey(k);
  CStringList list;
  list.AddTail(CString(u"x"));
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Empty"), nullptr, list), ERROR_SUCCESS);
  EXPECT_EQ(Items(list), (std::vector<std::string>{"x"}));
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Missing"), nullptr, list), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Items(list), (std::vector<std::string>{"x"}));
}

TEST_F(ListTest, ReadsEveryTypeAsTextAndSizesTheBufferToTheLargestValue) {
  const CString big(u'z', 5000);  // far beyond the single-value buffer
  ASSERT_EQ(CUtility::WriteKey(root, W(u"L"), W(u"big"), big), ERROR_SUCCESS);
  SetRaw(u"L", u"dword", REG_DWORD, {'D', 0, 0, 0});
  SetRaw(u"L", u"empty", REG_BINARY, {});
  CStringList list;
  ASSERT_EQ(CUtility::ReadKey(root, W(u"L"), nullptr, list), ERROR_SUCCESS);
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_EQ(Items(list)[0], "");
  EXPECT_EQ(Items(list)[1], "D");
  EXPECT_EQ(list.GetTail(), big);
}

TEST_F(ListTest, NameOf249UnitsStopsTheWalkWithSuccess) {
  for (const auto& [length, expected] :
       {std::pair<int, std::vector<std::string>>{248, {"after", "long", "before"}}, {249, {"before"}}}) {
    SCOPED_TRACE(length);
    HKEY k = nullptr;
    RegDeleteKeyW(root, W(u"N"));
    ASSERT_EQ(CUtility::WriteKey(root, W(u"N"), W(u"first"), CString(u"before")), ERROR_SUCCESS);
    const CString longName(u'n', length);
    ASSERT_EQ(CUtility::WriteKey(root, W(u"N"), longName, CString(u"long")), ERROR_SUCCESS);
    ASSERT_EQ(CUtility::WriteKey(root, W(u"N"), W(u"last"), CString(u"after")), ERROR_SUCCESS);
    CStringList list;
    EXPECT_EQ(CUtility::ReadKey(root, W(u"N"), nullptr, list), ERROR_SUCCESS);
    EXPECT_EQ(Items(list), expected);
    ASSERT_EQ(RegOpenKeyExW(root, W(u"N"), 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    for (const char16_t* v : {u"first", u"last"}) RegDeleteValueW(k, W(v));
    RegDeleteValueW(k, longName);
    RegCloseKey(k);
  }
}

TEST_F(ListTest, ReadOnlyKeyIsRefused) {
  ASSERT_EQ(CUtility::WriteKey(root, W(u"Locked"), W(u"V"), CString(u"t")), ERROR_SUCCESS);
  ASSERT_EQ(utility::platform::SetKeyReadOnly(root, W(u"Locked"), TRUE), ERROR_SUCCESS);
  CStringList list;
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Locked"), nullptr, list), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(CUtility::DeleteKeyValue(root, W(u"Locked"), nullptr, CString(u"t")), ERROR_ACCESS_DENIED);
  CString text;
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Locked"), W(u"V"), text), ERROR_SUCCESS);
  EXPECT_EQ(text, CString(u"t"));
}

TEST_F(DeleteTest, DeletesOnlyTheFirstExactMatch) {
  for (const auto& [name, text] : std::vector<std::pair<const char16_t*, const char16_t*>>{
           {u"v1", u"same"}, {u"v2", u"Same"}, {u"v3", u"same"}, {u"v4", u"other"}}) {
    ASSERT_EQ(CUtility::WriteKey(root, W(u"D"), W(name), CString(text)), ERROR_SUCCESS);
  }
  EXPECT_EQ(CUtility::DeleteKeyValue(root, W(u"D"), W(u"v4"), CString(u"same")), ERROR_SUCCESS);
  CStringList list;
  ASSERT_EQ(CUtility::ReadKey(root, W(u"D"), nullptr, list), ERROR_SUCCESS);
  EXPECT_EQ(Items(list), (std::vector<std::string>{"other", "same", "Same"}));
  bool ok = true;
  GetRaw(u"D", u"v1", nullptr, &ok);
  EXPECT_FALSE(ok);  // v1 went, v3 (same text, later) stayed
  GetRaw(u"D", u"v3", nullptr, &ok);
  EXPECT_TRUE(ok);
}

TEST_F(DeleteTest, NoMatchDeletesNothing) {
  ASSERT_EQ(CUtility::WriteKey(root, W(u"D"), W(u"v"), CString(u"text")), ERROR_SUCCESS);
  for (const char16_t* probe : {u"TEXT", u"tex", u"text ", u""}) {
    SCOPED_TRACE(utility::testsupport::Utf8(probe));
    EXPECT_EQ(CUtility::DeleteKeyValue(root, W(u"D"), nullptr, CString(probe)), ERROR_SUCCESS);
    bool ok = false;
    GetRaw(u"D", u"v", nullptr, &ok);
    EXPECT_TRUE(ok);
  }
  EXPECT_EQ(CUtility::DeleteKeyValue(root, W(u"Missing"), nullptr, CString(u"text")), ERROR_FILE_NOT_FOUND);
}

TEST_F(DeleteTest, LongNameBeforeAMatchFailsButAfterItDoesNot) {
  const CString longName(u'n', 249);
  ASSERT_EQ(CUtility::WriteKey(root, W(u"D"), W(u"a"), CString(u"match-early")), ERROR_SUCCESS);
  ASSERT_EQ(CUtility::WriteKey(root, W(u"D"), longName, CString(u"long")), ERROR_SUCCESS);
  ASSERT_EQ(CUtility::WriteKey(root, W(u"D"), W(u"b"), CString(u"match-late")), ERROR_SUCCESS);
  EXPECT_EQ(CUtility::DeleteKeyValue(root, W(u"D"), nullptr, CString(u"match-late")), ERROR_MORE_DATA);
  EXPECT_EQ(CUtility::DeleteKeyValue(root, W(u"D"), nullptr, CString(u"match-early")), ERROR_SUCCESS);
  bool ok = true;
  GetRaw(u"D", u"a", nullptr, &ok);
  EXPECT_FALSE(ok);
  GetRaw(u"D", u"b", nullptr, &ok);
  EXPECT_TRUE(ok);
}

TEST_F(DeleteTest, DeletesTheDefaultValueByItsEmptyName) {
  ASSERT_EQ(CUtility::WriteKey(root, W(u"D"), nullptr, CString(u"dflt")), ERROR_SUCCESS);
  ASSERT_EQ(CUtility::WriteKey(root, W(u"D"), W(u"named"), CString(u"n")), ERROR_SUCCESS);
  EXPECT_EQ(CUtility::DeleteKeyValue(root, W(u"D"), nullptr, CString(u"dflt")), ERROR_SUCCESS);
  CStringList list;
  ASSERT_EQ(CUtility::ReadKey(root, W(u"D"), nullptr, list), ERROR_SUCCESS);
  EXPECT_EQ(Items(list), (std::vector<std::string>{"n"}));
}

// A plainly literal model of one key's values: creation order, names without case, a
// replaced value keeping its place, a re-created one going last.
struct Model {
  std::vector<std::pair<std::string, std::string>> values;  // upper-case name, text

  void Write(const std::string& name, const std::string& text) {
    for (auto& v : values) {
      if (v.first == name) {
        v.second = text;
        return;
      }
    }
    values.emplace_back(name, text);
  }
  void DeleteFirst(const std::string& text) {
    for (auto it = values.begin(); it != values.end(); ++it) {
      if (it->second == text) {
        values.erase(it);
        return;
      }
    }
  }
  std::vector<std::string> List() const {
    std::vector<std::string> out;
    for (auto it = values.rbegin(); it != values.rend(); ++it) out.push_back(it->second);
    return out;
  }
};

TEST_F(ListTest, MatchesTheModelOverGeneratedSequences) {
  const unsigned seed = 20261206;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::u16string key = u"Model" + std::u16string(1, static_cast<char16_t>(u'A' + round));
    Model model;
    bool keyExists = false;
    for (int step = 0; step < 40; ++step) {
      const int nameIndex = static_cast<int>(rng() % 6);
      const std::string text = "t" + std::to_string(rng() % 4);
      std::string name = "name" + std::to_string(nameIndex);
      if (rng() % 3 == 0) {
        ASSERT_EQ(CUtility::DeleteKeyValue(root, W(key.c_str()), nullptr, CString(text.c_str())),
                  keyExists ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
        model.DeleteFirst(text);
      } else {
        // Names differ only in case from one write to the next.
        std::string spelled = name;
        if (rng() % 2 == 0) std::transform(spelled.begin(), spelled.end(), spelled.begin(), ::toupper);
        ASSERT_EQ(CUtility::WriteKey(root, W(key.c_str()), CString(spelled.c_str()), CString(text.c_str())),
                  ERROR_SUCCESS);
        std::transform(name.begin(), name.end(), name.begin(), ::toupper);
        model.Write(name, text);
        keyExists = true;
      }
      CStringList list;
      const LONG rc = CUtility::ReadKey(root, W(key.c_str()), nullptr, list);
      if (!keyExists) {
        ASSERT_EQ(rc, ERROR_FILE_NOT_FOUND);
        continue;
      }
      ASSERT_EQ(rc, ERROR_SUCCESS);
      ASSERT_EQ(Items(list), model.List()) << "after step " << step;
    }
  }
}

}  // namespace
}  // namespace regtest
