// The current year in the C library's local time (TZ honoured), for dates given without one.
#include <ctime>

#include "DateCalendar.h"

namespace utility::platform::date {

int CurrentLocalYear() noexcept {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return 1970;
  return local.tm_year + 1900;
}

}  // namespace utility::platform::date
