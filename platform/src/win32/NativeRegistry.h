// The system's own registry, in standard types only, so that the registry calls of our headers
// can be built on it without <windows.h>. Each function is the advapi32 call of the same role
// with the same arguments and results (Win32 error codes); keys are HKEY values as void*, names
// are UTF-16 units, times are FILETIME values as one 64-bit count.
#pragma once

#include <cstdint>
#include <string>

namespace utility::platform::win32 {

using KeyHandle = void*;
using Units16 = std::uint16_t;

std::int32_t OpenKey(KeyHandle key, const Units16* subKey, std::uint32_t options, std::uint32_t desired,
                     KeyHandle* result) noexcept;
std::int32_t CreateKey(KeyHandle key, const Units16* subKey, Units16* keyClass, std::uint32_t options,
                       std::uint32_t desired, KeyHandle* result, std::uint32_t* disposition) noexcept;
std::int32_t CloseKey(KeyHandle key) noexcept;
std::int32_t QueryValue(KeyHandle key, const Units16* name, std::uint32_t* reserved, std::uint32_t* type,
                        std::uint8_t* data, std::uint32_t* size) noexcept;
std::int32_t SetValue(KeyHandle key, const Units16* name, std::uint32_t type, const std::uint8_t* data,
                      std::uint32_t size) noexcept;
std::int32_t DeleteValue(KeyHandle key, const Units16* name) noexcept;

struct KeyInfo {  // the out arguments of RegQueryInfoKeyW, each optional
  Units16* keyClass;
  std::uint32_t* classSize;
  std::uint32_t* reserved;
  std::uint32_t* subKeys;
  std::uint32_t* maxSubKeyLength;
  std::uint32_t* maxClassLength;
  std::uint32_t* values;
  std::uint32_t* maxValueNameLength;
  std::uint32_t* maxValueLength;
  std::uint32_t* securityDescriptorSize;
  std::uint64_t* lastWriteTime;
};
std::int32_t QueryKeyInfo(KeyHandle key, const KeyInfo& info) noexcept;

std::int32_t EnumValue(KeyHandle key, std::uint32_t index, Units16* name, std::uint32_t* nameSize,
                       std::uint32_t* reserved, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) noexcept;
std::int32_t EnumKey(KeyHandle key, std::uint32_t index, Units16* name, std::uint32_t* nameSize,
                     std::uint32_t* reserved, Units16* keyClass, std::uint32_t* classSize,
                     std::uint64_t* lastWriteTime) noexcept;
std::int32_t DeleteKey(KeyHandle key, const Units16* subKey) noexcept;
std::int32_t LoadAppKey(const Units16* path, KeyHandle* result, std::uint32_t desired, std::uint32_t options) noexcept;

// The value of UTILITY_REGISTRY_DIR in the process's environment, empty when it is not set.
std::u16string RegistryDirectoryVariable();

}  // namespace utility::platform::win32
