// Small helpers of the registry fault tests: hive files in a test's directory and the values
// of a key read back whole.
#pragma once

#include <Utility/Platform/Registry.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/TempDir.h"

namespace faults {

using utility::testsupport::W;

// A value as the store returns it.
struct Value {
  DWORD type = 0;
  std::string data;
  bool operator==(const Value&) const = default;
};
using Values = std::map<std::u16string, Value>;

// Opens (or creates) the hive in a file; the root handle in root, null on failure.
inline LONG LoadHive(const std::filesystem::path& file, HKEY& root) {
  root = nullptr;
  return RegLoadAppKeyW(CString(file.string().c_str()), &root, KEY_ALL_ACCESS, 0, 0);
}

inline LONG SetValue(HKEY key, const char16_t* name, DWORD type, const std::string& data) {
  return RegSetValueExW(key, W(name), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}

// Every value of the key at path below root, by name; rc receives the first failure
// (ERROR_FILE_NOT_FOUND for a missing key).
inline Values ReadValues(HKEY root, const char16_t* path, LONG& rc) {
  Values out;
  HKEY key = nullptr;
  rc = RegOpenKeyExW(root, W(path), 0, KEY_READ, &key);
  if (rc != ERROR_SUCCESS) return out;
  for (DWORD i = 0;; ++i) {
    WCHAR name[300];
    DWORD nameSize = 300, type = 0, size = 0;
    rc = RegEnumValueW(key, i, name, &nameSize, nullptr, &type, nullptr, &size);
    if (rc == ERROR_NO_MORE_ITEMS) {
      rc = ERROR_SUCCESS;
      break;
    }
    if (rc != ERROR_SUCCESS) break;
    Value v;
    v.type = type;
    v.data.resize(size);
    DWORD got = size;
    rc = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(v.data.data()), &got);
    if (rc != ERROR_SUCCESS) break;
    v.data.resize(got);
    out.emplace(std::u16string(reinterpret_cast<const char16_t*>(name), nameSize), std::move(v));
  }
  RegCloseKey(key);
  return out;
}

inline std::string Bytes(std::size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + seed * 17 + i / 7) & 0xFF);
  return s;
}

// The hive file of one attempt of a sweep, in a directory of its own below dir; a copy of
// templ when one is given.
inline std::filesystem::path NewAttempt(const std::filesystem::path& dir, const std::filesystem::path& templ = {}) {
  static int attempt = 0;
  const std::filesystem::path run = dir / ("run" + std::to_string(++attempt));
  std::filesystem::create_directory(run);
  if (!templ.empty()) std::filesystem::copy_file(templ, run / "hive.db");
  return run / "hive.db";
}

// Whether any file of a half-made hive (a ".new-" sibling) was left in dir.
inline bool LeftoverTemporaries(const std::filesystem::path& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().filename().string().find(".new-") != std::string::npos) return true;
  }
  return false;
}

}  // namespace faults
