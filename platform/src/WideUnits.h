// The platform's calls take text as WCHAR (unsigned short) units; char16_t literals and
// strings hold the same units under another type.
#pragma once

#include <Utility/Platform/Types.h>

namespace utility::platform {

inline const WCHAR* Wide(const char16_t* s) noexcept { return reinterpret_cast<const WCHAR*>(s); }

}  // namespace utility::platform
