// ReadKey, WriteKey, the list reader and DeleteKeyValue: results, untouched versus reset outputs,
// the 249-byte and 249-unit buffers, any stored bytes read as a number or a text, and rights.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Utility/Platform/HiveFiles.h>
#include <Utility/Platform/Registry.h>
#include <Utility/Utility.h>

#include "support/LoadedHive.h"
#include "support/TempDir.h"

namespace {

using utility::testsupport::Utf8;
using utility::testsupport::W;

class Hive : public utility::testsupport::HiveTest {
 protected:
  // Sets a value of any type and bytes through the Win32 calls.
  void SetRaw(const char16_t* subKey, const char16_t* name, DWORD type, const std::vector<BYTE>& data) {
    ASSERT_EQ(
        utility::testsupport::WriteValue(root, W(subKey), W(name), type, data.data(), static_cast<DWORD>(data.size())),
        ERROR_SUCCESS);
  }

  // The stored bytes and type of a value; an empty vector and type REG_NONE when it is missing.
  std::vector<BYTE> GetRaw(const char16_t* subKey, const char16_t* name, DWORD* type = nullptr) {
    std::vector<BYTE> out(8192);
    DWORD size = 8192, stored = REG_NONE;
    if (utility::testsupport::ReadValue(root, W(subKey), W(name), &stored, out.data(), &size) != ERROR_SUCCESS)
      size = 0;
    if (type != nullptr) *type = stored;
    out.resize(size);
    return out;
  }

