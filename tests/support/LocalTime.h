// The C library's own reading of a time as local time, the oracle of the tests of dates and
// time stamps (localtime_s on Windows, localtime_r elsewhere: both leave no shared state).
#pragma once

#include <ctime>

namespace utility::testsupport {

inline std::tm LocalTimeOf(std::time_t time) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &time);
#else
  localtime_r(&time, &local);
#endif
  return local;
}

}  // namespace utility::testsupport
