// The texts of the registry store's own error codes: one table, read by FormatMessageW.
#include "RegistryMessages.h"

#include <Utility/Platform/Error.h>

namespace utility::platform::registry {

namespace {

struct Message {
  DWORD code;
  const char* text;
};

constexpr Message kMessages[] = {
    {ERROR_BADDB, "The hive file is not a registry hive, or is damaged and takes no more writes"},
    {ERROR_CANTOPEN, "The hive file cannot be opened"},
    {ERROR_REGISTRY_CORRUPT, "The hive file is damaged"},
    {ERROR_REGISTRY_IO_FAILED, "The hive file cannot be read or written"},
    {ERROR_KEY_DELETED, "The key was deleted"},
};

}  // namespace

const char* MessageOf(DWORD code) noexcept {
  for (const Message& m : kMessages) {
    if (m.code == code) return m.text;
  }
  return nullptr;
}

}  // namespace utility::platform::registry
