// GetLocalTime and GetSystemTime: the system clock as SYSTEMTIME, with Win32's ranges.
#include <Utility/Platform/Time.h>

#include "NativeClock.h"

namespace {

void Now(SYSTEMTIME* out, bool local) noexcept {
  if (out == nullptr) return;
  utility::platform::NativeCalendarTime now;
  utility::platform::ReadNativeClock(local, now);
  out->wYear = static_cast<WORD>(now.year);
  out->wMonth = static_cast<WORD>(now.month);
  out->wDayOfWeek = static_cast<WORD>(now.dayOfWeek);
  out->wDay = static_cast<WORD>(now.day);
  out->wHour = static_cast<WORD>(now.hour);
  out->wMinute = static_cast<WORD>(now.minute);
  // A leap second reads as the 59th, as Win32 has no 60th.
  out->wSecond = static_cast<WORD>(now.second > 59 ? 59 : now.second);
  out->wMilliseconds = static_cast<WORD>(now.nanoseconds / 1000000);
}

}  // namespace

void GetLocalTime(SYSTEMTIME* time) noexcept { Now(time, true); }

void GetSystemTime(SYSTEMTIME* time) noexcept { Now(time, false); }
