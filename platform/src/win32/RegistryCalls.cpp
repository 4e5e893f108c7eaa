// The registry calls of our headers over the system's own registry. Tests and scripts give a
// run a registry of its own by setting UTILITY_REGISTRY_DIR, as on every system: here it names
// a key below HKEY_CURRENT_USER\Software\Utility\Sandboxes, one for each directory, that stands
// for HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE while the variable is set. The store's own calls
// (HiveFiles.h) have no counterpart in the system's registry.
#include <Utility/Platform/HiveFiles.h>
#include <Utility/Platform/Registry.h>

#include <cstdint>
#include <string>

#include "win32/NativeRegistry.h"

namespace {

namespace win32 = utility::platform::win32;

// Key names are at most 255 units; a longer directory is named by a hash of itself instead.
constexpr std::size_t kLongestSandboxName = 200;

std::u16string SandboxName(std::u16string directory) {
  for (char16_t& unit : directory) {
    if (unit == u'\\') unit = u'/';  // a key name has no `\`
  }
  if (directory.size() <= kLongestSandboxName) return directory;
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a over the units
  for (const char16_t unit : directory) hash = (hash ^ unit) * 1099511628211ull;
  std::u16string name = u"#";
  for (int shift = 60; shift >= 0; shift -= 4) name += u"0123456789ABCDEF"[(hash >> shift) & 0xF];
  return name;
}

// The key a call reaches the system with: the caller's own, or the sandbox key standing for a
// predefined root, opened for this call only.
class Target {
 public:
  explicit Target(HKEY key) : m_key(key) {
    const bool user = key == HKEY_CURRENT_USER;
    if (!user && key != HKEY_LOCAL_MACHINE) return;
    const std::u16string directory = win32::RegistryDirectoryVariable();
    if (directory.empty()) return;
    const std::u16string path =
        u"Software\\Utility\\Sandboxes\\" + SandboxName(directory) + (user ? u"\\CurrentUser" : u"\\LocalMachine");
    win32::KeyHandle sandbox = nullptr;
    m_status = win32::CreateKey(HKEY_CURRENT_USER, reinterpret_cast<const WCHAR*>(path.c_str()), nullptr, 0,
                                KEY_ALL_ACCESS, &sandbox, nullptr);
    m_key = static_cast<HKEY>(sandbox);
    m_sandbox = m_status == ERROR_SUCCESS;
  }
  ~Target() {
    if (m_sandbox) win32::CloseKey(m_key);
  }
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;

  LONG Status() const { return m_status; }
  win32::KeyHandle Handle() const { return m_key; }
  // Whether the call reaches a sandbox's root itself, which stands for a root key and so is
  // never deleted.
  bool IsSandboxRoot(LPCWSTR subKey) const { return m_sandbox && (subKey == nullptr || subKey[0] == 0); }

 private:
  HKEY m_key;
  LONG m_status = ERROR_SUCCESS;
  bool m_sandbox = false;
};

bool IsOpenKey(win32::KeyHandle key) { return win32::QueryKeyInfo(key, {}) != ERROR_INVALID_HANDLE; }

// Runs call on the key a call reaches the system with, or gives the error of finding it.
template <typename Call>
LONG OnTarget(HKEY key, Call call) {
  const Target target(key);
  return target.Status() != ERROR_SUCCESS ? target.Status() : call(target);
}

std::uint64_t* Ticks(PFILETIME time) {
  static_assert(sizeof(FILETIME) == sizeof(std::uint64_t) && alignof(FILETIME) <= alignof(std::uint64_t));
  return reinterpret_cast<std::uint64_t*>(time);
}

}  // namespace

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result) noexcept {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  const Target target(key);
  if (target.Status() != ERROR_SUCCESS) return target.Status();
  win32::KeyHandle opened = nullptr;
  const LONG rc = win32::OpenKey(target.Handle(), subKey, options, desired, &opened);
  *result = static_cast<HKEY>(opened);
  return rc;
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR keyClass, DWORD options, REGSAM desired,
                     const LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) noexcept {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  const Target target(key);
  if (target.Status() != ERROR_SUCCESS) return target.Status();
  win32::KeyHandle created = nullptr;
  const LONG rc = win32::CreateKey(target.Handle(), subKey, keyClass, options, desired, &created, disposition);
  *result = static_cast<HKEY>(created);
  return rc;
}

LONG RegCloseKey(HKEY key) noexcept { return win32::CloseKey(key); }

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) noexcept {
  return OnTarget(
      key, [&](const Target& t) { return win32::QueryValue(t.Handle(), valueName, reserved, type, data, size); });
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD size) noexcept {
  return OnTarget(key, [&](const Target& t) { return win32::SetValue(t.Handle(), valueName, type, data, size); });
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) noexcept {
  return OnTarget(key, [&](const Target& t) { return win32::DeleteValue(t.Handle(), valueName); });
}

