// Proleptic Gregorian calendar arithmetic shared by the date split and the date parser.
// Day numbers count from 30 December 1899 (day 0), the origin of OLE Automation dates.
#pragma once

#include <Utility/Platform/Types.h>

namespace utility::platform::date {

struct CivilDate {
  long long year;
  int month;  // 1-12
  int day;    // 1-31
};

inline constexpr bool IsLeapYear(long long year) noexcept {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

inline constexpr int DaysInMonth(long long year, int month) noexcept {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Day number of a calendar date. Counting in 400-year eras (146097 days each) keeps the
// arithmetic exact for every year, before the origin as well as after it.
inline constexpr long long DayFromCivil(long long year, int month, int day) noexcept {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  // 693899 days lie between 0000-03-01 (day 0 of the era count) and 1899-12-30.
  return era * 146097 + dayOfEra - 693899;
}

inline constexpr CivilDate CivilFromDay(long long dayNumber) noexcept {
  const long long z = dayNumber + 693899;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long dayOfEra = z - era * 146097;
  const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long mp = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

inline constexpr long long kFirstDay = -657434;  // 0100-01-01
inline constexpr long long kLastDay = 2958465;   // 9999-12-31

// A date given as a day number and the seconds into that day, split into fields.
bool SplitDate(double value, SYSTEMTIME& st, USHORT& dayOfYear) noexcept;

// The date of a day number and a time of day in milliseconds.
double MakeDate(long long dayNumber, long long milliseconds) noexcept;

// The current year in local time, for dates written without one.
int CurrentLocalYear() noexcept;

}  // namespace utility::platform::date
