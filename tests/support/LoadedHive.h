// A hive file loaded as a root key for one scope, and closed when the scope ends; and the
// fixture of a test with a hive of its own.
#pragma once

#include <filesystem>

#include <gtest/gtest.h>

#include <Utility/Platform/Registry.h>
#include <Utility/Platform/String.h>

#include "support/TempDir.h"

namespace utility::testsupport {

class LoadedHive {
 public:
  explicit LoadedHive(const std::filesystem::path& file, REGSAM rights = KEY_ALL_ACCESS)
      : rc(RegLoadAppKeyW(CString(file.string().c_str()), &root, rights, 0, 0)) {}
  ~LoadedHive() {
    if (root != nullptr) RegCloseKey(root);
  }
  LoadedHive(const LoadedHive&) = delete;
  LoadedHive& operator=(const LoadedHive&) = delete;

  HKEY root = nullptr;  // declared first: set before rc is
  LONG rc;
};

// A hive file in the test's temporary directory, open as a root key (which the registry calls
// take like HKEY_CURRENT_USER) for the length of the test.
class HiveTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(hive.rc, ERROR_SUCCESS); }

  TempDir dir;
  LoadedHive hive{dir.path() / "hive.db"};
  HKEY root = hive.root;
};

// One value written to a key below the root (made when missing), or read from it: the result.
inline LONG WriteValue(HKEY root, LPCWSTR keyName, LPCWSTR name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  LONG rc = RegCreateKeyExW(root, keyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
  return rc;
}
inline LONG ReadValue(HKEY root, LPCWSTR keyName, LPCWSTR name, DWORD* type, BYTE* data, DWORD* size) {
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExW(root, keyName, 0, KEY_READ, &key);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegQueryValueExW(key, name, nullptr, type, data, size);
  RegCloseKey(key);
  return rc;
}

}  // namespace utility::testsupport
