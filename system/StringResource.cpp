// A string resource of a module, read through a MAX_PATH buffer as hosts have always read it.
#include <Utility/Platform/Resource.h>
#include <Utility/Utility.h>

CString CUtility::GetStringFromResourceID(HINSTANCE module, unsigned int stringId) {
  CString result;
  WCHAR buffer[MAX_PATH] = {};
  LoadStringW(module, stringId, buffer, MAX_PATH);  // cuts a longer string to 259 units
  result.Format(u"%s", buffer);
  return result;
}
