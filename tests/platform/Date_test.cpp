// The date split, its reverse, and the date parser, checked against a literal calendar that
// counts days one year and one month at a time.
#include <Utility/Platform/Date.h>
#include <Utility/Platform/Error.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <initializer_list>
#include <limits>
#include <random>
#include <string>

#include "support/LocalTime.h"

namespace {

struct Fields {
  int year, month, day, hour, minute, second;
};

std::string Show(const Fields& f) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day, f.hour, f.minute,
                f.second);
  return buffer;
}

// The oracle: a plain walk from 1 January 100, a year and then a month at a time.
bool OracleLeap(int y) { return y % 400 == 0 || (y % 4 == 0 && y % 100 != 0); }
int OracleMonthLength(int y, int m) {
  if (m == 2) return OracleLeap(y) ? 29 : 28;
  return (m == 4 || m == 6 || m == 9 || m == 11) ? 30 : 31;
}
Fields OracleDay(long long dayNumber) {
  long long left = dayNumber + 657434;  // days after 0100-01-01
  int y = 100;
  while (left >= (OracleLeap(y) ? 366 : 365)) left -= OracleLeap(y) ? 366 : 365, ++y;
  int m = 1;
  while (left >= OracleMonthLength(y, m)) left -= OracleMonthLength(y, m), ++m;
  return {y, m, static_cast<int>(left) + 1, 0, 0, 0};
}

