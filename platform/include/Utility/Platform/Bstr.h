// BSTR: length-prefixed UTF-16 strings of OLE Automation. The 32-bit byte length lies just
// before the first unit; the units are followed by a zero unit. A null BSTR is an empty text.
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

using BSTR = OLECHAR*;

// SysAllocString()
//
// A new BSTR copying the zero-terminated text; null for a null text or when memory runs out.
//
// Example:
//   BSTR b = SysAllocString(reinterpret_cast<const OLECHAR*>(u"abc")); // SysStringLen(b) == 3
//   SysFreeString(b);
UTILITY_PLATFORM_API BSTR SysAllocString(const OLECHAR* text) noexcept;

// SysAllocStringLen()
//
// A new BSTR of exactly length units copied from text (embedded zeros kept), or left
// uninitialised when text is null. Null when memory runs out.
UTILITY_PLATFORM_API BSTR SysAllocStringLen(const OLECHAR* text, UINT length) noexcept;

// SysAllocStringByteLen()
//
// A new BSTR of exactly length bytes copied from bytes (or uninitialised when bytes is null),
// followed by a zero unit. Null when memory runs out.
UTILITY_PLATFORM_API BSTR SysAllocStringByteLen(const char* bytes, UINT length) noexcept;

// SysFreeString()
//
// Releases a BSTR; a null BSTR is ignored.
UTILITY_PLATFORM_API void SysFreeString(BSTR text) noexcept;

// SysStringLen(), SysStringByteLen()
//
// The length in units (bytes / 2, rounded down) and in bytes; 0 for a null BSTR.
UTILITY_PLATFORM_API UINT SysStringLen(BSTR text) noexcept;
UTILITY_PLATFORM_API UINT SysStringByteLen(BSTR text) noexcept;
