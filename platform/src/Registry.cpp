// The Win32 registry calls: handles, key paths, access rights and the buffer-size rules, on
// top of the hive store, and the store's own calls (HiveFiles.h). Everything that reaches the
// disk goes through the store's Hive.
#include <Utility/Platform/HiveFiles.h>
#include <Utility/Platform/Registry.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Path.h>
#include <Utility/Platform/String.h>
#include <Utility/Platform/Unicode.h>

#include "NativeNames.h"
#include "RegistryStore.h"

namespace utility::platform::registry {

Units Fold(const WCHAR* name, std::size_t length) {
  Units out(length, 0);
  for (std::size_t i = 0; i < length; ++i) out[i] = utility::platform::ToUpperUnit(name[i]);
  return out;
}

}  // namespace utility::platform::registry

namespace {

namespace registry = utility::platform::registry;

using registry::Hive;
using registry::Units;

// Rights that change a key: asking for any of them on a read-only key is refused.
constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

// An open key: which hive, which key (by folded path and row id) and with which rights.
// Immutable once made, so that calls on one handle from several threads need no lock.
struct KeyObject {
  std::shared_ptr<Hive> hive;
  Units path;
  std::int64_t id = registry::kRootKeyId;
  REGSAM access = 0;
};
using KeyRef = std::shared_ptr<const KeyObject>;

// The process's open handles and hives. Handles are numbers, not addresses, so that a closed
// handle is never mistaken for a later one.
class Handles {
 public:
  static Handles& Instance() {
    static Handles* instance = new Handles;  // outlives every static destructor that may close keys
    // At exit the hives' connections are closed (the table itself stays), so that each hive's
    // log is folded into its file and the hive file alone holds everything.
    static const struct ExitCloser {
      ~ExitCloser() { instance->CloseHives(); }
    } closer;
    return *instance;
  }

  void CloseHives() {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& [path, weak] : m_hives) {
      if (std::shared_ptr<Hive> hive = weak.lock()) hive->Release();
    }
  }

  HKEY Add(KeyRef key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_next += 4;
    m_open.emplace(m_next, std::move(key));
    return reinterpret_cast<HKEY>(m_next);
  }

  LONG Remove(HKEY key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_open.erase(reinterpret_cast<std::uintptr_t>(key)) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
  }

  LONG Find(HKEY key, KeyRef& out) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_open.find(reinterpret_cast<std::uintptr_t>(key));
    if (it == m_open.end()) return ERROR_INVALID_HANDLE;
    out = it->second;
    return ERROR_SUCCESS;
  }

  // The hive in a file, shared by every handle into it while any is open.
  LONG HiveAt(const std::string& path, bool createNow, std::shared_ptr<Hive>& out) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_hives.find(path);
    if (it != m_hives.end()) {
      out = it->second.lock();
      if (out) return createNow ? out->EnsureFile() : ERROR_SUCCESS;
    }
    const LONG rc = Hive::Open(path, createNow, out);
    if (rc != ERROR_SUCCESS) return rc;
    m_hives[path] = out;
    return ERROR_SUCCESS;
  }

  // The root key of a predefined hive; its place is looked up on every call, so that a
  // changed UTILITY_REGISTRY_DIR takes effect.
  LONG Predefined(HKEY root, KeyRef& out) {
    const std::string path = registry::DefaultHiveFile(root);
    if (path.empty()) return ERROR_INVALID_HANDLE;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      const auto it = m_roots.find(path);
      if (it != m_roots.end()) {
        out = it->second;
        return ERROR_SUCCESS;
      }
    }
    std::shared_ptr<Hive> hive;
    const LONG rc = HiveAt(path, false, hive);
    if (rc != ERROR_SUCCESS) return rc;
    auto object = std::make_shared<KeyObject>();
    object->hive = std::move(hive);
    object->access = KEY_ALL_ACCESS;
    std::lock_guard<std::mutex> lock(m_mutex);
    out = m_roots.emplace(path, std::move(object)).first->second;
    return ERROR_SUCCESS;
  }

 private:
  std::mutex m_mutex;
  std::uintptr_t m_next = 0x1000;
  std::unordered_map<std::uintptr_t, KeyRef> m_open;
  std::map<std::string, std::weak_ptr<Hive>> m_hives;
  std::map<std::string, KeyRef> m_roots;
};