Fields Split(double value, bool* ok = nullptr) {
  SYSTEMTIME st{};
  const bool good = VariantTimeToSystemTime(value, &st) != 0;
  if (ok) *ok = good;
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

double Make(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  SYSTEMTIME st{static_cast<WORD>(y), static_cast<WORD>(mo), 0,
                static_cast<WORD>(d), static_cast<WORD>(h),  static_cast<WORD>(mi),
                static_cast<WORD>(s), static_cast<WORD>(ms)};
  double value = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(SystemTimeToVariantTime(&st, &value)) << y << "-" << mo << "-" << d;
  return value;
}

int ThisYear() {
  const std::time_t now = std::time(nullptr);
  return utility::testsupport::LocalTimeOf(now).tm_year + 1900;
}

TEST(VariantTimeToSystemTime, SplitsKnownDates) {
  struct Case {
    double value;
    Fields want;
    int dayOfWeek;
  };
  const Case cases[] = {
      {0.0, {1899, 12, 30, 0, 0, 0}, 6},
      {-1.25, {1899, 12, 29, 6, 0, 0}, 5},  // the fraction runs forward on negative days
      {-0.5, {1899, 12, 30, 12, 0, 0}, 6},  // between -1 and 0 the day is day 0
      {60.0, {1900, 2, 28, 0, 0, 0}, 3},    // 1900 is no leap year
      {61.0, {1900, 3, 1, 0, 0, 0}, 4},
      {36585.0, {2000, 2, 29, 0, 0, 0}, 2},  // 2000 is one
      {2958465.0 + 86399.0 / 86400.0, {9999, 12, 31, 23, 59, 59}, 5},
      {0.6 / 86400.0, {1899, 12, 30, 0, 0, 1}, 6},  // over half a second rounds up
      {0.49 / 86400.0, {1899, 12, 30, 0, 0, 0}, 6},
      {1.0 - 0.2 / 86400.0, {1899, 12, 31, 0, 0, 0}, 0},  // rounds up into the next day
      {-1.0 - 0.9999999, {1899, 12, 30, 0, 0, 0}, 6},     // 29 Dec 23:59:59.99 rounds to the 30th
      {-657434.9999999, {100, 1, 2, 0, 0, 0}, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    SYSTEMTIME st{};
    ASSERT_TRUE(VariantTimeToSystemTime(c.value, &st));
    EXPECT_EQ(Show(Split(c.value)), Show(c.want));
    EXPECT_EQ(st.wDayOfWeek, c.dayOfWeek);
    EXPECT_EQ(st.wMilliseconds, 0);
  }
}

TEST(VariantTimeToSystemTime, FailsOutsideTheYears100To9999AndLeavesTheOutputAlone) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  const double cases[] = {-657435.0, 2958466.0, 2958465.0 + 86399.6 / 86400.0, 1e300, -1e300, inf, -inf, nan};
  for (double value : cases) {
    SCOPED_TRACE(value);
    SYSTEMTIME st{1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(VariantTimeToSystemTime(value, &st));
    EXPECT_EQ(st.wYear, 1);
    EXPECT_EQ(st.wMilliseconds, 8);
    UDATE u{};
    u.wDayOfYear = 77;
    EXPECT_EQ(VarUdateFromDate(value, 0, &u), E_INVALIDARG);
    EXPECT_EQ(u.wDayOfYear, 77);
  }
  EXPECT_FALSE(VariantTimeToSystemTime(0.0, nullptr));
  EXPECT_EQ(VarUdateFromDate(0.0, 0, nullptr), E_POINTER);
}

TEST(VariantTimeToSystemTime, AgreesWithTheLiteralCalendarOverTheWholeRange) {
  const unsigned seed = 20240305;
  std::mt19937_64 rng(seed);
  std::uniform_int_distribution<long long> days(-657434, 2958465);
  std::uniform_int_distribution<int> seconds(0, 86399);
  for (int i = 0; i < 3000; ++i) {
    const long long day = i < 2 ? (i == 0 ? -657434 : 2958465) : days(rng);
    const int second = seconds(rng);
    SCOPED_TRACE("seed " + std::to_string(seed) + " day " + std::to_string(day) + " second " + std::to_string(second));
    Fields want = OracleDay(day);
    want.hour = second / 3600, want.minute = second / 60 % 60, want.second = second % 60;
    const double value =
        day >= 0 ? static_cast<double>(day) + second / 86400.0 : static_cast<double>(day) - second / 86400.0;
    bool ok = false;
    ASSERT_EQ(Show(Split(value, &ok)), Show(want));
    ASSERT_TRUE(ok);
    UDATE u{};
    ASSERT_EQ(VarUdateFromDate(value, 0, &u), S_OK);
    // Day of the year and of the week, from the oracle's own counting.
    int dayOfYear = want.day;
    for (int m = 1; m < want.month; ++m) dayOfYear += OracleMonthLength(want.year, m);
    EXPECT_EQ(u.wDayOfYear, dayOfYear);
    EXPECT_EQ(u.st.wDayOfWeek, static_cast<int>(((day % 7) + 7 + 6) % 7));
    // The reverse gives the same value back.
    EXPECT_EQ(Make(want.year, want.month, want.day, want.hour, want.minute, want.second), value);
  }
}

TEST(SystemTimeToVariantTime, RefusesImpossibleFields) {
  struct Case {
    SYSTEMTIME st;
    const char* why;
  };
  const Case cases[] = {
      {{99, 12, 0, 31, 0, 0, 0, 0}, "year 99"},      {{10000, 1, 0, 1, 0, 0, 0, 0}, "year 10000"},
      {{2024, 0, 0, 1, 0, 0, 0, 0}, "month 0"},      {{2024, 13, 0, 1, 0, 0, 0, 0}, "month 13"},
      {{2023, 2, 0, 29, 0, 0, 0, 0}, "29 Feb 2023"}, {{2024, 4, 0, 31, 0, 0, 0, 0}, "31 Apr"},
      {{2024, 1, 0, 0, 0, 0, 0, 0}, "day 0"},        {{2024, 1, 0, 1, 24, 0, 0, 0}, "hour 24"},
      {{2024, 1, 0, 1, 0, 60, 0, 0}, "minute 60"},   {{2024, 1, 0, 1, 0, 0, 60, 0}, "second 60"},
      {{2024, 1, 0, 1, 0, 0, 0, 1000}, "1000 ms"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    double value = 123.0;
    EXPECT_FALSE(SystemTimeToVariantTime(&c.st, &value));
    EXPECT_EQ(value, 123.0);
  }
}

// The forms Windows reads for a United States user, each with the date and time it gives (a
// year of 0 is this year).
struct Reading {
  const char16_t* text;
  int year, month, day, hour, minute, second;
};

void ExpectReadings(std::initializer_list<Reading> readings) {
  const int year = ThisYear();
  for (const Reading& r : readings) {
    SCOPED_TRACE(std::string(r.text, r.text + std::char_traits<char16_t>::length(r.text)));
    DATE got = -12345.0;
    ASSERT_EQ(VarDateFromStr(r.text, LANG_USER_DEFAULT, 0, &got), S_OK);
    EXPECT_EQ(got, Make(r.year == 0 ? year : r.year, r.month, r.day, r.hour, r.minute, r.second));
  }
}

TEST(VarDateFromStr, ReadsDatesWithSeparatorsAndMonthNames) {
  ExpectReadings({
      {u"  2000-02-29 12:30:00\t", 2000, 2, 29, 12, 30, 0},
      {u"2024-03-05", 2024, 3, 5, 0, 0, 0},
      {u"2024.03.05", 2024, 3, 5, 0, 0, 0},
      {u"3/5/2024", 2024, 3, 5, 0, 0, 0},
      {u"3/5/49", 2049, 3, 5, 0, 0, 0},
      {u"3/5/50", 1950, 3, 5, 0, 0, 0},
      {u"3/5", 0, 3, 5, 0, 0, 0},
      {u"2024-03", 2024, 3, 1, 0, 0, 0},
      {u"3/2024", 2024, 3, 1, 0, 0, 0},
      {u"March 5, 2024", 2024, 3, 5, 0, 0, 0},
      {u"Mar. 5, 2024", 2024, 3, 5, 0, 0, 0},
      {u"Sept 30 2024", 2024, 9, 30, 0, 0, 0},
      {u"5 March 2024", 2024, 3, 5, 0, 0, 0},
      {u"5-MAR-24", 2024, 3, 5, 0, 0, 0},
      {u"5 Mar", 0, 3, 5, 0, 0, 0},
      {u"Mar 5", 0, 3, 5, 0, 0, 0},
      {u"March 2024", 2024, 3, 1, 0, 0, 0},
      {u"Tue 5 Mar 2024", 2024, 3, 5, 0, 0, 0},
      {u"3/5/2024 2:07:09 pm", 2024, 3, 5, 14, 7, 9},
      {u"3/5/2024 2PM", 2024, 3, 5, 14, 0, 0},
      {u"3/5/2024 2 a.m.", 2024, 3, 5, 2, 0, 0},
      {u"2024-03-05T14:07:09", 2024, 3, 5, 14, 7, 9},
      {u"2024-03-05 14:07", 2024, 3, 5, 14, 7, 0},
      {u"14:07 2024-03-05", 2024, 3, 5, 14, 7, 0},
      {u"14:07:09", 1899, 12, 30, 14, 7, 9},
      {u"1899-12-29 06:00", 1899, 12, 29, 6, 0, 0},
  });
  DATE got = 0;
  ASSERT_EQ(VarDateFromStr(u"2024-03-05 14:07:09.250", LANG_USER_DEFAULT, 0, &got), S_OK);
  EXPECT_EQ(got, Make(2024, 3, 5, 14, 7, 9, 250));
}

// Blanks between numbers separate a date's parts. Two numbers are month and day of this year;
// a number that cannot be a month makes the other one the month, and one that cannot be a day
// in that month ("4 31", "2 30") is a year, the first of the month. Three numbers are month,
// day, year; day, month, year; or year, month, day.
TEST(VarDateFromStr, ReadsNumbersSeparatedByBlanks) {
  ExpectReadings({
      {u"3 5", 0, 3, 5, 0, 0, 0},
      {u"12 13", 0, 12, 13, 0, 0, 0},
      {u"13 12", 0, 12, 13, 0, 0, 0},
      {u"4 31", 2031, 4, 1, 0, 0, 0},
      {u"31 4", 2031, 4, 1, 0, 0, 0},
      {u"30 4", 0, 4, 30, 0, 0, 0},
      {u"2 30", 2030, 2, 1, 0, 0, 0},
      {u"6 49", 2049, 6, 1, 0, 0, 0},
      {u"6 50", 1950, 6, 1, 0, 0, 0},
      {u"3 2024", 2024, 3, 1, 0, 0, 0},
      {u"2024 3", 2024, 3, 1, 0, 0, 0},
      {u"3 0", 2000, 3, 1, 0, 0, 0},
      {u"3 5 2024", 2024, 3, 5, 0, 0, 0},
      {u"13 5 2024", 2024, 5, 13, 0, 0, 0},
      {u"2024 03 05", 2024, 3, 5, 0, 0, 0},
      {u"32 5 13", 2032, 5, 13, 0, 0, 0},
      {u"99 12 31", 1999, 12, 31, 0, 0, 0},
      {u"2 29 2024", 2024, 2, 29, 0, 0, 0},
      {u"1 1 0100", 100, 1, 1, 0, 0, 0},
      {u"1 1 99", 1999, 1, 1, 0, 0, 0},
      {u"3 5 2024 2 pm", 2024, 3, 5, 14, 0, 0},
  });
  const int year = ThisYear();
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  ExpectReadings({{u"2 29", leap ? 0 : 2029, 2, leap ? 29 : 1, 0, 0, 0}});
}

// Numbers joined by dots are a time, hours.minutes[.seconds], alone or beside a date; twelve-hour
// designators of one letter, hour 0 and hours of the 24-hour clock; the time before the date.
TEST(VarDateFromStr, ReadsTimesAsWindowsDoes) {
  ExpectReadings({
      {u"10.30", 1899, 12, 30, 10, 30, 0},
      {u"23.59.59", 1899, 12, 30, 23, 59, 59},
      {u"0.00", 1899, 12, 30, 0, 0, 0},
      {u"3.5.24", 1899, 12, 30, 3, 5, 24},
      {u"10.30 pm", 1899, 12, 30, 22, 30, 0},
      {u"2024-03-05 10.30", 2024, 3, 5, 10, 30, 0},
      {u"10.30.15 3/5/2024", 2024, 3, 5, 10, 30, 15},
      {u"2024.03.05 10.30", 2024, 3, 5, 10, 30, 0},
      {u"0 pm", 1899, 12, 30, 12, 0, 0},
      {u"12 am", 1899, 12, 30, 0, 0, 0},
      {u"12 pm", 1899, 12, 30, 12, 0, 0},
      {u"3 p", 1899, 12, 30, 15, 0, 0},
      {u"2024-03-05 13:00 AM", 2024, 3, 5, 13, 0, 0},
      {u"3 am 1 2", 0, 1, 2, 3, 0, 0},
      {u"1 2 3 am", 0, 1, 2, 3, 0, 0},
      {u"14:07 March 5, 2024", 2024, 3, 5, 14, 7, 0},
  });
}

TEST(VarDateFromStr, TellsNotADateFromOutOfRange) {
  struct Case {
    const char16_t* text;
    HRESULT want;
  };
  const Case cases[] = {
      {u"", DISP_E_TYPEMISMATCH},
      {u"abc", DISP_E_TYPEMISMATCH},
      {u"2024", DISP_E_TYPEMISMATCH},
      {u"2024-02-30", DISP_E_TYPEMISMATCH},
      {u"2023-02-29", DISP_E_TYPEMISMATCH},
      {u"2024-13-01", DISP_E_TYPEMISMATCH},
      {u"13/5/2024", DISP_E_TYPEMISMATCH},
      {u"2024-03-05 25:00", DISP_E_TYPEMISMATCH},
      {u"2024-03-05 12:60", DISP_E_TYPEMISMATCH},
      {u"2024-03-05 24:00 PM", DISP_E_TYPEMISMATCH},
      {u"2024-03-05 100 PM", DISP_E_TYPEMISMATCH},
      {u"2024-03/05", DISP_E_TYPEMISMATCH},
      {u"2024-03-05-", DISP_E_TYPEMISMATCH},
      {u"2 30 2024", DISP_E_TYPEMISMATCH},
      {u"13 13", DISP_E_TYPEMISMATCH},
      {u"5 3 2024 6", DISP_E_TYPEMISMATCH},
      // Day.month.year with dots, and the ISO form with a fraction of a second.
      {u"5.3.2024", DISP_E_TYPEMISMATCH},
      {u"2024-03-05T14:07:09.5", DISP_E_TYPEMISMATCH},
      // Dotted times out of range or too long.
      {u"24.00", DISP_E_TYPEMISMATCH},
      {u"10.30.60", DISP_E_TYPEMISMATCH},
      {u"1.2.3.4", DISP_E_TYPEMISMATCH},
      {u"10.30.", DISP_E_TYPEMISMATCH},
      {u"2024-03-05 10.30 x", DISP_E_TYPEMISMATCH},
      {u"Smarch 5, 2024", DISP_E_TYPEMISMATCH},
      {u"2024-03-05 14:07 2024-03-05", DISP_E_TYPEMISMATCH},
      {u"2024-03-05\u00e9", DISP_E_TYPEMISMATCH},
      {u"10000-01-01", DISP_E_OVERFLOW},
      {u"0099-12-31 23:59:59", DISP_E_OVERFLOW},
      {u"12/31/99999", DISP_E_OVERFLOW},
      {u"99999999999-01-01", DISP_E_OVERFLOW},
      {u"1 1 099", DISP_E_OVERFLOW},  // three digits: the year 99
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)).c_str());
    DATE got = 77.0;
    EXPECT_EQ(VarDateFromStr(c.text, LANG_USER_DEFAULT, 0, &got), c.want);
    EXPECT_EQ(got, 77.0);  // untouched on failure
  }
  DATE got = 0;
  EXPECT_EQ(VarDateFromStr(static_cast<const char16_t*>(nullptr), 0, 0, &got), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(VarDateFromStr(u"2024-03-05", 0, 0, nullptr), E_POINTER);
}

}  // namespace
