// The text of a value's data, as every text-reading registry operation takes it.
#pragma once

#include <Utility/Platform/String.h>
#include <Utility/Platform/Types.h>

namespace utility::registry {

// The bytes taken as UTF-16 code units, ending at the first zero unit or at the end of the
// data, whichever comes first; a trailing odd byte is ignored. The value's type plays no part.
CString TextOfData(const BYTE* data, DWORD size);

// The buffer size, in bytes, for one text value; and the name buffer, in units, that
// enumerated value names must fit (terminator included).
inline constexpr DWORD kTextBufferBytes = 249;
inline constexpr DWORD kNameBufferUnits = 249;

}  // namespace utility::registry