LONG RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classSize, LPDWORD reserved, LPDWORD subKeys,
                      LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values, LPDWORD maxValueNameLength,
                      LPDWORD maxValueLength, LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) noexcept {
  return OnTarget(key, [&](const Target& t) {
    return win32::QueryKeyInfo(t.Handle(),
                               {keyClass, classSize, reserved, subKeys, maxSubKeyLength, maxClassLength, values,
                                maxValueNameLength, maxValueLength, securityDescriptorSize, Ticks(lastWriteTime)});
  });
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD nameSize, LPDWORD reserved, LPDWORD type,
                   LPBYTE data, LPDWORD size) noexcept {
  return OnTarget(key, [&](const Target& t) {
    return win32::EnumValue(t.Handle(), index, valueName, nameSize, reserved, type, data, size);
  });
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved, LPWSTR keyClass,
                   LPDWORD classSize, PFILETIME lastWriteTime) noexcept {
  return OnTarget(key, [&](const Target& t) {
    return win32::EnumKey(t.Handle(), index, name, nameSize, reserved, keyClass, classSize, Ticks(lastWriteTime));
  });
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) noexcept {
  const Target target(key);
  if (target.Status() != ERROR_SUCCESS) return target.Status();
  if (target.IsSandboxRoot(subKey)) return ERROR_ACCESS_DENIED;
  return win32::DeleteKey(target.Handle(), subKey);
}

LONG RegLoadAppKeyW(LPCWSTR path, PHKEY result, REGSAM desired, DWORD options, DWORD) noexcept {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (path == nullptr || path[0] == 0) return ERROR_INVALID_PARAMETER;
  std::u16string native(reinterpret_cast<const char16_t*>(path));
  for (char16_t& unit : native) {
    if (unit == u'/') unit = u'\\';
  }
  win32::KeyHandle root = nullptr;
  LONG rc = win32::LoadAppKey(reinterpret_cast<const WCHAR*>(native.c_str()), &root, desired, options);
  if (rc == ERROR_CALL_NOT_IMPLEMENTED || (rc == ERROR_SUCCESS && !IsOpenKey(root))) {
    // A system without application hives (Wine accepts the call and gives no usable key):
    // the file's hive is a key of the user's registry, named after the file, instead.
    const std::u16string stand = u"Software\\Utility\\AppHives\\" + SandboxName(native);
    rc = win32::CreateKey(HKEY_CURRENT_USER, reinterpret_cast<const WCHAR*>(stand.c_str()), nullptr, 0, desired, &root,
                          nullptr);
  }
  *result = rc == ERROR_SUCCESS ? static_cast<HKEY>(root) : nullptr;
  return rc;
}

namespace {

// Whether subKey below key exists, as the registry calls report it.
LONG KeyExists(HKEY key, LPCWSTR subKey) {
  HKEY opened = nullptr;
  const LONG rc = RegOpenKeyExW(key, subKey, 0, KEY_QUERY_VALUE, &opened);
  if (rc == ERROR_SUCCESS) RegCloseKey(opened);
  return rc;
}

}  // namespace

// The system's registry keeps no read-only marks: no key is marked, clearing a mark does
// nothing, and setting one is refused.
LONG utility::platform::SetKeyReadOnly(HKEY key, LPCWSTR subKey, BOOL readOnly) noexcept {
  const LONG rc = KeyExists(key, subKey);
  if (rc != ERROR_SUCCESS) return rc;
  return readOnly != FALSE ? ERROR_NOT_SUPPORTED : ERROR_SUCCESS;
}

LONG utility::platform::GetKeyReadOnly(HKEY key, LPCWSTR subKey, BOOL* markedSelf, BOOL* effective) noexcept {
  if (markedSelf != nullptr) *markedSelf = FALSE;
  if (effective != nullptr) *effective = FALSE;
  return KeyExists(key, subKey);
}

LONG utility::platform::CheckHive(HKEY) noexcept { return ERROR_NOT_SUPPORTED; }

LONG utility::platform::SalvageHive(LPCWSTR, LPCWSTR, DWORD, REG_SALVAGE_COUNTS* counts) noexcept {
  if (counts != nullptr) *counts = REG_SALVAGE_COUNTS{};
  return ERROR_NOT_SUPPORTED;
}

LONG utility::platform::GetHiveFile(HKEY, LPWSTR, LPDWORD) noexcept { return ERROR_NOT_SUPPORTED; }
