// A new random GUID as GUID text.
#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Guid.h>
#include <Utility/Utility.h>

#include <cstdio>

CString CUtility::CreateGUID() {
  CString result;
  char text[64] = {};
  GUID guid{};
  if (CoCreateGuid(&guid) == S_OK) {
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                  static_cast<unsigned>(guid.Data1), static_cast<unsigned>(guid.Data2),
                  static_cast<unsigned>(guid.Data3), guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                  guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  }
  WCHAR wide[64] = {};
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 64);
  result.Format(u"%s", wide);
  return result;
}
