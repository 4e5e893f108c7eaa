// CString: the framework's string of UTF-16 code units, with the member names hosts know.
// Values, not references: copying a CString copies its text. Allocation failures raise
// CMemoryException. White space and case mapping are fixed Unicode tables, never the locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>
#include <Utility/Platform/UnitString.h>
#include <Utility/Platform/UnitTraits.h>

class CString;
using BSTR = OLECHAR*;

// One argument of CString::Format, captured with its type so that a conversion never reads
// an argument with a width other than the one it was given.
struct FormatArg {
  enum class Kind : unsigned char { Signed, Unsigned, Floating, WideText, NarrowText, Pointer };
  Kind kind;
  union {
    long long i;
    unsigned long long u;
    double d;
    const WCHAR* ws;
    const char* ns;
    const void* p;
  };
  std::size_t length = static_cast<std::size_t>(-1);  // units of ws, or -1 when terminated

  template <class T>
  requires(std::is_integral_v<T>&& std::is_signed_v<T>) FormatArg(T v)
  noexcept : kind(Kind::Signed), i(v) {}
  template <class T>
  requires(std::is_integral_v<T>&& std::is_unsigned_v<T>) FormatArg(T v)
  noexcept : kind(Kind::Unsigned), u(v) {}
  template <class T>
  requires std::is_enum_v<T> FormatArg(T v)
  noexcept : FormatArg(static_cast<std::underlying_type_t<T>>(v)) {}
  FormatArg(float v) noexcept : kind(Kind::Floating), d(static_cast<double>(v)) {}
  FormatArg(double v) noexcept : kind(Kind::Floating), d(v) {}
  FormatArg(const WCHAR* v) noexcept : kind(Kind::WideText), ws(v) {}
  FormatArg(WCHAR* v) noexcept : kind(Kind::WideText), ws(v) {}
  FormatArg(const char16_t* v) noexcept;
  FormatArg(const CString& v) noexcept;
  FormatArg(const char* v) noexcept : kind(Kind::NarrowText), ns(v) {}
  FormatArg(char* v) noexcept : kind(Kind::NarrowText), ns(v) {}
  FormatArg(const void* v) noexcept : kind(Kind::Pointer), p(v) {}
  FormatArg(std::nullptr_t) noexcept : kind(Kind::Pointer), p(nullptr) {}
};

// A read-only view of UTF-16 units that any text argument of CString converts to:
// `const char16_t*`, `const unsigned short*` (zero-terminated; null reads as empty) or CString.
class UTILITY_PLATFORM_API CStringRef {
 public:
  CStringRef(const WCHAR* s) noexcept;
  CStringRef(const char16_t* s) noexcept;
  CStringRef(const CString& s) noexcept;
  const WCHAR* data() const noexcept { return m_p; }
  std::size_t size() const noexcept { return m_n; }

 private:
  const WCHAR* m_p;
  std::size_t m_n;
};

class UTILITY_PLATFORM_API CString {
 public:
  using XCHAR = WCHAR;
  using Storage = UnitString;

  // Construction. A null pointer gives an empty string. The `const char*` form reads UTF-8.
  //
  // Example:
  //   CString a(u"name"), b("name"), c(a);   // a == b == c
  CString() noexcept;
  CString(const CString& other);
  CString(CString&& other) noexcept;
  CString(const WCHAR* s);
  CString(const char16_t* s);
  CString(const char* utf8);
  CString(const WCHAR* s, int length);  // exactly length units, embedded zeros kept
  CString(const char16_t* s, int length);
  CString(WCHAR ch, int repeat = 1);
  explicit CString(std::u16string_view s);
  ~CString();

  CString& operator=(const CString& other);
  CString& operator=(CString&& other) noexcept;
  CString& operator=(const WCHAR* s);
  CString& operator=(const char16_t* s);
  CString& operator=(const char* utf8);
  CString& operator=(WCHAR ch);

  // Length in UTF-16 units (embedded zero units count).
  int GetLength() const noexcept;
  bool IsEmpty() const noexcept;
  void Empty() noexcept;