bool IsPredefined(HKEY key) {
  const auto v = reinterpret_cast<std::uintptr_t>(key);
  return v >= reinterpret_cast<std::uintptr_t>(HKEY_CLASSES_ROOT) &&
         v <= reinterpret_cast<std::uintptr_t>(HKEY_CLASSES_ROOT) + 0xFF;
}

LONG Resolve(HKEY key, KeyRef& out) {
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  if (IsPredefined(key)) return Handles::Instance().Predefined(key, out);
  return Handles::Instance().Find(key, out);
}

// Null counts as empty (lstrlenW's rule); a name of INT_MAX units or more fails the length
// limits whatever its exact length.
std::size_t UnitLength(const WCHAR* s) { return static_cast<std::size_t>(lstrlenW(s)); }

// Splits a key path into its names. A trailing `\` is ignored; an empty name anywhere else
// (a leading `\`, or `\\`) is a bad path, and a name longer than the limit is refused.
LONG SplitPath(const WCHAR* subKey, std::vector<Units>& names) {
  std::size_t length = UnitLength(subKey);
  if (length > 0 && subKey[length - 1] == u'\\') --length;
  if (length == 0) return ERROR_SUCCESS;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= length; ++i) {
    if (i == length || subKey[i] == u'\\') {
      if (i == start) return ERROR_BAD_PATHNAME;
      if (i - start > REG_MAX_KEY_NAME_LENGTH) return ERROR_INVALID_PARAMETER;
      names.emplace_back(subKey + start, i - start);
      start = i + 1;
    }
  }
  return ERROR_SUCCESS;
}

Units Join(const Units& base, const std::vector<Units>& names) {
  Units path = base;
  for (const Units& n : names) {
    if (!path.empty()) path += u'\\';
    path += registry::Fold(n.data(), n.size());
  }
  return path;
}

Units FoldedName(const WCHAR* name) {
  return registry::Fold(name == nullptr ? reinterpret_cast<const WCHAR*>(u"") : name, UnitLength(name));
}

void ToFileTime(std::int64_t ticks, PFILETIME out) {
  if (out == nullptr) return;
  out->dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) & 0xFFFFFFFFu);
  out->dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
}

// Registers a new handle to the key at path.
LONG NewHandle(const KeyRef& base, Units path, std::int64_t id, REGSAM desired, PHKEY result) {
  auto object = std::make_shared<KeyObject>();
  object->hive = base->hive;
  object->path = std::move(path);
  object->id = id;
  object->access = desired & ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY);
  *result = Handles::Instance().Add(std::move(object));
  return ERROR_SUCCESS;
}

// Copies a name into a caller's buffer under the enumeration rules: the buffer must hold the
// terminator too; on success the size becomes the name's length.
LONG DeliverName(const Units& name, LPWSTR buffer, LPDWORD size) {
  if (name.size() + 1 > *size) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.data(), name.size() * sizeof(WCHAR));
  buffer[name.size()] = 0;
  *size = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

