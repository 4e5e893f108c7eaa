// The COM support conversions between 8-bit text in the active code page and BSTRs. Unlike
// the plain code-page functions they report failure by raising _com_error.
#pragma once

#include <Utility/Platform/Bstr.h>
#include <Utility/Platform/Export.h>

namespace _com_util {

// ConvertStringToBSTR()
//
// A new BSTR holding the zero-terminated 8-bit text converted from the active code page;
// null for a null text. Raises _com_error with E_OUTOFMEMORY when the BSTR cannot be
// allocated, or with the conversion's Win32 error folded into an HRESULT when it fails.
//
// Example:
//   BSTR b = _com_util::ConvertStringToBSTR("abc");   // SysStringLen(b) == 3
//   SysFreeString(b);
UTILITY_PLATFORM_API BSTR ConvertStringToBSTR(const char* text);

// ConvertBSTRToString()
//
// A new zero-terminated 8-bit copy (active code page) of the text up to its first zero unit,
// allocated with new[] and released with delete[]; null for a null text. Raises _com_error
// as ConvertStringToBSTR does; nothing stays allocated after a failure.
//
// Example:
//   char* a = _com_util::ConvertBSTRToString(b);   delete[] a;
UTILITY_PLATFORM_API char* ConvertBSTRToString(BSTR text);

}  // namespace _com_util
