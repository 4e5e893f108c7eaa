// The registry calls over advapi32: argument types converted, nothing else changed.
#include "win32/NativeRegistry.h"

#include <windows.h>

#include <cstdlib>

namespace utility::platform::win32 {

namespace {

HKEY AsHkey(KeyHandle key) { return static_cast<HKEY>(key); }
const wchar_t* Wide(const Units16* s) { return reinterpret_cast<const wchar_t*>(s); }
wchar_t* Wide(Units16* s) { return reinterpret_cast<wchar_t*>(s); }
DWORD* Dword(std::uint32_t* p) { return reinterpret_cast<DWORD*>(p); }
std::int32_t Result(LONG rc) { return static_cast<std::int32_t>(rc); }

void Store(const FILETIME& time, std::uint64_t* out) {
  if (out != nullptr) *out = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

static_assert(sizeof(DWORD) == sizeof(std::uint32_t) && sizeof(wchar_t) == sizeof(Units16));

std::int32_t OpenKey(KeyHandle key, const Units16* subKey, std::uint32_t options, std::uint32_t desired,
                     KeyHandle* result) noexcept {
  HKEY opened = nullptr;
  const LONG rc = RegOpenKeyExW(AsHkey(key), Wide(subKey), options, desired, &opened);
  *result = opened;
  return Result(rc);
}

std::int32_t CreateKey(KeyHandle key, const Units16* subKey, Units16* keyClass, std::uint32_t options,
                       std::uint32_t desired, KeyHandle* result, std::uint32_t* disposition) noexcept {
  HKEY created = nullptr;
  const LONG rc = RegCreateKeyExW(AsHkey(key), Wide(subKey), 0, Wide(keyClass), options, desired, nullptr, &created,
                                  Dword(disposition));
  *result = created;
  return Result(rc);
}

std::int32_t CloseKey(KeyHandle key) noexcept { return Result(RegCloseKey(AsHkey(key))); }

std::int32_t QueryValue(KeyHandle key, const Units16* name, std::uint32_t* reserved, std::uint32_t* type,
                        std::uint8_t* data, std::uint32_t* size) noexcept {
  return Result(RegQueryValueExW(AsHkey(key), Wide(name), Dword(reserved), Dword(type), data, Dword(size)));
}

std::int32_t SetValue(KeyHandle key, const Units16* name, std::uint32_t type, const std::uint8_t* data,
                      std::uint32_t size) noexcept {
  return Result(RegSetValueExW(AsHkey(key), Wide(name), 0, type, data, size));
}

std::int32_t DeleteValue(KeyHandle key, const Units16* name) noexcept {
  return Result(RegDeleteValueW(AsHkey(key), Wide(name)));
}

std::int32_t QueryKeyInfo(KeyHandle key, const KeyInfo& info) noexcept {
  FILETIME time{};
  const LONG rc = RegQueryInfoKeyW(AsHkey(key), Wide(info.keyClass), Dword(info.classSize), Dword(info.reserved),
                                   Dword(info.subKeys), Dword(info.maxSubKeyLength), Dword(info.maxClassLength),
                                   Dword(info.values), Dword(info.maxValueNameLength), Dword(info.maxValueLength),
                                   Dword(info.securityDescriptorSize), &time);
  if (rc == ERROR_SUCCESS) Store(time, info.lastWriteTime);
  return Result(rc);
}

std::int32_t EnumValue(KeyHandle key, std::uint32_t index, Units16* name, std::uint32_t* nameSize,
                       std::uint32_t* reserved, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) noexcept {
  return Result(
      RegEnumValueW(AsHkey(key), index, Wide(name), Dword(nameSize), Dword(reserved), Dword(type), data, Dword(size)));
}

std::int32_t EnumKey(KeyHandle key, std::uint32_t index, Units16* name, std::uint32_t* nameSize,
                     std::uint32_t* reserved, Units16* keyClass, std::uint32_t* classSize,
                     std::uint64_t* lastWriteTime) noexcept {
  FILETIME time{};
  const LONG rc = RegEnumKeyExW(AsHkey(key), index, Wide(name), Dword(nameSize), Dword(reserved), Wide(keyClass),
                                Dword(classSize), &time);
  if (rc == ERROR_SUCCESS) Store(time, lastWriteTime);
  return Result(rc);
}

std::int32_t DeleteKey(KeyHandle key, const Units16* subKey) noexcept {
  return Result(RegDeleteKeyW(AsHkey(key), Wide(subKey)));
}

std::int32_t LoadAppKey(const Units16* path, KeyHandle* result, std::uint32_t desired, std::uint32_t options) noexcept {
  HKEY root = nullptr;
  const LONG rc = RegLoadAppKeyW(Wide(path), &root, desired, options, 0);
  *result = root;
  return Result(rc);
}

std::u16string RegistryDirectoryVariable() {
  // The C runtime's copy of the environment: the one that _wputenv_s changes.
  const wchar_t* value = _wgetenv(L"UTILITY_REGISTRY_DIR");
  if (value == nullptr) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(value));
}

}  // namespace utility::platform::win32
