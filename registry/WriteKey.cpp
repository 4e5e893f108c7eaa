// WriteKey for a number (REG_DWORD) and for a text (REG_SZ with its terminator), through a
// sub-key created or opened with full access.
#include <Utility/Platform/Registry.h>
#include <Utility/Utility.h>

namespace {

LONG WriteValue(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, DWORD type,
                const BYTE* data, DWORD size) {
  HKEY key = nullptr;
  const LONG opened =
      RegCreateKeyExW(rootKey, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (opened != ERROR_SUCCESS) return opened;
  const LONG set = RegSetValueExW(key, valueName, 0, type, data, size);
  RegCloseKey(key);
  return set;
}

}  // namespace

LONG CUtility::WriteKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, DWORD number) {
  return WriteValue(rootKey, subKey, valueName, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

LONG CUtility::WriteKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName,
                        const CString& text) {
  // The units and the terminating zero unit that every CString keeps after them.
  const auto size = static_cast<DWORD>((static_cast<DWORD>(text.GetLength()) + 1u) * sizeof(WCHAR));
  return WriteValue(rootKey, subKey, valueName, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()), size);
}
