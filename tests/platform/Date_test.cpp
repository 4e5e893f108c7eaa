// The date split, its reverse and the date parser, against a literal calendar.
#include <Utility/Platform/Date.h>
#include <Utility/Platform/Error.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "support/LocalTime.h"
#include "support/TempDir.h"

namespace {

using utility::testsupport::Utf8;

struct Fields {
  int year, month, day, hour, minute, second;
};

using Reading = std::pair<const char16_t*, const char*>;  // a text, and [yyyy-mm-dd][ hh:mm[:ss[.mmm]]]

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

Fields Split(double value) {
  SYSTEMTIME st{};
  EXPECT_TRUE(VariantTimeToSystemTime(value, &st)) << value;
  EXPECT_EQ(st.wMilliseconds, 0);
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

// VarUdateFromDate splits the same way (the calendar test below).
TEST(VariantTimeToSystemTime, FailsOutsideTheYears100To9999AndLeavesTheOutputAlone) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  for (double value : {-657435.0, 2958466.0, 2958465.0 + 86399.6 / 86400.0, 1e300, -1e300, inf, -inf, nan}) {
    SCOPED_TRACE(value);
    SYSTEMTIME st{1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(VariantTimeToSystemTime(value, &st));
    EXPECT_EQ(st.wYear, 1);
    EXPECT_EQ(st.wMilliseconds, 8);
  }
}

TEST(VariantTimeToSystemTime, AgreesWithTheLiteralCalendarOverTheWholeRange) {
  const unsigned seed = 20240305;
  std::mt19937_64 rng(seed);
  std::uniform_int_distribution<long long> days(-657434, 2958465);
  std::uniform_int_distribution<int> seconds(0, 86399);
  // The ends of the range, the leap days around 1900 and 2000, times that round into the next
  // day, then anywhere; fractions of a second clear of the half round down or up.
  const std::tuple<long long, int, double> edges[] = {{-657434, 86399, 0.7}, {2958465, 86399, 0}, {60, 0, 0},
                                                      {61, 86399, 0.2},      {36585, 0, 0.6},     {36586, 86399, 0},
                                                      {0, 86399, 0.8},       {-1, 86399, 0.99}};
  for (std::size_t i = 0; i < 3000; ++i) {
    const auto [day, second, fraction] =
        i < std::size(edges)
            ? edges[i]
            : std::tuple{days(rng), seconds(rng), static_cast<double>(rng() % 40 + (rng() % 2 ? 5 : 55)) / 100};
    if (day == 2958465 && second == 86399 && fraction > 0.5) continue;  // the year 10000
    SCOPED_TRACE(testing::Message() << "seed " << seed << " day " << day << " second " << second + fraction);
    // On negative days the fraction still runs forward in time.
    const auto at = [](long long d, double s) {
      return d >= 0 ? static_cast<double>(d) + s / 86400.0 : static_cast<double>(d) - s / 86400.0;
    };
    const double value = at(day, second + fraction);
    const int rounded = (second + (fraction > 0.5 ? 1 : 0)) % 86400;
    const long long roundedDay = day + (rounded < second ? 1 : 0);
    Fields want = OracleDay(roundedDay);
    want.hour = rounded / 3600, want.minute = rounded / 60 % 60, want.second = rounded % 60;
    ASSERT_EQ(Show(Split(value)), Show(want));
    UDATE u{};
    ASSERT_EQ(VarUdateFromDate(value, 0, &u), S_OK);
    // Day of the year and of the week, from the oracle's own counting.
    int dayOfYear = want.day;
    for (int m = 1; m < want.month; ++m) dayOfYear += OracleMonthLength(want.year, m);
    EXPECT_EQ(u.wDayOfYear, dayOfYear);
    EXPECT_EQ(u.st.wDayOfWeek, static_cast<int>(((roundedDay % 7) + 7 + 6) % 7));
    // The reverse gives the rounded value back.
    EXPECT_EQ(Make(want.year, want.month, want.day, want.hour, want.minute, want.second), at(roundedDay, rounded));
  }
  EXPECT_EQ(Show(Split(-0.5)), "1899-12-30 12:00:00");  // between -1 and 0 the day is day 0
}

TEST(SystemTimeToVariantTime, RefusesImpossibleFields) {
  const SYSTEMTIME cases[] = {{99, 12, 0, 31, 0, 0, 0, 0},  {10000, 1, 0, 1, 0, 0, 0, 0},  {2024, 0, 0, 1, 0, 0, 0, 0},
                              {2024, 13, 0, 1, 0, 0, 0, 0}, {2023, 2, 0, 29, 0, 0, 0, 0},  {2024, 4, 0, 31, 0, 0, 0, 0},
                              {2024, 1, 0, 0, 0, 0, 0, 0},  {2024, 1, 0, 1, 24, 0, 0, 0},  {2024, 1, 0, 1, 0, 60, 0, 0},
                              {2024, 1, 0, 1, 0, 0, 60, 0}, {2024, 1, 0, 1, 0, 0, 0, 1000}};
  for (const SYSTEMTIME& st : cases) {
    SCOPED_TRACE(&st - cases);
    double value = 123.0;
    EXPECT_FALSE(SystemTimeToVariantTime(&st, &value));
    EXPECT_EQ(value, 123.0);
  }
}

// The forms Windows reads for a United States user, each with the date and time it gives (the
// year 0000 is this year).
TEST(VarDateFromStr, ReadsTheFormsOfAUnitedStatesUser) {
  const int year = utility::testsupport::LocalTimeOf(std::time(nullptr)).tm_year + 1900;
  // Dates with separators and month names.
  const Reading dates[] = {
      {u"2024-03-05", "2024-03-05"},    {u"2024.03.05", "2024-03-05"},   {u"3/5/2024", "2024-03-05"},
      {u"3/5", "0000-03-05"},           {u"2024-03", "2024-03-01"},      {u"3/2024", "2024-03-01"},
      {u"March 5, 2024", "2024-03-05"}, {u"Mar. 5, 2024", "2024-03-05"}, {u"5 March 2024", "2024-03-05"},
      {u"5-MAR-24", "2024-03-05"},      {u"Mar 5", "0000-03-05"},        {u"Tue 5 Mar 2024", "2024-03-05"}};
  // Blanks around the text, a fraction of a second, and 29 February of this year.
  const Reading edges[] = {{u"  2000-02-29 12:30:00\t", "2000-02-29 12:30"},
                           {u"2024-03-05 14:07:09.250", "2024-03-05 14:07:09.250"},
                           {u"2 29", OracleLeap(year) ? "0000-02-29" : "2029-02-01"}};
  // Times with colons beside a date, before or after it.
  const Reading dateTimes[] = {
      {u"3/5/2024 2:07:09 pm", "2024-03-05 14:07:09"}, {u"3/5/2024 2PM", "2024-03-05 14:00"},
      {u"3/5/2024 2 a.m.", "2024-03-05 02:00"},        {u"2024-03-05T14:07:09", "2024-03-05 14:07:09"},
      {u"14:07 2024-03-05", "2024-03-05 14:07"},       {u"1899-12-29 06:00", "1899-12-29 06:00"}};
  // Blanks separate a date's parts: two numbers are month and day of this year (the month the one
  // that can be), or month and year when the other cannot be its day; three are m d y, d m y, y m d.
  const Reading blanks[] = {
      {u"3 5", "0000-03-05"},      {u"13 12", "0000-12-13"},     {u"4 31", "2031-04-01"},
      {u"6 49", "2049-06-01"},     {u"6 50", "1950-06-01"},      {u"3 0", "2000-03-01"},
      {u"3 5 2024", "2024-03-05"}, {u"13 5 2024", "2024-05-13"}, {u"2024 03 05", "2024-03-05"},
      {u"32 5 13", "2032-05-13"},  {u"1 1 0100", "0100-01-01"},  {u"3 5 2024 2 pm", "2024-03-05 14:00"}};
  // Numbers joined by dots are a time, hours.minutes[.seconds]; twelve-hour designators of one
  // letter and on hour 0 or hours of the 24-hour clock; alone, then beside a date.
  const Reading times[] = {{u"14:07:09", "14:07:09"}, {u"10.30", "10:30"},    {u"0.00", "00:00"},
                           {u"3.5.24", "03:05:24"},   {u"10.30 pm", "22:30"}, {u"0 pm", "12:00"},
                           {u"12 am", "00:00"},       {u"12 pm", "12:00"},    {u"3 p", "15:00"}};
  const Reading timesBesideDates[] = {
      {u"2024-03-05 10.30", "2024-03-05 10:30"}, {u"10.30.15 3/5/2024", "2024-03-05 10:30:15"},
      {u"2024.03.05 10.30", "2024-03-05 10:30"}, {u"2024-03-05 13:00 AM", "2024-03-05 13:00"},
      {u"3 am 1 2", "0000-01-02 03:00"},         {u"14:07 March 5, 2024", "2024-03-05 14:07"}};
  for (const auto& readings : {std::span<const Reading>(dates), std::span<const Reading>(edges),
                               std::span<const Reading>(dateTimes), std::span<const Reading>(blanks),
                               std::span<const Reading>(times), std::span<const Reading>(timesBesideDates)}) {
    for (const auto& [text, want] : readings) {
      SCOPED_TRACE(Utf8(text));
      // A time alone is on 30 December 1899, day 0.
      int y = 1899, mo = 12, d = 30, h = 0, mi = 0, s = 0, ms = 0;
      const bool date = std::strchr(want, '-') != nullptr;
      const int n = date ? std::sscanf(want, "%d-%d-%d %d:%d:%d.%d", &y, &mo, &d, &h, &mi, &s, &ms)
                         : std::sscanf(want, "%d:%d:%d", &h, &mi, &s);
      ASSERT_GE(n, date ? 3 : 2);
      DATE got = -12345.0;
      ASSERT_EQ(VarDateFromStr(text, LANG_USER_DEFAULT, 0, &got), S_OK);
      EXPECT_EQ(got, Make(y == 0 ? year : y, mo, d, h, mi, s, ms));
    }
  }
}

TEST(VarDateFromStr, TellsNotADateFromOutOfRange) {
  const std::pair<HRESULT, std::vector<const char16_t*>> cases[] = {
      {DISP_E_TYPEMISMATCH,
       {u"", u"abc", u"2024", u"2024-02-30", u"2024-13-01", u"13/5/2024", u"2024-03-05 25:00", u"2024-03-05 24:00 PM",
        u"2024-03-05 100 PM", u"2024-03/05", u"2024-03-05-", u"2 30 2024", u"13 13", u"5 3 2024 6",
        // Day.month.year with dots, and the ISO form with a fraction of a second.
        u"5.3.2024", u"2024-03-05T14:07:09.5",
        // Dotted times out of range or too long.
        u"24.00", u"10.30.60", u"1.2.3.4", u"2024-03-05 10.30 x", u"Smarch 5, 2024", u"2024-03-05 14:07 2024-03-05",
        u"2024-03-05\u00e9"}},
      {DISP_E_OVERFLOW,
       {u"10000-01-01", u"0099-12-31 23:59:59", u"12/31/99999", u"1 1 099"}}};  // three digits: the year 99
  for (const auto& [want, texts] : cases) {
    for (const char16_t* text : texts) {
      SCOPED_TRACE(Utf8(text));
      DATE got = 77.0;
      EXPECT_EQ(VarDateFromStr(text, LANG_USER_DEFAULT, 0, &got), want);
      EXPECT_EQ(got, 77.0);  // untouched on failure
    }
  }
}

}  // namespace
