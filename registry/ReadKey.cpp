// ReadKey for a number and for a text: one value read through a sub-key opened for reading.
#include <Utility/Platform/Registry.h>
#include <Utility/Utility.h>

#include "ValueText.h"

LONG CUtility::ReadKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, DWORD& number) {
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExW(rootKey, subKey, 0, KEY_READ, &key);
  if (opened != ERROR_SUCCESS) return opened;  // the number is left as it was
  // Straight into the caller's number: shorter data overwrites only its own bytes.
  DWORD size = sizeof number;
  const LONG queried = RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size);
  RegCloseKey(key);
  if (queried != ERROR_SUCCESS) number = 0xFFFFFFFFu;
  return queried;
}

LONG CUtility::ReadKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, CString& text) {
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExW(rootKey, subKey, 0, KEY_READ, &key);
  if (opened != ERROR_SUCCESS) {
    text.Empty();
    return opened;
  }
  BYTE buffer[utility::registry::kTextBufferBytes] = {};
  DWORD size = sizeof buffer;
  const LONG queried = RegQueryValueExW(key, valueName, nullptr, nullptr, buffer, &size);
  RegCloseKey(key);
  if (queried != ERROR_SUCCESS) {
    text.Empty();
    return queried;
  }
  text = utility::registry::TextOfData(buffer, size);
  return ERROR_SUCCESS;
}
