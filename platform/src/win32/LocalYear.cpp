// The current year in the system's local time, for dates given without one.
#include <windows.h>

#include "DateCalendar.h"

namespace utility::platform::date {

int CurrentLocalYear() noexcept {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return now.wYear;
}

}  // namespace utility::platform::date