// Looks up the key below base at subKey.
LONG Locate(HKEY key, LPCWSTR subKey, KeyRef& base, Units& path, std::int64_t& id) {
  LONG rc = Resolve(key, base);
  if (rc != ERROR_SUCCESS) return rc;
  std::vector<Units> names;
  if ((rc = SplitPath(subKey, names)) != ERROR_SUCCESS) return rc;
  path = Join(base->path, names);
  if (names.empty()) {
    id = base->id;
    return ERROR_SUCCESS;
  }
  return base->hive->FindKey(path, id);
}

}  // namespace

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM desired, PHKEY result) noexcept try {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  KeyRef base;
  Units path;
  std::int64_t id = 0;
  LONG rc = Locate(key, subKey, base, path, id);
  if (rc != ERROR_SUCCESS) return rc;
  if ((desired & kWriteRights) != 0) {
    bool readOnly = false;
    if ((rc = base->hive->IsReadOnly(path, readOnly)) != ERROR_SUCCESS) return rc;
    if (readOnly) return ERROR_ACCESS_DENIED;
  }
  return NewHandle(base, std::move(path), id, desired, result);
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM desired, const LPSECURITY_ATTRIBUTES,
                     PHKEY result, LPDWORD disposition) noexcept try {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  KeyRef base;
  LONG rc = Resolve(key, base);
  if (rc != ERROR_SUCCESS) return rc;
  std::vector<Units> names;
  if ((rc = SplitPath(subKey, names)) != ERROR_SUCCESS) return rc;
  Units path = Join(base->path, names);
  const bool wantWrite = (desired & kWriteRights) != 0;
  std::int64_t id = base->id;
  bool created = false;
  rc = names.empty() ? ERROR_SUCCESS : base->hive->FindKey(path, id);
  if (rc == ERROR_FILE_NOT_FOUND) {
    // Making a key needs the right to make sub-keys of the key the path starts from.
    if ((base->access & KEY_CREATE_SUB_KEY) == 0) return ERROR_ACCESS_DENIED;
    rc = base->hive->CreateKey(base->path, names, wantWrite, id, created);
    if (rc != ERROR_SUCCESS) return rc;
  } else if (rc != ERROR_SUCCESS) {
    return rc;
  } else if (wantWrite) {
    bool readOnly = false;
    if ((rc = base->hive->IsReadOnly(path, readOnly)) != ERROR_SUCCESS) return rc;
    if (readOnly) return ERROR_ACCESS_DENIED;
  }
  if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return NewHandle(base, std::move(path), id, desired, result);
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG RegCloseKey(HKEY key) noexcept {
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  if (IsPredefined(key)) return ERROR_SUCCESS;
  return Handles::Instance().Remove(key);
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) noexcept
    try {
  KeyRef k;
  LONG rc = Resolve(key, k);
  if (rc != ERROR_SUCCESS) return rc;
  if ((k->access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
  registry::DataSink sink;
  sink.buffer = data;
  sink.capacity = data != nullptr ? *size : 0;
  DWORD valueType = REG_NONE;
  rc = k->hive->QueryValue(k->id, FoldedName(valueName), valueType, sink);
  if (rc != ERROR_SUCCESS) return rc;
  if (type != nullptr) *type = valueType;
  if (size != nullptr) *size = sink.size;
  return data != nullptr && !sink.fits() ? ERROR_MORE_DATA : ERROR_SUCCESS;
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD size) noexcept try {
  KeyRef k;
  LONG rc = Resolve(key, k);
  if (rc != ERROR_SUCCESS) return rc;
  if ((k->access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (data == nullptr && size != 0) return ERROR_NOACCESS;
  const std::size_t length = UnitLength(valueName);
  if (length > REG_MAX_VALUE_NAME_LENGTH) return ERROR_INVALID_PARAMETER;
  const Units name = valueName == nullptr ? Units() : Units(valueName, length);
  return k->hive->SetValue(k->id, name, registry::Fold(name.data(), name.size()), type, data, size);
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) noexcept try {
  KeyRef k;
  LONG rc = Resolve(key, k);
  if (rc != ERROR_SUCCESS) return rc;
  if ((k->access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  return k->hive->DeleteValue(k->id, FoldedName(valueName));
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classSize, LPDWORD reserved, LPDWORD subKeys,
                      LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values, LPDWORD maxValueNameLength,
                      LPDWORD maxValueLength, LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) noexcept try {
  KeyRef k;
  LONG rc = Resolve(key, k);
  if (rc != ERROR_SUCCESS) return rc;
  if ((k->access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (reserved != nullptr || (keyClass != nullptr && classSize == nullptr)) return ERROR_INVALID_PARAMETER;
  registry::KeyInfo info;
  if ((rc = k->hive->QueryInfo(k->id, info)) != ERROR_SUCCESS) return rc;
  if (keyClass != nullptr) {
    if (*classSize < 1) return ERROR_MORE_DATA;
    keyClass[0] = 0;
  }
  if (classSize != nullptr) *classSize = 0;
  if (subKeys != nullptr) *subKeys = info.subKeys;
  if (maxSubKeyLength != nullptr) *maxSubKeyLength = info.maxSubKeyName;
  if (maxClassLength != nullptr) *maxClassLength = 0;
  if (values != nullptr) *values = info.values;
  if (maxValueNameLength != nullptr) *maxValueNameLength = info.maxValueName;
  if (maxValueLength != nullptr) *maxValueLength = info.maxValueData;
  if (securityDescriptorSize != nullptr) *securityDescriptorSize = 0;
  ToFileTime(info.written, lastWriteTime);
  return ERROR_SUCCESS;
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD nameSize, LPDWORD reserved, LPDWORD type,
                   LPBYTE data, LPDWORD size) noexcept try {
  KeyRef k;
  LONG rc = Resolve(key, k);
  if (rc != ERROR_SUCCESS) return rc;
  if ((k->access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (valueName == nullptr || nameSize == nullptr || reserved != nullptr || (data != nullptr && size == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  registry::DataSink sink;
  sink.buffer = data;
  sink.capacity = data != nullptr ? *size : 0;
  Units name;
  DWORD valueType = REG_NONE;
  if ((rc = k->hive->EnumValue(k->id, index, name, valueType, sink)) != ERROR_SUCCESS) return rc;
  if ((rc = DeliverName(name, valueName, nameSize)) != ERROR_SUCCESS) return rc;
  if (type != nullptr) *type = valueType;
  if (size != nullptr) *size = sink.size;
  return data != nullptr && !sink.fits() ? ERROR_MORE_DATA : ERROR_SUCCESS;
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved, LPWSTR keyClass,
                   LPDWORD classSize, PFILETIME lastWriteTime) noexcept try {
  KeyRef k;
  LONG rc = Resolve(key, k);
  if (rc != ERROR_SUCCESS) return rc;
  if ((k->access & KEY_ENUMERATE_SUB_KEYS) == 0) return ERROR_ACCESS_DENIED;
  if (name == nullptr || nameSize == nullptr || reserved != nullptr || (keyClass != nullptr && classSize == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  Units subName;
  std::int64_t written = 0;
  if ((rc = k->hive->EnumKey(k->id, index, subName, written)) != ERROR_SUCCESS) return rc;
  if ((rc = DeliverName(subName, name, nameSize)) != ERROR_SUCCESS) return rc;
  if (keyClass != nullptr) {
    if (*classSize < 1) return ERROR_MORE_DATA;
    keyClass[0] = 0;
  }
  if (classSize != nullptr) *classSize = 0;
  ToFileTime(written, lastWriteTime);
  return ERROR_SUCCESS;
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) noexcept try {
  KeyRef base;
  Units path;
  std::int64_t id = 0;
  LONG rc = Locate(key, subKey, base, path, id);
  if (rc != ERROR_SUCCESS) return rc;
  bool readOnly = false;
  if ((rc = base->hive->IsReadOnly(path, readOnly)) != ERROR_SUCCESS) return rc;
  if (readOnly) return ERROR_ACCESS_DENIED;
  return base->hive->DeleteKey(id);
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG RegLoadAppKeyW(LPCWSTR path, PHKEY result, REGSAM desired, DWORD, DWORD) noexcept try {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (path == nullptr || path[0] == 0) return ERROR_INVALID_PARAMETER;
  std::shared_ptr<Hive> hive;
  std::string native;
  if (!utility::platform::NativePath(CStringRef(path), native)) return ERROR_INVALID_NAME;
  const LONG rc = Handles::Instance().HiveAt(native, true, hive);
  if (rc != ERROR_SUCCESS) return rc;
  auto root = std::make_shared<KeyObject>();
  root->hive = std::move(hive);
  return NewHandle(root, Units(), registry::kRootKeyId, desired, result);
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG utility::platform::SetKeyReadOnly(HKEY key, LPCWSTR subKey, BOOL readOnly) noexcept try {
  KeyRef base;
  Units path;
  std::int64_t id = 0;
  const LONG rc = Locate(key, subKey, base, path, id);
  if (rc != ERROR_SUCCESS) return rc;
  return base->hive->SetReadOnlyMark(id, readOnly != FALSE);
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG utility::platform::GetKeyReadOnly(HKEY key, LPCWSTR subKey, BOOL* markedSelf, BOOL* effective) noexcept try {
  KeyRef base;
  Units path;
  std::int64_t id = 0;
  LONG rc = Locate(key, subKey, base, path, id);
  if (rc != ERROR_SUCCESS) return rc;
  bool self = false;
  bool any = false;
  if ((rc = base->hive->GetReadOnlyMark(id, self)) != ERROR_SUCCESS) return rc;
  if ((rc = base->hive->IsReadOnly(path, any)) != ERROR_SUCCESS) return rc;
  if (markedSelf != nullptr) *markedSelf = self ? TRUE : FALSE;
  if (effective != nullptr) *effective = any ? TRUE : FALSE;
  return ERROR_SUCCESS;
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG utility::platform::CheckHive(HKEY key) noexcept try {
  KeyRef k;
  const LONG rc = Resolve(key, k);
  return rc != ERROR_SUCCESS ? rc : k->hive->Check();
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG utility::platform::SalvageHive(LPCWSTR damagedFile, LPCWSTR newFile, DWORD flags,
                                    REG_SALVAGE_COUNTS* counts) noexcept try {
  if (counts != nullptr) *counts = REG_SALVAGE_COUNTS{};
  if (damagedFile == nullptr || damagedFile[0] == 0 || newFile == nullptr || newFile[0] == 0)
    return ERROR_INVALID_PARAMETER;
  std::string from, to;
  if (!utility::platform::NativePath(CStringRef(damagedFile), from) ||
      !utility::platform::NativePath(CStringRef(newFile), to))
    return ERROR_INVALID_NAME;
  registry::SalvageCounts found;
  const LONG rc = registry::SalvageHive(from, to, (flags & REG_SALVAGE_REPLACE) != 0, found);
  if (counts != nullptr) *counts = REG_SALVAGE_COUNTS{found.keys, found.values, found.rebuiltKeys, found.lostRows};
  return rc;
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}

LONG utility::platform::GetHiveFile(HKEY key, LPWSTR path, LPDWORD size) noexcept try {
  if (size == nullptr) return ERROR_INVALID_PARAMETER;
  std::string native;
  if (IsPredefined(key)) {
    native = registry::DefaultHiveFile(key);
    if (native.empty()) return ERROR_INVALID_HANDLE;
  } else {
    KeyRef k;
    const LONG rc = Resolve(key, k);
    if (rc != ERROR_SUCCESS) return rc;
    native = k->hive->Path();
  }
  const auto needed = static_cast<DWORD>(utility::platform::DecodeNativeName(native, nullptr, 0) + 1);
  if (path == nullptr || *size < needed) {
    *size = needed;
    return path == nullptr ? ERROR_SUCCESS : ERROR_MORE_DATA;
  }
  path[utility::platform::DecodeNativeName(native, path, needed - 1)] = 0;
  *size = needed - 1;
  return ERROR_SUCCESS;
} catch (...) {
  return ERROR_NOT_ENOUGH_MEMORY;
}