  // Unit access; an index outside 0..GetLength()-1 reads 0 and writes nothing.
  WCHAR GetAt(int index) const noexcept;
  WCHAR operator[](int index) const noexcept;
  void SetAt(int index, WCHAR ch) noexcept;

  // The zero-terminated units. Valid until the string is next changed.
  operator const WCHAR*() const noexcept;
  const WCHAR* GetString() const noexcept;
  std::u16string_view View() const noexcept;

  // Appending.
  CString& operator+=(const CString& s);
  CString& operator+=(const WCHAR* s);
  CString& operator+=(const char16_t* s);
  CString& operator+=(WCHAR ch);
  CString& operator+=(char16_t ch);
  void Append(const WCHAR* s, int length);

  friend UTILITY_PLATFORM_API CString operator+(const CString& a, const CString& b);
  friend UTILITY_PLATFORM_API CString operator+(const CString& a, const char16_t* b);
  friend UTILITY_PLATFORM_API CString operator+(const char16_t* a, const CString& b);
  friend UTILITY_PLATFORM_API CString operator+(const CString& a, WCHAR b);

  // Comparison, unit by unit (ordinal).
  friend UTILITY_PLATFORM_API bool operator==(const CString& a, const CString& b) noexcept;
  friend UTILITY_PLATFORM_API bool operator==(const CString& a, const char16_t* b) noexcept;
  friend UTILITY_PLATFORM_API bool operator==(const CString& a, const WCHAR* b) noexcept;
  friend UTILITY_PLATFORM_API bool operator<(const CString& a, const CString& b) noexcept;

  // Compare()
  //
  // Ordinal comparison of the zero-terminated texts: negative, 0 or positive.
  // CompareNoCase() compares after the fixed simple upper-case mapping.
  //
  // Example:
  //   CString(u"abc").Compare(u"abd") < 0;   CString(u"ABC").CompareNoCase(u"abc") == 0
  int Compare(CStringRef other) const noexcept;
  int CompareNoCase(CStringRef other) const noexcept;

  // Find()
  //
  // Position of the first occurrence at or after start, or -1. ReverseFind gives the last
  // occurrence of a unit. FindOneOf gives the first unit that is in the set.
  //
  // Example:
  //   CString(u"a\\b\\c").ReverseFind(u'\\') == 3;   CString(u"abc").Find(u"bc") == 1
  int Find(WCHAR ch, int start = 0) const noexcept;
  int Find(CStringRef sub, int start = 0) const noexcept;
  int ReverseFind(WCHAR ch) const noexcept;
  int FindOneOf(CStringRef set) const noexcept;

