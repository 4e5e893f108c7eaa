// The wall clock from clock_gettime, broken down by the C library (TZ honoured for local time).
#include "NativeClock.h"

#include <ctime>

namespace utility::platform {

void ReadNativeClock(bool local, NativeCalendarTime& now) noexcept {
  timespec clock{};
  clock_gettime(CLOCK_REALTIME, &clock);
  std::tm tm{};
  if (local) {
    localtime_r(&clock.tv_sec, &tm);
  } else {
    gmtime_r(&clock.tv_sec, &tm);
  }
  now.year = tm.tm_year + 1900;
  now.month = tm.tm_mon + 1;
  now.dayOfWeek = tm.tm_wday;
  now.day = tm.tm_mday;
  now.hour = tm.tm_hour;
  now.minute = tm.tm_min;
  now.second = tm.tm_sec;
  now.nanoseconds = clock.tv_nsec;
}

}  // namespace utility::platform
