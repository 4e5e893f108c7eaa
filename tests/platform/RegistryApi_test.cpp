// The Win32 registry calls on the store: buffer-size rules, enumeration, key information,
// access rights, handles, key paths, value types and order, and read-only keys.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Utility/Platform/HiveFiles.h>
#include <Utility/Platform/Registry.h>
#include <Utility/Platform/String.h>

#include "support/LoadedHive.h"
#include "support/TempDir.h"

namespace {

using utility::testsupport::W;
const BYTE* B(const void* p) { return static_cast<const BYTE*>(p); }
const DWORD kOne = 1;

// A key below the parent opened (made if missing) with the rights, then closed: the result.
LONG Create(HKEY parent, const char16_t* path, REGSAM rights = KEY_READ, DWORD* how = nullptr) {
  HKEY k = nullptr;
  const LONG rc = RegCreateKeyExW(parent, W(path), 0, nullptr, 0, rights, nullptr, &k, how);
  EXPECT_EQ(rc == ERROR_SUCCESS, k != nullptr);
  if (k != nullptr) RegCloseKey(k);
  return rc;
}
LONG Open(HKEY parent, const char16_t* path, REGSAM rights) {
  HKEY k = nullptr;
  const LONG rc = RegOpenKeyExW(parent, W(path), 0, rights, &k);
  if (k != nullptr) RegCloseKey(k);
  return rc;
}

class RegistryApi : public utility::testsupport::HiveTest {
 protected:
  void SetUp() override {
    HiveTest::SetUp();
    ASSERT_EQ(RegCreateKeyExW(root, W(u"Key"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
  }
  void TearDown() override { EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS); }
  void Set(const char16_t* name, DWORD type, const std::vector<BYTE>& data) {
    ASSERT_EQ(RegSetValueExW(key, W(name), 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
  }

  HKEY key = nullptr;
};

// The hive store's own rules, where the system's registry (under Wine at least) differs: values
// in creation order, rights checked on every handle, empty key names refused, read-only marks.
class RegistryApiLinux : public RegistryApi {};

TEST_F(RegistryApi, QueryAndEnumValueFollowTheBufferSizeRules) {
  Set(u"v", REG_BINARY, {1, 2, 3, 4, 5, 6});
  for (int capacity : {-1, 5, 6, 8}) {  // -1: no buffer, the size is reported
    SCOPED_TRACE(capacity);
    std::vector<BYTE> buffer(16, 0xEE);
    DWORD size = capacity < 0 ? 0 : static_cast<DWORD>(capacity);
    DWORD type = 0;
    const bool fits = capacity >= 6;
    EXPECT_EQ(RegQueryValueExW(key, W(u"v"), nullptr, &type, capacity < 0 ? nullptr : buffer.data(), &size),
              capacity < 0 || fits ? ERROR_SUCCESS : ERROR_MORE_DATA);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(buffer[0], fits ? 1 : 0xEE);
    EXPECT_EQ(buffer[6], 0xEE);  // nothing past the data is touched
  }
  BYTE b[8];
  DWORD size = 77;
  EXPECT_EQ(RegQueryValueExW(key, W(u"absent"), nullptr, nullptr, b, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(size, 77u);
  // Enumerated, the sizes after the call are the name's without its terminator, or as given when
  // it does not fit; and the data's needed.
  WCHAR name[8];
  const auto check = [&](DWORD nameSize, DWORD dataSize, LONG result, DWORD nameSizeAfter) {
    SCOPED_TRACE(std::to_string(nameSize) + "/" + std::to_string(dataSize));
    EXPECT_EQ(RegEnumValueW(key, 0, name, &nameSize, nullptr, nullptr, b, &dataSize), result);
    EXPECT_EQ(nameSize, nameSizeAfter);
    EXPECT_EQ(dataSize, 6u);
  };
  check(2, 6, ERROR_SUCCESS, 1);  // name and terminator fit exactly
  check(1, 6, ERROR_MORE_DATA, 1);
  check(2, 5, ERROR_MORE_DATA, 1);
  DWORD nameSize = 8;
  EXPECT_EQ(RegEnumValueW(key, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryApiLinux, ValuesEnumerateInCreationOrder) {
  for (const char16_t* n : {u"zeta", u"Alpha", u"mid", u"beta"}) Set(n, REG_DWORD, {1, 0, 0, 0});
  Set(u"ALPHA", REG_DWORD, {2, 0, 0, 0});  // replaced: keeps its place and first spelling
  ASSERT_EQ(RegDeleteValueW(key, W(u"MID")), ERROR_SUCCESS);
  Set(u"mid", REG_DWORD, {3, 0, 0, 0});  // re-created: goes last
  std::vector<std::string> names;
  std::vector<BYTE> firsts;
  WCHAR name[32];
  BYTE data[4];
  for (DWORD i = 0, nameSize = 32, size = 4;
       RegEnumValueW(key, i, name, &nameSize, nullptr, nullptr, data, &size) == ERROR_SUCCESS;
       ++i, nameSize = 32, size = 4) {
    EXPECT_EQ(nameSize, std::char_traits<char16_t>::length(reinterpret_cast<const char16_t*>(name)));
    names.push_back(CString(name).ToUtf8());
    firsts.push_back(data[0]);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"zeta", "Alpha", "beta", "mid"}));
  EXPECT_EQ(firsts, (std::vector<BYTE>{1, 2, 1, 3}));
}

TEST_F(RegistryApi, QueryInfoDescribesTheKeyAndSubKeysEnumerateByFoldedName) {
  Set(u"short", REG_BINARY, std::vector<BYTE>(10, 1));
  Set(u"a-longer-name", REG_BINARY, std::vector<BYTE>(300, 1));
  for (const char16_t* n : {u"beta", u"Alpha", u"GAMMA", u"alpha2"}) ASSERT_EQ(Create(key, n), ERROR_SUCCESS);
  DWORD info[7] = {99, 99, 99, 99, 99, 99, 99};  // sub-keys, longest name, class; values, longest name, data; sd
  FILETIME written{};
  WCHAR cls[4] = {u'x'};
  DWORD clsSize = 4;
  ASSERT_EQ(RegQueryInfoKeyW(key, cls, &clsSize, nullptr, &info[0], &info[1], &info[2], &info[3], &info[4], &info[5],
                             &info[6], &written),
            ERROR_SUCCESS);
  EXPECT_EQ(std::vector<DWORD>(info, info + 7), (std::vector<DWORD>{4, 6, 0, 2, 13, 300, 0}));
  EXPECT_EQ(clsSize, 0u);
  EXPECT_EQ(cls[0], 0);
  // Last change is recent: after 2020 in FILETIME ticks.
  EXPECT_GT((static_cast<ULONGLONG>(written.dwHighDateTime) << 32) | written.dwLowDateTime, 132223104000000000ull);
  std::vector<std::string> names;
  WCHAR name[16];
  DWORD nameSize = 16;
  for (DWORD i = 0; RegEnumKeyExW(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i, nameSize = 16) {
    names.push_back(CString(name).ToUtf8());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "alpha2", "beta", "GAMMA"}));
  nameSize = 5;  // "Alpha" needs 6 with its terminator
  EXPECT_EQ(RegEnumKeyExW(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  EXPECT_EQ(RegEnumKeyExW(key, 4, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryApiLinux, HandlesCarryTheirRightsAreClosedOnceAndOrphanedByADeletion) {
  Set(u"v", REG_DWORD, {1, 0, 0, 0});
  HKEY readOnly = nullptr, writeOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExW(root, W(u"Key"), 0, KEY_READ, &readOnly), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExW(root, W(u"Key"), 0, KEY_SET_VALUE, &writeOnly), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(readOnly, W(u"v"), 0, REG_DWORD, B(&kOne), 4), ERROR_ACCESS_DENIED);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(writeOnly, W(u"v"), nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueExW(writeOnly, W(u"v"), 0, REG_DWORD, B(&kOne), 4), ERROR_SUCCESS);
  // A handle without KEY_CREATE_SUB_KEY may open existing sub-keys but not make new ones.
  EXPECT_EQ(Create(readOnly, u"New"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCloseKey(readOnly), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(writeOnly), ERROR_SUCCESS);
  // A closed handle is refused; so is an unknown root, but predefined keys close.
  EXPECT_EQ(RegCloseKey(readOnly), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExW(readOnly, W(u"v"), nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(Open(HKEY_CLASSES_ROOT, u"x", KEY_READ), ERROR_INVALID_HANDLE);
  // A key with sub-keys is not deleted; a deleted key's old handles are orphaned.
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(key, W(u"P\\C"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(k, W(u"v"), 0, REG_DWORD, B(&kOne), 4), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(key, W(u"P")), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyW(key, W(u"p\\c")), ERROR_SUCCESS);
  DWORD back = 0;
  size = 4;
  EXPECT_EQ(RegQueryValueExW(k, W(u"v"), nullptr, nullptr, reinterpret_cast<BYTE*>(&back), &size), ERROR_KEY_DELETED);
  EXPECT_EQ(RegSetValueExW(k, W(u"v"), 0, REG_DWORD, B(&kOne), 4), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(key, W(u"P")), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(key, W(u"P")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(root, nullptr), ERROR_ACCESS_DENIED);  // never the root
}

TEST_F(RegistryApiLinux, KeyPathsAreCheckedAndCreatedOnce) {
  // A trailing backslash is ignored; only one names the key itself; empty names are refused.
  for (const auto& [path, result] :
       {std::pair{u"A\\B", ERROR_SUCCESS}, std::pair{u"A\\B\\", ERROR_SUCCESS}, std::pair{u"\\A", ERROR_BAD_PATHNAME},
        std::pair{u"A\\\\B", ERROR_BAD_PATHNAME}, std::pair{u"\\", ERROR_SUCCESS}}) {
    EXPECT_EQ(Create(key, path), result) << utility::testsupport::Utf8(path);
  }
  DWORD how = 0;
  EXPECT_EQ(Create(key, u"Fresh\\Deep", KEY_READ, &how), ERROR_SUCCESS);
  EXPECT_EQ(how, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  EXPECT_EQ(Create(key, u"FRESH\\deep", KEY_READ, &how), ERROR_SUCCESS);
  EXPECT_EQ(how, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  const std::u16string longest(REG_MAX_KEY_NAME_LENGTH, u'k');
  EXPECT_EQ(Create(key, longest.c_str()), ERROR_SUCCESS);
  EXPECT_EQ(Create(key, (longest + u"k").c_str()), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Open(key, u"Fresh\\Missing", KEY_READ), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryApiLinux, ReadOnlyMarkCoversTheKeyAndEverythingBelowForEveryCaller) {
  ASSERT_EQ(Create(key, u"Tree\\Leaf"), ERROR_SUCCESS);
  ASSERT_EQ(Create(key, u"Treetop"), ERROR_SUCCESS);
  HKEY earlier = nullptr;  // opened for writing before the mark: keeps its rights
  ASSERT_EQ(RegOpenKeyExW(key, W(u"Tree"), 0, KEY_ALL_ACCESS, &earlier), ERROR_SUCCESS);
  ASSERT_EQ(utility::platform::SetKeyReadOnly(key, W(u"Tree"), TRUE), ERROR_SUCCESS);
  const auto check = [&](const char16_t* path, REGSAM rights, LONG result) {
    SCOPED_TRACE(utility::testsupport::Utf8(path) + " " + std::to_string(rights));
    EXPECT_EQ(Open(key, path, rights), result);
    EXPECT_EQ(Create(key, path, rights), result);
  };
  check(u"Tree", KEY_READ, ERROR_SUCCESS);
  check(u"Tree", KEY_SET_VALUE, ERROR_ACCESS_DENIED);
  check(u"Tree", DELETE, ERROR_ACCESS_DENIED);
  check(u"tree\\LEAF", KEY_WRITE, ERROR_ACCESS_DENIED);
  check(u"Tree\\Leaf", KEY_QUERY_VALUE, ERROR_SUCCESS);
  check(u"Treetop", KEY_ALL_ACCESS, ERROR_SUCCESS);  // a sibling that only begins the same
  EXPECT_EQ(Create(key, u"Tree\\New"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyW(key, W(u"Tree\\Leaf")), ERROR_ACCESS_DENIED);
  BOOL self = FALSE, effective = FALSE;
  ASSERT_EQ(utility::platform::GetKeyReadOnly(key, W(u"Tree\\Leaf"), &self, &effective), ERROR_SUCCESS);
  EXPECT_FALSE(self);
  EXPECT_TRUE(effective);
  EXPECT_EQ(RegSetValueExW(earlier, W(u"v"), 0, REG_DWORD, B(&kOne), 4), ERROR_SUCCESS);
  RegCloseKey(earlier);
  ASSERT_EQ(utility::platform::SetKeyReadOnly(key, W(u"Tree"), FALSE), ERROR_SUCCESS);
  EXPECT_EQ(Open(key, u"Tree\\Leaf", KEY_ALL_ACCESS), ERROR_SUCCESS);
}

}  // namespace
