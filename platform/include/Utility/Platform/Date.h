// OLE Automation dates: a double counting days from 30 December 1899 00:00, its fraction being
// the time of day. Splitting such a value into calendar fields, building one from fields, and
// reading date text. The range is 1 January 100 to 31 December 9999, as OLE Automation's.
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

using LCID = DWORD;

#ifndef LANG_USER_DEFAULT
#define LANG_USER_DEFAULT 0x0400u
#endif
#ifndef LOCALE_USER_DEFAULT
#define LOCALE_USER_DEFAULT 0x0400u
#endif

// The split form of a date: the calendar fields and the day of the year (1 to 366).
struct UDATE {
  SYSTEMTIME st;
  USHORT wDayOfYear;
};

// The first and the last day that a date may fall on: 0100-01-01 and 9999-12-31.
inline constexpr double kMinDateDay = -657434.0;
inline constexpr double kMaxDateDay = 2958465.0;

// VariantTimeToSystemTime()
//
// Splits a date into year, month, day, day of the week (0 = Sunday), hour, minute and second.
// The time of day is rounded to the nearest second (milliseconds are always 0); a value that
// rounds up to midnight belongs to the next day. For a negative value the integer part counts
// days back from 30 December 1899 and the fraction, taken without its sign, is the time of
// that day (-1.25 is 29 December 1899 06:00). Returns TRUE, or FALSE and leaves st untouched
// when the moment falls outside 0100-01-01 00:00:00 to 9999-12-31 23:59:59 or is not a number.
//
// Example:
//   SYSTEMTIME st;
//   VariantTimeToSystemTime(45356.5, &st);   // 2024-03-05 12:00:00, wDayOfWeek 2
UTILITY_PLATFORM_API INT VariantTimeToSystemTime(DOUBLE variantTime, SYSTEMTIME* st) noexcept;

// SystemTimeToVariantTime()
//
// The reverse: the date of the calendar fields (milliseconds included; the day of the week is
// ignored). Returns FALSE for a field out of its range (month 1-12, a day of that month,
// hour 0-23, minute and second 0-59, milliseconds 0-999) or a year outside 100 to 9999.
//
// Example:
//   SYSTEMTIME st{2024, 3, 0, 5, 12, 0, 0, 0};  DOUBLE d;
//   SystemTimeToVariantTime(&st, &d);           // d == 45356.5
UTILITY_PLATFORM_API INT SystemTimeToVariantTime(const SYSTEMTIME* st, DOUBLE* variantTime) noexcept;

// VarUdateFromDate()
//
// The same split as VariantTimeToSystemTime, with the day of the year added. Flags are
// accepted and ignored. Returns S_OK, E_INVALIDARG for a date outside the range (udate is then
// untouched) or E_POINTER for a null udate.
//
// Example:
//   UDATE u;
//   VarUdateFromDate(0.0, 0, &u);   // 1899-12-30 00:00:00, wDayOfYear 364
UTILITY_PLATFORM_API HRESULT VarUdateFromDate(DATE date, ULONG flags, UDATE* udate) noexcept;

// VarDateFromStr()
//
// Reads date text. The locale and flags are accepted and ignored: the forms read are always
// those of an English (United States) user, plus ISO 8601's "YYYY-MM-DD HH:MM:SS".
// Case, leading and trailing white space and commas do not matter. Accepted forms:
//   dates:  2024-03-05, 2024/3/5, 2024.3.5 (year first, 3 or 4 digits);
//           3/5/2024, 3-5-2024, 3/5/24 (month first); 3/5 (this year, local time);
//           2024-03 and 3/2024 (the first of the month);
//           3 5 2024, 13 5 2024, 2024 3 5, 3 5 (blanks: see below);
//           March 5, 2024; Mar 5 2024; Mar. 5; 5 March 2024; 5-Mar-2024; 5-Mar-24; 5 Mar;
//           March 2024; a day name anywhere (Tuesday, Tue) is allowed and not checked;
//   times:  14:07, 14:07:09, 14:07:09.250, 10.30, 10.30.15, 2:07 PM, 2:07:09 pm, 2 PM, 2PM,
//           2 a.m., 3 p; 0 PM is noon, and an hour of 13 to 23 ignores AM or PM;
//   a date and a time in either order, separated by blanks or by a T (2024-03-05T14:07:09).
// Numbers joined only by dots are a time (hours.minutes[.seconds]) unless the year comes
// first, so 5.3.2024 is not a date. Between blanks, two numbers are month and day of this year
// (13 5 is 13 May: the number that can be a month is the month) and a second number that
// cannot be a day of that month is a year (4 31 is April 2031); three numbers are month, day,
// year, or day, month, year when the first cannot be a month, or year, month, day when it
// cannot be a day either. The ISO form with a T takes whole seconds only.
// A time alone falls on 30 December 1899; a date alone at midnight. Years of one or two digits
// map to 1950-2049 (00-49 are 2000-2049); years of three or four digits are taken as written.
// Returns S_OK and the date in *result; DISP_E_TYPEMISMATCH for text that is not a date in
// these forms (also for impossible fields such as 2024-02-30 or 25:00); DISP_E_OVERFLOW for a
// well-formed date whose year lies outside 100 to 9999; E_POINTER for a null result. A null
// text is not a date. *result is written only on success.
//
// Example:
//   DATE d;
//   VarDateFromStr(u"2024-03-05 12:00:00", LANG_USER_DEFAULT, 0, &d);   // S_OK, d == 45356.5
//   VarDateFromStr(u"soon", LANG_USER_DEFAULT, 0, &d);                  // DISP_E_TYPEMISMATCH
//   VarDateFromStr(u"10000-01-01", LANG_USER_DEFAULT, 0, &d);           // DISP_E_OVERFLOW
UTILITY_PLATFORM_API HRESULT VarDateFromStr(const OLECHAR* text, LCID lcid, ULONG flags, DATE* result) noexcept;
UTILITY_PLATFORM_API HRESULT VarDateFromStr(const char16_t* text, LCID lcid, ULONG flags, DATE* result) noexcept;
