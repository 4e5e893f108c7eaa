// The date parser behind VarDateFromStr: ISO 8601's "YYYY-MM-DD HH:MM:SS" and the
// date and time forms that Windows reads for an English (United States) user. The text is cut
// into numbers, words and separators; the time is taken from one end, the date from the rest.
// docs/variant.md lists the order in which ambiguous texts are resolved.
#include <Utility/Platform/Date.h>
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Unicode.h>

#include <cstring>

#include "DateCalendar.h"

namespace utility::platform::date {
namespace {

enum class Kind : unsigned char { Number, Word, Separator };

struct Token {
  Kind kind;
  char separator;   // '/', '-', '.', ':' for separators
  int digits;       // digit count of a number
  long long value;  // a number's value, saturated far above any valid field
  char word[12];    // a word in lower case, cut to fit
  bool gapBefore;   // white space (or a comma) came before the token
};

constexpr int kMaxTokens = 40;
constexpr long long kSaturated = 1000000000LL;

struct Tokens {
  Token items[kMaxTokens];
  int count = 0;
};

bool IsAsciiLetter(WCHAR c) noexcept { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(WCHAR c) noexcept { return c >= u'0' && c <= u'9'; }

bool Tokenize(const WCHAR* text, Tokens& out) noexcept {
  bool gap = false;
  for (std::size_t i = 0; text[i] != 0;) {
    const WCHAR c = text[i];
    if (utility::platform::IsWhiteSpace(c) || c == u',') {
      gap = true;
      ++i;
      continue;
    }
    if (out.count == kMaxTokens) return false;
    Token& t = out.items[out.count++];
    t = Token{Kind::Separator, 0, 0, 0, {}, gap};
    gap = false;
    if (IsDigit(c)) {
      t.kind = Kind::Number;
      for (; IsDigit(text[i]); ++i) {
        ++t.digits;
        t.value = t.value >= kSaturated ? kSaturated : t.value * 10 + (text[i] - u'0');
      }
    } else if (IsAsciiLetter(c)) {
      t.kind = Kind::Word;
      std::size_t n = 0;
      for (; IsAsciiLetter(text[i]); ++i) {
        if (n + 1 < sizeof t.word)
          t.word[n++] = static_cast<char>(text[i] | 0x20);
        else
          t.word[0] = '?';  // longer than any word we know: make it match nothing
      }
      // An abbreviation's full stop ("Mar.", "a.m.") belongs to the word.
      if (text[i] == u'.') ++i;
    } else if (c == u'/' || c == u'-' || c == u'.' || c == u':') {
      t.separator = static_cast<char>(c);
      ++i;
    } else {
      return false;
    }
  }
  // "a.m." arrives as the words "a" and "m": join them.
  int kept = 0;
  for (int i = 0; i < out.count; ++i) {
    Token& t = out.items[i];
    if (t.kind == Kind::Word && (std::strcmp(t.word, "a") == 0 || std::strcmp(t.word, "p") == 0) && i + 1 < out.count &&
        out.items[i + 1].kind == Kind::Word && std::strcmp(out.items[i + 1].word, "m") == 0 &&
        !out.items[i + 1].gapBefore) {
      t.word[1] = 'm';
      t.word[2] = 0;
      out.items[kept++] = t;
      ++i;
      continue;
    }
    out.items[kept++] = t;
  }
  out.count = kept;
  return true;
}

bool IsWord(const Token& t, const char* word) noexcept {
  return t.kind == Kind::Word && std::strcmp(t.word, word) == 0;
}

// 0 for "am", 12 for "pm", -1 for anything else.
int Meridiem(const Token& t) noexcept {
  if (IsWord(t, "am") || IsWord(t, "a")) return 0;
  if (IsWord(t, "pm") || IsWord(t, "p")) return 12;
  return -1;
}

int MonthOf(const Token& t) noexcept {
  static constexpr const char* kNames[12] = {"january", "february", "march",     "april",   "may",      "june",
                                             "july",    "august",   "september", "october", "november", "december"};
  if (t.kind != Kind::Word) return 0;
  const std::size_t n = std::strlen(t.word);
  for (int m = 0; m < 12; ++m) {
    if (std::strcmp(t.word, kNames[m]) == 0 || (n == 3 && std::strncmp(t.word, kNames[m], 3) == 0)) return m + 1;
  }
  return std::strcmp(t.word, "sept") == 0 ? 9 : 0;
}

bool IsDayName(const Token& t) noexcept {
  static constexpr const char* kNames[] = {"sunday",   "monday", "tuesday", "wednesday", "thursday", "friday",
                                           "saturday", "sun",    "mon",     "tue",       "tues",     "wed",
                                           "thu",      "thur",   "thurs",   "fri",       "sat"};
  if (t.kind != Kind::Word) return false;
  for (const char* name : kNames) {
    if (std::strcmp(t.word, name) == 0) return true;
  }
  return false;
}

struct Time {
  long long milliseconds = 0;
  bool fraction = false;  // seconds with a decimal fraction
};

bool IsSeparator(const Token& t, char c) noexcept { return t.kind == Kind::Separator && t.separator == c; }

// Numbers joined by dots, "h.m" or "h.m.s", starting at tokens[first]: the count of numbers
// (2 or 3) when the whole chain is such a time, else 0. A chain with a longer number
// ("2024.03.05") or more than three numbers is no time, and neither is its tail.
int DottedTime(const Tokens& tokens, int first) noexcept {
  if (first > 0 && IsSeparator(tokens.items[first - 1], '.')) return 0;
  int numbers = 0;
  for (int i = first;; i += 2) {
    const Token& t = tokens.items[i];
    if (t.kind != Kind::Number || t.digits > 2) return 0;
    ++numbers;
    if (i + 1 >= tokens.count || !IsSeparator(tokens.items[i + 1], '.')) break;
    if (i + 2 >= tokens.count) return 0;  // a trailing dot
  }
  return numbers == 2 || numbers == 3 ? numbers : 0;
}

// Reads a time at tokens[first..]: H:MM[:SS[.fff]], H.MM[.SS] or H, each with an optional am or
// pm (a or p). Returns the number of tokens used, 0 when there is no time there, -1 when there
// is one but it is impossible.
int ReadTime(const Tokens& tokens, int first, Time& time) noexcept {
  const Token* t = tokens.items + first;
  const int left = tokens.count - first;
  if (left < 1 || t[0].kind != Kind::Number) return 0;
  long long hour = t[0].value;
  long long minute = 0;
  long long second = 0;
  long long millisecond = 0;
  int used = 1;
  if (const int dotted = left >= 3 && IsSeparator(t[1], '.') ? DottedTime(tokens, first) : 0; dotted > 0) {
    minute = t[2].value;
    if (dotted == 3) second = t[4].value;
    used = dotted * 2 - 1;
  } else if (left >= 3 && IsSeparator(t[1], ':') && t[2].kind == Kind::Number) {
    minute = t[2].value;
    used = 3;
    if (left >= 5 && IsSeparator(t[3], ':') && t[4].kind == Kind::Number) {
      second = t[4].value;
      used = 5;
      if (left >= 7 && IsSeparator(t[5], '.') && t[6].kind == Kind::Number) {
        // The fraction of a second, kept to the millisecond (further digits are dropped).
        const Token& f = t[6];
        if (f.digits > 9) return -1;
        long long scale = 1;
        for (int i = 0; i < f.digits; ++i) scale *= 10;
        millisecond = f.value * 1000 / scale;
        time.fraction = true;
        used = 7;
      }
    }
    if (t[0].digits > 2 || t[2].digits > 2 || (used >= 5 && t[4].digits > 2)) return -1;
  }
  int meridiem = -1;
  if (left > used) meridiem = Meridiem(t[used]);
  if (meridiem >= 0) {
    // 12 am is midnight and 12 pm noon; hour 0 reads as 12. An hour of the 24-hour clock
    // (13 to 23) keeps its value whatever the designator says.
    if (t[0].digits > 2) return -1;
    if (hour <= 12) hour = hour % 12 + meridiem;
    ++used;
  } else if (used == 1) {
    return 0;  // a lone number is no time
  }
  if (hour > 23 || minute > 59 || second > 59) return -1;
  time.milliseconds = ((hour * 60 + minute) * 60 + second) * 1000 + millisecond;
  return used;
}

// Two-digit years fall in 1950 to 2049; a year of three or more digits is the year written.
long long FullYear(const Token& t) noexcept {
  if (t.digits <= 2) return t.value < 50 ? 2000 + t.value : 1900 + t.value;
  return t.value;
}

bool IsDayOf(const Token& t, long long year, long long month) noexcept {
  return t.digits <= 2 && month >= 1 && month <= 12 && t.value >= 1 &&
         t.value <= DaysInMonth(year, static_cast<int>(month));
}

// The items of a date (numbers and month names, day names skipped) and what joins them.
struct DateItems {
  const Token* items[4];
  int count = 0;
  char separator = 0;  // the one separator between items, or 0 for blanks
  char shape[5] = {};  // per item, 'N' for a number and 'M' for a month name
};

// A date's fields as read, before they are checked.
struct DateFields {
  long long year = 0;
  long long month = 0;
  long long dayOfMonth = 1;
};

// Collects the items of tokens[first, last): between two items either blanks or one separator,
// the same separator everywhere.
HRESULT CollectDateItems(const Tokens& tokens, int first, int last, DateItems& date) noexcept {
  const Token** items = date.items;
  int count = 0;
  char separator = 0;
  bool blankGap = false;
  bool expectItem = true;
  for (int i = first; i < last; ++i) {
    const Token& t = tokens.items[i];
    if (IsDayName(t)) continue;
    if (t.kind == Kind::Separator) {
      if (expectItem || t.separator == ':' || (separator != 0 && separator != t.separator)) return DISP_E_TYPEMISMATCH;
      separator = t.separator;
      expectItem = true;
      continue;
    }
    if (t.kind == Kind::Word && MonthOf(t) == 0) return DISP_E_TYPEMISMATCH;
    if (!expectItem) blankGap = true;
    if (count == 4) return DISP_E_TYPEMISMATCH;
    date.shape[count] = t.kind == Kind::Number ? 'N' : 'M';
    items[count++] = &t;
    expectItem = false;
  }
  if (count == 0 || (expectItem && separator != 0)) return DISP_E_TYPEMISMATCH;
  if (separator != 0 && blankGap) return DISP_E_TYPEMISMATCH;
  date.count = count;
  date.separator = separator;
  return S_OK;
}

// Dates of numbers only. False for a shape that is no date.
bool ReadNumericDate(const DateItems& date, DateFields& fields) noexcept {
  const Token* const* items = date.items;
  const char separator = date.separator;
  long long& year = fields.year;
  long long& month = fields.month;
  long long& dayOfMonth = fields.dayOfMonth;
  auto is = [&](const char* s) { return std::strcmp(date.shape, s) == 0; };
  if (is("NNN") && separator != 0) {
    // Numbers joined by dots are a time unless the year comes first: "5.3.2024" is refused.
    if (separator == '.' && items[0]->digits < 3) return false;
    if (items[0]->digits >= 3) {
      year = FullYear(*items[0]), month = items[1]->value, dayOfMonth = items[2]->value;
    } else {
      month = items[0]->value, dayOfMonth = items[1]->value, year = FullYear(*items[2]);
    }
  } else if (is("NN") && separator != 0) {
    if (items[0]->digits >= 3) {
      year = FullYear(*items[0]), month = items[1]->value;
    } else if (items[1]->digits >= 3) {
      month = items[0]->value, year = FullYear(*items[1]);
    } else {
      month = items[0]->value, dayOfMonth = items[1]->value, year = CurrentLocalYear();
    }
  } else if (is("NN")) {
    // Blanks between two numbers: month and day of this year. The one that can be a month is
    // the month (the first when both can); the other is the day when it can be one in that
    // month, else a year (the first of the month).
    const Token* monthToken = items[0]->value <= 12 && items[0]->digits <= 2 ? items[0] : items[1];
    const Token* other = monthToken == items[0] ? items[1] : items[0];
    month = monthToken->digits <= 2 ? monthToken->value : 0;
    year = CurrentLocalYear();
    if (IsDayOf(*other, year, month)) {
      dayOfMonth = other->value;
    } else {
      year = FullYear(*other);
    }
  } else if (is("NNN")) {
    // Blanks between three numbers: month, day, year; a first number that cannot be a month
    // makes it day, month, year, and one that cannot be a day either makes it year, month, day.
    if (items[0]->digits >= 3 || items[0]->value > 31) {
      year = FullYear(*items[0]), month = items[1]->value, dayOfMonth = items[2]->value;
    } else if (items[0]->value > 12) {
      dayOfMonth = items[0]->value, month = items[1]->value, year = FullYear(*items[2]);
    } else {
      month = items[0]->value, dayOfMonth = items[1]->value, year = FullYear(*items[2]);
    }
  } else {
    return false;
  }
  return true;
}

// Dates with a month name, before or after the day. False for a shape that is no date.
bool ReadNamedMonthDate(const DateItems& date, DateFields& fields) noexcept {
  const Token* const* items = date.items;
  long long& year = fields.year;
  long long& month = fields.month;
  long long& dayOfMonth = fields.dayOfMonth;
  auto is = [&](const char* s) { return std::strcmp(date.shape, s) == 0; };
  if (is("MN")) {
    month = MonthOf(*items[0]);
    if (items[1]->digits >= 3) {
      year = FullYear(*items[1]);
    } else {
      dayOfMonth = items[1]->value, year = CurrentLocalYear();
    }
  } else if (is("MNN")) {
    month = MonthOf(*items[0]), dayOfMonth = items[1]->value, year = FullYear(*items[2]);
  } else if (is("NM")) {
    dayOfMonth = items[0]->value, month = MonthOf(*items[1]), year = CurrentLocalYear();
  } else if (is("NMN")) {
    dayOfMonth = items[0]->value, month = MonthOf(*items[1]), year = FullYear(*items[2]);
  } else {
    return false;
  }
  return true;
}

// The date of tokens[first, last): returns S_OK with *day set, or a failure code.
HRESULT ReadDate(const Tokens& tokens, int first, int last, long long& day) noexcept {
  DateItems date;
  if (const HRESULT hr = CollectDateItems(tokens, first, last, date); FAILED(hr)) return hr;
  DateFields fields;
  if (!ReadNumericDate(date, fields) && !ReadNamedMonthDate(date, fields)) return DISP_E_TYPEMISMATCH;
  const long long year = fields.year;
  const long long month = fields.month;
  const long long dayOfMonth = fields.dayOfMonth;
  if (month < 1 || month > 12 || dayOfMonth < 1 || dayOfMonth > DaysInMonth(year, static_cast<int>(month))) {
    return DISP_E_TYPEMISMATCH;
  }
  if (year < 100 || year > 9999) return DISP_E_OVERFLOW;
  day = DayFromCivil(year, static_cast<int>(month), static_cast<int>(dayOfMonth));
  return S_OK;
}

// ISO 8601's date and time with a space between, "YYYY-MM-DD HH:MM:SS", read without tokens:
// it is the form that programs write most, so most read back. Anything else, or impossible
// fields, is left to the general reading.
bool ParseIsoDateTime(const WCHAR* text, DATE& result) noexcept {
  while (utility::platform::IsWhiteSpace(*text)) ++text;
  static constexpr char kShape[] = "dddd-dd-dd dd:dd:dd";
  int digits[14];
  int n = 0;
  // Unrolled, each unit's test is fixed: a digit or one separator. The units are read in order,
  // so a shorter text stops at its terminating zero, which passes neither test.
#pragma GCC unroll 19
  for (int i = 0; i < static_cast<int>(sizeof kShape) - 1; ++i) {
    const WCHAR c = text[i];
    if (kShape[i] == 'd') {
      if (!IsDigit(c)) return false;
      digits[n++] = c - u'0';
    } else if (c != static_cast<WCHAR>(kShape[i])) {
      return false;
    }
  }
  for (const WCHAR* rest = text + sizeof kShape - 1; *rest != 0; ++rest) {
    if (!utility::platform::IsWhiteSpace(*rest)) return false;
  }
  const int year = ((digits[0] * 10 + digits[1]) * 10 + digits[2]) * 10 + digits[3];
  const int month = digits[4] * 10 + digits[5];
  const int day = digits[6] * 10 + digits[7];
  const int hour = digits[8] * 10 + digits[9];
  const int minute = digits[10] * 10 + digits[11];
  const int second = digits[12] * 10 + digits[13];
  if (year < 100 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 ||
      second > 59) {
    return false;
  }
  result = MakeDate(DayFromCivil(year, month, day), ((hour * 60LL + minute) * 60 + second) * 1000);
  return true;
}

HRESULT Parse(const WCHAR* text, DATE& result) noexcept {
  if (ParseIsoDateTime(text, result)) return S_OK;
  Tokens tokens;
  if (!Tokenize(text, tokens) || tokens.count == 0) return DISP_E_TYPEMISMATCH;

  // The time is a block at one end of the text; a lone T may join it to the date.
  Time time;
  int timeFirst = -1;
  int timeUsed = 0;
  for (int i = 0; i < tokens.count; ++i) {
    const int used = ReadTime(tokens, i, time);
    if (used < 0) return DISP_E_TYPEMISMATCH;
    if (used > 0) {
      timeFirst = i;
      timeUsed = used;
      break;
    }
  }
  int dateFirst = 0;
  int dateLast = tokens.count;
  if (timeFirst >= 0) {
    const int timeLast = timeFirst + timeUsed;
    if (timeFirst == 0) {
      dateFirst = timeLast;
    } else if (timeLast == tokens.count) {
      dateLast = timeFirst;
      if (IsWord(tokens.items[dateLast - 1], "t")) {
        // The ISO form, date T time, carries whole seconds only.
        if (time.fraction) return DISP_E_TYPEMISMATCH;
        --dateLast;
      }
    } else {
      return DISP_E_TYPEMISMATCH;
    }
  }
  long long day = 0;
  if (dateFirst < dateLast) {
    const HRESULT hr = ReadDate(tokens, dateFirst, dateLast, day);
    if (hr != S_OK) return hr;
  } else if (timeFirst < 0) {
    return DISP_E_TYPEMISMATCH;
  }
  result = MakeDate(day, time.milliseconds);
  return S_OK;
}

}  // namespace
}  // namespace utility::platform::date

HRESULT VarDateFromStr(const OLECHAR* text, LCID /*lcid*/, ULONG /*flags*/, DATE* result) noexcept {
  if (result == nullptr) return E_POINTER;
  if (text == nullptr) return DISP_E_TYPEMISMATCH;
  return utility::platform::date::Parse(text, *result);
}

HRESULT VarDateFromStr(const char16_t* text, LCID lcid, ULONG flags, DATE* result) noexcept {
  return VarDateFromStr(reinterpret_cast<const OLECHAR*>(text), lcid, flags, result);
}