  // The list reader's texts from head to tail, or "error N".
  std::vector<std::string> List(const char16_t* subKey) {
    CStringList list;
    const LONG rc = CUtility::ReadKey(root, W(subKey), nullptr, list);
    std::vector<std::string> out;
    if (rc != ERROR_SUCCESS) out.push_back("error " + std::to_string(rc));
    for (POSITION p = list.GetHeadPosition(); p != nullptr;) out.push_back(list.GetNext(p).ToUtf8());
    return out;
  }
};

// The hive store's own rules: values in creation order and read-only marks.
class HiveLinux : public Hive {};

TEST_F(Hive, NumbersAreFourByteDwordsAndReadFromAnyDataThatFits) {
  const DWORD written = 0x89ABCDEFu;
  ASSERT_EQ(CUtility::WriteKey(root, W(u"Software\\App"), W(u"Count"), written), ERROR_SUCCESS);
  DWORD type = 0, back = 12345;
  EXPECT_EQ(GetRaw(u"Software\\App", u"Count", &type), (std::vector<BYTE>{0xEF, 0xCD, 0xAB, 0x89}));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Software\\App"), W(u"Count"), back), ERROR_SUCCESS);
  EXPECT_EQ(back, written);
  // Any data of up to four bytes overwrites the number's low bytes.
  const auto check = [&](DWORD kind, const std::vector<BYTE>& data, LONG result, DWORD number) {
    SetRaw(u"Raw", u"V", kind, data);
    DWORD n = 0xAABBCCDDu;
    EXPECT_EQ(CUtility::ReadKey(root, W(u"Raw"), W(u"V"), n), result) << data.size();
    EXPECT_EQ(n, number) << data.size();
  };
  check(REG_BINARY, {}, ERROR_SUCCESS, 0xAABBCCDDu);
  check(REG_NONE, {0x11, 0x22, 0x33}, ERROR_SUCCESS, 0xAA332211u);
  check(REG_SZ, {'a', 0, 0, 0}, ERROR_SUCCESS, 0x61u);
  check(REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, ERROR_MORE_DATA, 0xFFFFFFFFu);  // too long: reset
  // A missing key leaves the number as it was; a missing value resets it.
  DWORD n = 0x1234;
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Nowhere"), W(u"Count"), n), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(n, 0x1234u);
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Raw"), W(u"Missing"), n), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(n, 0xFFFFFFFFu);
}

TEST_F(Hive, TextsAreWrittenWholeAndAnyDataReadsAsUtf16UpTo249Bytes) {
  for (int length : {123, 124}) {
    SCOPED_TRACE(length);
    const CString text(u'x', length);
    ASSERT_EQ(CUtility::WriteKey(root, W(u"Software\\App"), W(u"Name"), text), ERROR_SUCCESS);
    // Written whole, terminator included, whatever its length.
    DWORD type = 0;
    std::vector<BYTE> expected(static_cast<std::size_t>(length + 1) * 2, 0);
    for (int i = 0; i < length; ++i) expected[static_cast<std::size_t>(2 * i)] = 'x';
    EXPECT_EQ(GetRaw(u"Software\\App", u"Name", &type), expected);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    // 123 units and the terminator fit the 249-byte buffer; more fails and empties the text.
    CString back(u"previous");
    EXPECT_EQ(CUtility::ReadKey(root, W(u"Software\\App"), W(u"Name"), back),
              length <= 123 ? ERROR_SUCCESS : ERROR_MORE_DATA);
    EXPECT_EQ(back, length <= 123 ? text : CString());
  }
  // 124 units and one odd byte are 249 bytes: they fit (250 did not, above).
  std::vector<BYTE> data(249, 0);
  for (std::size_t i = 0; i < 248; i += 2) data[i] = 'q';
  SetRaw(u"Raw", u"V", REG_BINARY, data);
  CString text;
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Raw"), W(u"V"), text), ERROR_SUCCESS);
  EXPECT_EQ(text, CString(u'q', 124));
  // A missing key or value empties the text too.
  for (const char16_t* key : {u"Missing", u"Raw"}) {
    text = u"old";
    EXPECT_EQ(CUtility::ReadKey(root, W(key), W(u"Missing"), text), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(text.IsEmpty());
  }
  // Any data reads as UTF-16 up to the first zero unit; the list reader takes it the same way.
  const auto check = [&](DWORD type, const std::vector<BYTE>& bytes, const char16_t* expected) {
    SCOPED_TRACE(Utf8(expected));
    SetRaw(u"Raw", u"V", type, bytes);
    text = u"old";
    EXPECT_EQ(CUtility::ReadKey(root, W(u"Raw"), W(u"V"), text), ERROR_SUCCESS);
    EXPECT_EQ(text, CString(expected));
    EXPECT_EQ(List(u"Raw"), std::vector<std::string>{Utf8(expected)});
  };
  check(REG_DWORD, {'A', 0, 'B', 0}, u"AB");
  check(REG_BINARY, {'A', 0, 'B'}, u"A");  // an odd trailing byte is ignored
  check(REG_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0}, u"a");
  check(REG_EXPAND_SZ, {0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE}, u"\u20AC\U0001F600");
}

TEST_F(HiveLinux, TheListReaderAddsAtTheHeadInReverseOrder) {
  for (const char16_t* v : {u"a", u"b", u"c"})
    ASSERT_EQ(CUtility::WriteKey(root, W(u"L"), W(v), CString(v)), ERROR_SUCCESS);
  CStringList list;
  list.AddTail(CString(u"held"));
  EXPECT_EQ(CUtility::ReadKey(root, W(u"L"), W(u"ignored"), list), ERROR_SUCCESS);
  ASSERT_EQ(list.GetCount(), 4);
  EXPECT_EQ(list.GetHead(), CString(u"c"));
  EXPECT_EQ(list.GetTail(), CString(u"held"));
  // The buffer is as large as the largest value, far beyond the single text's.
  const CString big(u'z', 5000);
  ASSERT_EQ(CUtility::WriteKey(root, W(u"L"), W(u"big"), big), ERROR_SUCCESS);
  EXPECT_EQ(List(u"L").front(), big.ToUtf8());
  EXPECT_EQ(List(u"Missing"), std::vector<std::string>{"error 2"});  // a missing key is an error
}

TEST_F(HiveLinux, AValueNameOf249UnitsEndsTheWalk) {
  // The list reader stops there with success; a deletion fails there, unless it matched before.
  for (int length : {248, 249}) {
    SCOPED_TRACE(length);
    const std::u16string key = length == 248 ? u"Short" : u"Long";
    ASSERT_EQ(CUtility::WriteKey(root, W(key), W(u"first"), CString(u"before")), ERROR_SUCCESS);
    ASSERT_EQ(CUtility::WriteKey(root, W(key), CString(u'n', length), CString(u"long")), ERROR_SUCCESS);
    ASSERT_EQ(CUtility::WriteKey(root, W(key), W(u"last"), CString(u"after")), ERROR_SUCCESS);
    const std::vector<std::string> all = {"after", "long", "before"}, cut = {"before"};
    EXPECT_EQ(List(key.c_str()), length == 248 ? all : cut);
    EXPECT_EQ(CUtility::DeleteKeyValue(root, W(key), nullptr, CString(u"after")),
              length == 248 ? ERROR_SUCCESS : ERROR_MORE_DATA);
    EXPECT_EQ(CUtility::DeleteKeyValue(root, W(key), nullptr, CString(u"before")), ERROR_SUCCESS);
    EXPECT_TRUE(GetRaw(key.c_str(), u"first").empty());
  }
}

TEST_F(Hive, DeleteKeyValueDeletesTheFirstValueWithTheTextOnly) {
  ASSERT_EQ(CUtility::WriteKey(root, W(u"D"), nullptr, CString(u"same")), ERROR_SUCCESS);  // the default value
  ASSERT_EQ(CUtility::WriteKey(root, W(u"D"), W(u"v2"), CString(u"other")), ERROR_SUCCESS);
  ASSERT_EQ(CUtility::WriteKey(root, W(u"D"), W(u"v3"), CString(u"same")), ERROR_SUCCESS);
  // No match, not even in case or by a part of the text, deletes nothing.
  for (const char16_t* probe : {u"SAME", u"sam"}) {
    SCOPED_TRACE(utility::testsupport::Utf8(probe));
    EXPECT_EQ(CUtility::DeleteKeyValue(root, W(u"D"), nullptr, CString(probe)), ERROR_SUCCESS);
  }
  EXPECT_EQ(List(u"D"), (std::vector<std::string>{"same", "other", "same"}));
  EXPECT_EQ(CUtility::DeleteKeyValue(root, W(u"D"), nullptr, CString(u"same")), ERROR_SUCCESS);
  EXPECT_EQ(List(u"D"), (std::vector<std::string>{"same", "other"}));
  EXPECT_TRUE(GetRaw(u"D", u"").empty());
  EXPECT_EQ(CUtility::DeleteKeyValue(root, W(u"Missing"), nullptr, CString(u"same")), ERROR_FILE_NOT_FOUND);
}

TEST_F(HiveLinux, AReadOnlyKeyReadsOneValueButRefusesTheRest) {
  ASSERT_EQ(CUtility::WriteKey(root, W(u"Locked"), W(u"V"), CString(u"kept")), ERROR_SUCCESS);
  ASSERT_EQ(utility::platform::SetKeyReadOnly(root, W(u"Locked"), TRUE), ERROR_SUCCESS);
  CString text;
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Locked"), W(u"V"), text), ERROR_SUCCESS);
  EXPECT_EQ(text, CString(u"kept"));
  // The list reader and the deletion open the key for every access.
  EXPECT_EQ(List(u"Locked"), std::vector<std::string>{"error 5"});
  EXPECT_EQ(CUtility::DeleteKeyValue(root, W(u"Locked"), nullptr, CString(u"kept")), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CUtility::WriteKey(root, W(u"Locked"), W(u"V"), CString(u"changed")), ERROR_ACCESS_DENIED);
}

}  // namespace
