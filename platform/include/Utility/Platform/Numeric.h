// The C library's numeric conventions as the process currently has them.
#pragma once

#include <Utility/Platform/Export.h>

namespace utility::platform {

// DecimalSeparator()
//
// The decimal separator of the process's current C locale (LC_NUMERIC), as 8-bit text: "."
// unless the host has changed the C locale. Reading it changes nothing and is safe on any
// thread.
//
// Example:
//   const char* point = DecimalSeparator();   // "." in the "C" locale, "," in de_DE
UTILITY_PLATFORM_API const char* DecimalSeparator() noexcept;

}  // namespace utility::platform
