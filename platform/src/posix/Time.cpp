// Wall-clock time from the C library, local or UTC.
#include <Utility/Platform/Time.h>

#include <ctime>

namespace {

void Fill(SYSTEMTIME* out, const std::tm& tm, long nanoseconds) noexcept {
  out->wYear = static_cast<WORD>(tm.tm_year + 1900);
  out->wMonth = static_cast<WORD>(tm.tm_mon + 1);
  out->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  out->wDay = static_cast<WORD>(tm.tm_mday);
  out->wHour = static_cast<WORD>(tm.tm_hour);
  out->wMinute = static_cast<WORD>(tm.tm_min);
  // A leap second reads as the 59th, as Win32 has no 60th.
  out->wSecond = static_cast<WORD>(tm.tm_sec > 59 ? 59 : tm.tm_sec);
  out->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

void Now(SYSTEMTIME* out, bool local) noexcept {
  if (out == nullptr) return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm tm{};
  if (local) {
    localtime_r(&now.tv_sec, &tm);
  } else {
    gmtime_r(&now.tv_sec, &tm);
  }
  Fill(out, tm, now.tv_nsec);
}

}  // namespace

void GetLocalTime(SYSTEMTIME* time) noexcept { Now(time, true); }

void GetSystemTime(SYSTEMTIME* time) noexcept { Now(time, false); }