  // Left(), Right(), Mid()
  //
  // Substrings; counts are clamped to the string, so a negative count gives an empty result
  // and a count past the end gives the rest.
  //
  // Example:
  //   CString(u"abcdef").Left(2) == u"ab";  .Right(2) == u"ef";  .Mid(1, 3) == u"bcd"
  CString Left(int count) const;
  CString Right(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString SpanIncluding(CStringRef set) const;
  CString SpanExcluding(CStringRef set) const;

  // MakeUpper(), MakeLower(), MakeReverse(): in place, returning the string.
  CString& MakeUpper() noexcept;
  CString& MakeLower() noexcept;
  CString& MakeReverse() noexcept;

  // TrimLeft(), TrimRight(), Trim()
  //
  // Without arguments remove the fixed Unicode White_Space set; with a unit or a set remove
  // those units instead.
  //
  // Example:
  //   CString s(u"  two words ");
  //   s.TrimLeft();            // s == u"two words "
  CString& TrimLeft() noexcept;
  CString& TrimLeft(WCHAR target) noexcept;
  CString& TrimLeft(CStringRef targets) noexcept;
  CString& TrimRight() noexcept;
  CString& TrimRight(WCHAR target) noexcept;
  CString& TrimRight(CStringRef targets) noexcept;
  CString& Trim() noexcept;

  // Replace()
  //
  // Replaces every non-overlapping occurrence, left to right, and returns how many there
  // were. An empty old text replaces nothing.
  //
  // Example:
  //   CString s(u"-1-"); s.Replace(u"-", u"");   // returns 2, s == u"1"
  int Replace(WCHAR oldCh, WCHAR newCh) noexcept;
  int Replace(CStringRef oldText, CStringRef newText);

  int Remove(WCHAR ch) noexcept;
  int Insert(int index, WCHAR ch);
  int Insert(int index, CStringRef text);
  int Delete(int index, int count = 1) noexcept;

  // Format()
  //
  // printf formatting on a UTF-16 format with the Windows data model: %d/%i/%u/%x/%X/%o take
  // 32 bits (also with `l`), %hd 16, %hhd 8, %lld/%I64d 64; %s and %ls are wide text, %hs and
  // %S narrow (UTF-8) text; %c a wide unit; %e/%f/%g/%a are formatted by the C library, so
  // numbers come out byte for byte as its printf writes them. Every argument is taken with the
  // type it was given; a missing argument or a text given for a number (or the reverse)
  // throws std::invalid_argument.
  //
  // Example:
  //   CString s; s.Format(u"%s\\%s", dir, name);   s.Format(u"%.2f", 2.5);   // "2.50"
  template <class... Args>
  void Format(CStringRef format, const Args&... args) {
    const FormatArg packed[] = {FormatArg(args)..., FormatArg(0)};
    FormatV(format, packed, sizeof...(Args));
  }
  template <class... Args>
  void AppendFormat(CStringRef format, const Args&... args) {
    const FormatArg packed[] = {FormatArg(args)..., FormatArg(0)};
    AppendFormatV(format, packed, sizeof...(Args));
  }
  void FormatV(CStringRef format, const FormatArg* args, std::size_t count);
  void AppendFormatV(CStringRef format, const FormatArg* args, std::size_t count);

  // AllocSysString()
  //
  // A new BSTR holding a copy of the text (embedded zeros included), released with
  // SysFreeString. Raises CMemoryException when it cannot be allocated.
  BSTR AllocSysString() const;

  // GetBuffer(), ReleaseBuffer()
  //
  // Direct access for calls that fill a buffer: GetBuffer(n) gives room for at least n units
  // plus a terminator (the units past the text are zero); GetBufferSetLength(n) makes the
  // length n, leaving the units past the old length for the caller to write; ReleaseBuffer(-1)
  // then takes the length up to the first zero unit, or ReleaseBuffer(n) sets it to n.
  //
  // Example:
  //   WCHAR* p = s.GetBuffer(MAX_PATH); GetModuleFileNameW(nullptr, p, MAX_PATH); s.ReleaseBuffer();
  WCHAR* GetBuffer(int minLength);
  WCHAR* GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1) noexcept;

  // The text as UTF-8 (lone surrogates become U+FFFD), and back.
  std::string ToUtf8() const;
  static CString FromUtf8(std::string_view utf8);

  // FromLatin1()
  //
  // Each byte becomes the unit of the same value (ISO 8859-1), every unit written once. For
  // ASCII text this is FromUtf8's result without decoding, which makes it the fast path of
  // conversions that have checked their text is ASCII.
  //
  // Example:
  //   CString::FromLatin1("caf\xE9") == CString(u"caf\u00E9")
  static CString FromLatin1(std::string_view bytes);

 private:
  Storage m_s;
};

UTILITY_PLATFORM_API bool operator==(const CString& a, const CString& b) noexcept;
UTILITY_PLATFORM_API bool operator==(const CString& a, const char16_t* b) noexcept;
UTILITY_PLATFORM_API bool operator==(const CString& a, const WCHAR* b) noexcept;

inline FormatArg::FormatArg(const char16_t* v) noexcept : kind(Kind::WideText), ws(reinterpret_cast<const WCHAR*>(v)) {}
inline FormatArg::FormatArg(const CString& v) noexcept
    : kind(Kind::WideText), ws(v.GetString()), length(static_cast<std::size_t>(v.GetLength())) {}
