// ReadKey and WriteKey for numbers and texts: results, untouched versus reset outputs, the
// 249-byte text buffer, and how any stored bytes read as a number or a text.
#include <cstring>

#include <Utility/Platform/HiveFiles.h>

#include "registry/Hive.h"

namespace regtest {
namespace {

using NumberTest = HiveTest;
using TextTest = HiveTest;

TEST_F(NumberTest, RoundTripsAsFourByteDword) {
  for (DWORD n : {0u, 1u, 42u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(n);
    ASSERT_EQ(CUtility::WriteKey(root, W(u"Software\\App"), W(u"Count"), n), ERROR_SUCCESS);
    DWORD type = 0;
    const std::vector<BYTE> raw = GetRaw(u"Software\\App", u"Count", &type);
    EXPECT_EQ(type, REG_DWORD);
    ASSERT_EQ(raw.size(), 4u);
    DWORD stored = 0;
    std::memcpy(&stored, raw.data(), 4);
    EXPECT_EQ(stored, n);
    DWORD back = 12345;
    EXPECT_EQ(CUtility::ReadKey(root, W(u"Software\\App"), W(u"Count"), back), ERROR_SUCCESS);
    EXPECT_EQ(back, n);
  }
}

TEST_F(NumberTest, MissingKeyLeavesNumberButMissingValueResetsIt) {
  DWORD n = 0x1234;
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Nowhere"), W(u"Count"), n), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(n, 0x1234u);
  ASSERT_EQ(CUtility::WriteKey(root, W(u"Here"), W(u"Other"), 7u), ERROR_SUCCESS);
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Here"), W(u"Count"), n), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(n, 0xFFFFFFFFu);
}

TEST_F(NumberTest, ReadsAnyDataUpToFourBytesRawAndLongerDataFails) {
  struct Case {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
    LONG result;
    DWORD expected;
  };
  const Case cases[] = {
      {"empty binary keeps every byte", REG_BINARY, {}, ERROR_SUCCESS, 0xAABBCCDDu},
      {"one byte overwrites the low byte", REG_BINARY, {0x11}, ERROR_SUCCESS, 0xAABBCC11u},
      {"two bytes", REG_BINARY, {0x11, 0x22}, ERROR_SUCCESS, 0xAABB2211u},
      {"three bytes", REG_NONE, {0x11, 0x22, 0x33}, ERROR_SUCCESS, 0xAA332211u},
      {"a one-character REG_SZ is four bytes", REG_SZ, {'a', 0, 0, 0}, ERROR_SUCCESS, 0x61u},
      {"a longer REG_SZ does not fit", REG_SZ, {'a', 0, 'b', 0, 0, 0}, ERROR_MORE_DATA, 0xFFFFFFFFu},
      {"a REG_QWORD does not fit", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, ERROR_MORE_DATA, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetRaw(u"Raw", u"V", c.type, c.data);
    DWORD n = 0xAABBCCDDu;
    EXPECT_EQ(CUtility::ReadKey(root, W(u"Raw"), W(u"V"), n), c.result);
    EXPECT_EQ(n, c.expected);
  }
}

TEST_F(TextTest, ReadsBackWholeUpTo123CharactersAndFailsFrom124) {
  for (int length : {0, 1, 60, 122, 123, 124, 125, 200, 1000}) {
    SCOPED_TRACE(length);
    const CString text(u'x', length);
    ASSERT_EQ(CUtility::WriteKey(root, W(u"Software\\App"), W(u"Name"), text), ERROR_SUCCESS);
    DWORD type = 0;
    const std::vector<BYTE> raw = GetRaw(u"Software\\App", u"Name", &type);
    EXPECT_EQ(type, REG_SZ);
    // Written whole, terminator included, whatever its length.
    ASSERT_EQ(raw.size(), static_cast<std::size_t>(length + 1) * 2);
    EXPECT_EQ(raw[raw.size() - 1], 0);
    EXPECT_EQ(raw[raw.size() - 2], 0);
    CString back(u"previous");
    const LONG rc = CUtility::ReadKey(root, W(u"Software\\App"), W(u"Name"), back);
    if (length <= 123) {
      EXPECT_EQ(rc, ERROR_SUCCESS);
      EXPECT_EQ(back, text);
    } else {
      EXPECT_EQ(rc, ERROR_MORE_DATA);
      EXPECT_TRUE(back.IsEmpty());
    }
  }
}

TEST_F(TextTest, EmptyTextIsStoredAsTheTerminatorAlone) {
  ASSERT_EQ(CUtility::WriteKey(root, W(u"K"), W(u"Empty"), CString()), ERROR_SUCCESS);
  EXPECT_EQ(GetRaw(u"K", u"Empty"), (std::vector<BYTE>{0, 0}));
  CString back(u"not empty");
  EXPECT_EQ(CUtility::ReadKey(root, W(u"K"), W(u"Empty"), back), ERROR_SUCCESS);
  EXPECT_TRUE(back.IsEmpty());
}

TEST_F(TextTest, FailuresLeaveTheEmptyText) {
  CString text(u"old");
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Missing"), W(u"V"), text), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(text.IsEmpty());
  ASSERT_EQ(CUtility::WriteKey(root, W(u"Present"), W(u"Other"), CString(u"x")), ERROR_SUCCESS);
  text = u"old";
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Present"), W(u"V"), text), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(text.IsEmpty());
}

TEST_F(TextTest, TakesAnyDataAsUtf16UpToTheFirstZeroUnit) {
  struct Case {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
    const char16_t* text;
  };
  const Case cases[] = {
      {"a dword", REG_DWORD, {'A', 0, 'B', 0}, u"AB"},
      {"a dword with a zero unit", REG_DWORD, {'A', 0, 0, 0}, u"A"},
      {"no data", REG_BINARY, {}, u""},
      {"an odd trailing byte is ignored", REG_BINARY, {'A', 0, 'B'}, u"A"},
      {"a single byte", REG_BINARY, {'A'}, u""},
      {"an embedded zero ends the text", REG_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0}, u"a"},
      {"no terminator", REG_SZ, {'a', 0, 'b', 0}, u"ab"},
      {"units above ASCII", REG_EXPAND_SZ, {0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE, 0, 0}, u"\u20AC\U0001F600"},
      {"a multi-string reads as its first string", REG_MULTI_SZ, {'x', 0, 0, 0, 'y', 0, 0, 0, 0, 0}, u"x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetRaw(u"Raw", u"V", c.type, c.data);
    CString text(u"old");
    EXPECT_EQ(CUtility::ReadKey(root, W(u"Raw"), W(u"V"), text), ERROR_SUCCESS);
    EXPECT_EQ(text, CString(c.text));
  }
}

TEST_F(TextTest, DataOf249BytesFitsAnd250DoesNot) {
  // 124 units of 'q' and one odd byte: 249 bytes, no terminator.
  std::vector<BYTE> data(249, 0);
  for (int i = 0; i < 124; ++i) data[static_cast<std::size_t>(2 * i)] = 'q';
  SetRaw(u"Raw", u"V", REG_BINARY, data);
  CString text;
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Raw"), W(u"V"), text), ERROR_SUCCESS);
  EXPECT_EQ(text, CString(u'q', 124));  // 124 units and a trailing odd byte
  data.push_back(0);
  SetRaw(u"Raw", u"V", REG_BINARY, data);
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Raw"), W(u"V"), text), ERROR_MORE_DATA);
  EXPECT_TRUE(text.IsEmpty());
}

TEST_F(TextTest, KeyAndValueNamesIgnoreCaseAndKeepIt) {
  ASSERT_EQ(CUtility::WriteKey(root, W(u"Software\\Tarnwell\\Caf\u00E9"), W(u"DisplayName"), CString(u"one")),
            ERROR_SUCCESS);
  CString text;
  EXPECT_EQ(CUtility::ReadKey(root, W(u"SOFTWARE\\tarnwell\\CAF\u00C9"), W(u"displayname"), text), ERROR_SUCCESS);
  EXPECT_EQ(text, CString(u"one"));
  // A write under another spelling changes the same value and keeps the first spelling.
  ASSERT_EQ(CUtility::WriteKey(root, W(u"software\\TARNWELL\\caf\u00E9"), W(u"DISPLAYNAME"), CString(u"two")),
            ERROR_SUCCESS);
  HKEY k = nullptr;
  ASSERT_EQ(RegOpenKeyExW(root, W(u"Software\\Tarnwell\\Caf\u00E9"), 0, KEY_READ, &k), ERROR_SUCCESS);
  WCHAR name[64];
  DWORD nameSize = 64;
  ASSERT_EQ(RegEnumValueW(k, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(CString(name), CString(u"DisplayName"));
  EXPECT_EQ(RegEnumValueW(k, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(k);
  ASSERT_EQ(RegOpenKeyExW(root, W(u"Software"), 0, KEY_READ, &k), ERROR_SUCCESS);
  nameSize = 64;
  ASSERT_EQ(RegEnumKeyExW(k, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(CString(name), CString(u"Tarnwell"));
  RegCloseKey(k);
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Software\\Tarnwell\\Caf\u00E9"), W(u"DisplayName"), text), ERROR_SUCCESS);
  EXPECT_EQ(text, CString(u"two"));
}

TEST_F(TextTest, NullAndEmptyValueNamesAreTheDefaultValue) {
  ASSERT_EQ(CUtility::WriteKey(root, W(u"K"), nullptr, CString(u"default")), ERROR_SUCCESS);
  CString text;
  EXPECT_EQ(CUtility::ReadKey(root, W(u"K"), W(u""), text), ERROR_SUCCESS);
  EXPECT_EQ(text, CString(u"default"));
  ASSERT_EQ(CUtility::WriteKey(root, W(u"K"), W(u""), 9u), ERROR_SUCCESS);
  DWORD n = 0;
  EXPECT_EQ(CUtility::ReadKey(root, W(u"K"), nullptr, n), ERROR_SUCCESS);
  EXPECT_EQ(n, 9u);
}

TEST_F(TextTest, WriteCreatesEveryMissingKeyOnThePath) {
  ASSERT_EQ(CUtility::WriteKey(root, W(u"A\\B\\C\\D"), W(u"V"), 1u), ERROR_SUCCESS);
  for (const char16_t* path : {u"A", u"A\\B", u"A\\B\\C", u"A\\B\\C\\D"}) {
    SCOPED_TRACE(utility::testsupport::Utf8(path));
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExW(root, W(path), 0, KEY_READ, &k), ERROR_SUCCESS);
    RegCloseKey(k);
  }
}

TEST_F(TextTest, ReadOnlyKeyReadsButRefusesWrites) {
  ASSERT_EQ(CUtility::WriteKey(root, W(u"Locked"), W(u"V"), CString(u"kept")), ERROR_SUCCESS);
  ASSERT_EQ(utility::platform::SetKeyReadOnly(root, W(u"Locked"), TRUE), ERROR_SUCCESS);
  CString text;
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Locked"), W(u"V"), text), ERROR_SUCCESS);
  EXPECT_EQ(text, CString(u"kept"));
  EXPECT_EQ(CUtility::WriteKey(root, W(u"Locked"), W(u"V"), CString(u"changed")), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CUtility::WriteKey(root, W(u"Locked"), W(u"N"), 1u), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CUtility::WriteKey(root, W(u"Locked\\Below"), W(u"N"), 1u), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Locked"), W(u"V"), text), ERROR_SUCCESS);
  EXPECT_EQ(text, CString(u"kept"));
  ASSERT_EQ(utility::platform::SetKeyReadOnly(root, W(u"Locked"), FALSE), ERROR_SUCCESS);
  EXPECT_EQ(CUtility::WriteKey(root, W(u"Locked"), W(u"V"), CString(u"changed")), ERROR_SUCCESS);
}

}  // namespace
}  // namespace regtest
