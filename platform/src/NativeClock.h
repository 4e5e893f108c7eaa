// The operating system's wall clock, as a calendar date and time.
#pragma once

namespace utility::platform {

// A moment on the calendar, each field in its everyday range: month 1..12, dayOfWeek 0..6 from
// Sunday, second 0..60 (60 for a leap second).
struct NativeCalendarTime {
  int year = 1970;
  int month = 1;
  int dayOfWeek = 4;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  long nanoseconds = 0;
};

// The current time, in the local time zone or in UTC.
void ReadNativeClock(bool local, NativeCalendarTime& now) noexcept;

}  // namespace utility::platform
