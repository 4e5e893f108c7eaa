// A registry hive of the test's own: a hive file in the test's temporary directory, opened as
// a root key that the registry operations take like HKEY_CURRENT_USER.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Utility/Platform/Registry.h>
#include <Utility/Utility.h>

#include "support/TempDir.h"

namespace regtest {

using utility::testsupport::W;

class HiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hivePath = (dir.path() / "hive.db").string();
    ASSERT_EQ(RegLoadAppKeyW(CString(hivePath.c_str()), &root, KEY_ALL_ACCESS, 0, 0), ERROR_SUCCESS);
  }
  void TearDown() override { EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS); }

  // Sets a value with any type and bytes through the Win32 calls.
  void SetRaw(const char16_t* subKey, const char16_t* name, DWORD type, const std::vector<BYTE>& data) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, W(subKey), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(k, W(name), 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
    RegCloseKey(k);
  }

  // The stored bytes of a value, or an empty vector with ok false when it cannot be read.
  std::vector<BYTE> GetRaw(const char16_t* subKey, const char16_t* name, DWORD* type = nullptr, bool* ok = nullptr) {
    HKEY k = nullptr;
    std::vector<BYTE> out;
    bool good = RegOpenKeyExW(root, W(subKey), 0, KEY_READ, &k) == ERROR_SUCCESS;
    DWORD size = 0;
    if (good) good = RegQueryValueExW(k, W(name), nullptr, type, nullptr, &size) == ERROR_SUCCESS;
    if (good) {
      out.resize(size);
      good = RegQueryValueExW(k, W(name), nullptr, type, out.data(), &size) == ERROR_SUCCESS;
    }
    if (k != nullptr) RegCloseKey(k);
    if (ok != nullptr) *ok = good;
    return out;
  }

  // The list's texts from head to tail, as UTF-8.
  static std::vector<std::string> Items(const CStringList& list) {
    std::vector<std::string> out;
    for (POSITION p = list.GetHeadPosition(); p != nullptr;) out.push_back(list.GetNext(p).ToUtf8());
    return out;
  }

  utility::testsupport::TempDir dir;
  std::string hivePath;
  HKEY root = nullptr;
};

}  // namespace regtest
