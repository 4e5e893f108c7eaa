// The current year in local time, for dates given without one.
#include "DateCalendar.h"
#include "NativeClock.h"

namespace utility::platform::date {

int CurrentLocalYear() noexcept {
  NativeCalendarTime now;
  ReadNativeClock(true, now);
  return now.year;
}

}  // namespace utility::platform::date
