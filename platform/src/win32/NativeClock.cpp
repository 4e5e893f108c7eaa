// The wall clock from GetSystemTimePreciseAsFileTime, broken down by the system (its time
// zone for local time).
#include "NativeClock.h"

#include <windows.h>

namespace utility::platform {

void ReadNativeClock(bool local, NativeCalendarTime& now) noexcept {
  FILETIME utc{};
  GetSystemTimePreciseAsFileTime(&utc);
  FILETIME shown = utc;
  if (local) FileTimeToLocalFileTime(&utc, &shown);
  SYSTEMTIME st{};
  FileTimeToSystemTime(&shown, &st);
  now.year = st.wYear;
  now.month = st.wMonth;
  now.dayOfWeek = st.wDayOfWeek;
  now.day = st.wDay;
  now.hour = st.wHour;
  now.minute = st.wMinute;
  now.second = st.wSecond;
  // FILETIME counts 100-nanosecond ticks; keep what lies below the second.
  const ULONGLONG ticks = (static_cast<ULONGLONG>(shown.dwHighDateTime) << 32) | shown.dwLowDateTime;
  now.nanoseconds = static_cast<long>(ticks % 10'000'000ULL) * 100;
}

}  // namespace utility::platform
