// Wall-clock time in the Win32 form.
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

// GetLocalTime()
//
// The current local time (the C library's local time, so the process's TZ is honoured):
// year, month 1..12, day of week 0 (Sunday)..6, day, hour 0..23, minute, second,
// milliseconds 0..999.
//
// Example:
//   SYSTEMTIME now;
//   GetLocalTime(&now);   // now.wYear == 2024, now.wMonth == 3, ...
UTILITY_PLATFORM_API void GetLocalTime(SYSTEMTIME* time) noexcept;

// GetSystemTime()
//
// The same in UTC.
UTILITY_PLATFORM_API void GetSystemTime(SYSTEMTIME* time) noexcept;
