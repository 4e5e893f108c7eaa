// New GUIDs: random, RFC 4122 version 4, from the kernel's random source.
#pragma once

#include <Utility/Platform/Error.h>
#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

// CoCreateGuid()
//
// Fills guid with 122 random bits from the kernel; the version nibble (the top four bits of
// Data3) is 4 and the variant bits (the top two of Data4[0]) are binary 10, so the text form
// reads xxxxxxxx-xxxx-4xxx-[89AB]xxx-xxxxxxxxxxxx. Returns S_OK, E_INVALIDARG for a null
// guid, or the failure of the random source folded into an HRESULT.
//
// Example:
//   GUID g; if (CoCreateGuid(&g) == S_OK) { ... }
UTILITY_PLATFORM_API HRESULT CoCreateGuid(GUID* guid) noexcept;
