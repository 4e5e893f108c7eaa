// Splitting OLE Automation dates into calendar fields and building them back.
// A date is a day number plus a time fraction; for days before 30 December 1899 the fraction
// still runs forward through the day, so -1.25 is 29 December 1899 06:00.
#include <Utility/Platform/Date.h>
#include <Utility/Platform/Error.h>

#include <cmath>

#include "DateCalendar.h"

namespace utility::platform::date {

bool SplitDate(double value, SYSTEMTIME& st, USHORT& dayOfYear) noexcept {
  // The comparison is false for NaN, which therefore fails with every value out of range.
  if (!(value > static_cast<double>(kFirstDay - 1) && value < static_cast<double>(kLastDay + 1))) return false;
  const double whole = std::trunc(value);
  long long day = static_cast<long long>(whole);
  // Subtracting the integer part is exact, so the fraction carries every bit of the time.
  long long seconds = std::llround(std::fabs(value - whole) * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++day;
  }
  if (day < kFirstDay || day > kLastDay) return false;
  const CivilDate civil = CivilFromDay(day);
  st.wYear = static_cast<WORD>(civil.year);
  st.wMonth = static_cast<WORD>(civil.month);
  st.wDay = static_cast<WORD>(civil.day);
  // Day 0 was a Saturday (6); the sum stays positive for every day in range.
  st.wDayOfWeek = static_cast<WORD>((day % 7 + 7 + 6) % 7);
  st.wHour = static_cast<WORD>(seconds / 3600);
  st.wMinute = static_cast<WORD>(seconds / 60 % 60);
  st.wSecond = static_cast<WORD>(seconds % 60);
  st.wMilliseconds = 0;
  dayOfYear = static_cast<USHORT>(day - DayFromCivil(civil.year, 1, 1) + 1);
  return true;
}

double MakeDate(long long dayNumber, long long milliseconds) noexcept {
  const double time = static_cast<double>(milliseconds) / 86400000.0;
  const double day = static_cast<double>(dayNumber);
  return dayNumber >= 0 ? day + time : day - time;
}

}  // namespace utility::platform::date

using namespace utility::platform::date;

INT VariantTimeToSystemTime(DOUBLE variantTime, SYSTEMTIME* st) noexcept {
  if (st == nullptr) return FALSE;
  SYSTEMTIME split{};
  USHORT dayOfYear = 0;
  if (!SplitDate(variantTime, split, dayOfYear)) return FALSE;
  *st = split;
  return TRUE;
}

INT SystemTimeToVariantTime(const SYSTEMTIME* st, DOUBLE* variantTime) noexcept {
  if (st == nullptr || variantTime == nullptr) return FALSE;
  if (st->wYear < 100 || st->wYear > 9999 || st->wMonth < 1 || st->wMonth > 12 || st->wDay < 1 ||
      st->wDay > DaysInMonth(st->wYear, st->wMonth) || st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59 ||
      st->wMilliseconds > 999) {
    return FALSE;
  }
  const long long milliseconds = ((st->wHour * 60LL + st->wMinute) * 60LL + st->wSecond) * 1000LL + st->wMilliseconds;
  *variantTime = MakeDate(DayFromCivil(st->wYear, st->wMonth, st->wDay), milliseconds);
  return TRUE;
}

HRESULT VarUdateFromDate(DATE date, ULONG /*flags*/, UDATE* udate) noexcept {
  if (udate == nullptr) return E_POINTER;
  UDATE split{};
  if (!SplitDate(date, split.st, split.wDayOfYear)) return E_INVALIDARG;
  *udate = split;
  return S_OK;
}
