// LoadStringW: finds the module's string table through its exported symbol (NativeModules.h)
// and copies a string out of it with Win32's cut and count rules.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Resource.h>

#include "NativeModules.h"

int LoadStringW(HINSTANCE module, UINT id, WCHAR* buffer, int bufferMax) noexcept {
  if (buffer == nullptr || bufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto fail = [&](DWORD error) {
    if (bufferMax > 0) buffer[0] = 0;
    SetLastError(error);
    return 0;
  };
  HMODULE object = module == nullptr ? utility::platform::NativeExecutableModule() : module;
  if (object == nullptr || (module != nullptr && !utility::platform::IsNativeModuleLoaded(module))) {
    return fail(ERROR_MOD_NOT_FOUND);
  }
  const StringTable* table = nullptr;
  if (void* symbol = utility::platform::FindNativeModuleSymbol(object, UTILITY_STRING_TABLE_SYMBOL)) {
    table = reinterpret_cast<const StringTable* (*)() noexcept>(symbol)();
  }
  if (table == nullptr || table->version != UTILITY_STRING_TABLE_VERSION) return fail(ERROR_RESOURCE_DATA_NOT_FOUND);
  const StringTableEntry* entry = nullptr;
  for (UINT i = 0; i < table->count; ++i) {
    if (table->entries[i].id == id) {
      entry = &table->entries[i];
      break;
    }
  }
  if (entry == nullptr || id > 0xFFFFu) return fail(ERROR_RESOURCE_NAME_NOT_FOUND);
  const auto* text = reinterpret_cast<const WCHAR*>(entry->text);
  if (bufferMax == 0) {
    *reinterpret_cast<const WCHAR**>(buffer) = text;
    return static_cast<int>(entry->length);
  }
  const UINT room = static_cast<UINT>(bufferMax - 1);
  const UINT n = entry->length < room ? entry->length : room;
  for (UINT i = 0; i < n; ++i) buffer[i] = text[i];
  buffer[n] = 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<int>(n);
}
