// CString::Format: printf on a UTF-16 format with the Windows data model.
// Each conversion is checked against the kind of argument it was given; numbers are written
// by the C library's snprintf from a narrow directive, so they match its printf byte for byte.
#include <Utility/Platform/String.h>

#include <Utility/Platform/Allocator.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Storage = CString::Storage;

// What a length modifier asks of an integer conversion.
enum class Size { Default, Char, Short, Long64, Pointer };

struct Directive {
  bool left = false, plus = false, space = false, alt = false, zero = false;
  int width = -1;      // -1: none
  int precision = -1;  // -1: none
  Size size = Size::Default;
  bool narrowText = false;  // h or S/C: the text or character is 8-bit
  bool wideText = false;    // l or w: the text or character is 16-bit
};

[[noreturn]] void Fail(const char* what) { throw std::invalid_argument(what); }

class Formatter {
 public:
  Formatter(const WCHAR* fmt, std::size_t n, const FormatArg* args, std::size_t count)
      : m_fmt(fmt), m_end(fmt + n), m_args(args), m_count(count) {}

  void Run(Storage& out) {
    const WCHAR* p = m_fmt;
    while (p != m_end) {
      if (*p != u'%') {
        const WCHAR* q = p;
        while (q != m_end && *q != u'%') ++q;
        out.append(p, static_cast<std::size_t>(q - p));
        p = q;
        continue;
      }
      ++p;
      p = Conversion(p, out);
    }
  }

 private:
  const FormatArg& Next() {
    if (m_next >= m_count) Fail("CString::Format: missing argument");
    return m_args[m_next++];
  }

  // Digits of a width or precision; larger than INT_MAX is rejected as printf would fail.
  int Number(const WCHAR*& p) {
    long long v = 0;
    while (p != m_end && *p >= u'0' && *p <= u'9') {
      v = v * 10 + (*p - u'0');
      if (v > INT_MAX) Fail("CString::Format: width or precision too large");
      ++p;
    }
    return static_cast<int>(v);
  }

  int StarArgument() {
    const FormatArg& a = Next();
    if (a.kind == FormatArg::Kind::Signed) return static_cast<int>(static_cast<std::int32_t>(a.i));
    if (a.kind == FormatArg::Kind::Unsigned) return static_cast<int>(static_cast<std::int32_t>(a.u));
    Fail("CString::Format: '*' needs an integer argument");
  }

  const WCHAR* Conversion(const WCHAR* p, Storage& out) {
    Directive s;
    p = Flags(p, s);
    p = WidthAndPrecision(p, s);
    p = Modifier(p, s);
    if (p == m_end) Fail("CString::Format: incomplete conversion at the end of the format");
    const WCHAR conv = *p++;
    Convert(conv, s, out);
    return p;
  }

  const WCHAR* Flags(const WCHAR* p, Directive& s) {
    for (; p != m_end; ++p) {
      if (*p == u'-')
        s.left = true;
      else if (*p == u'+')
        s.plus = true;
      else if (*p == u' ')
        s.space = true;
      else if (*p == u'#')
        s.alt = true;
      else if (*p == u'0')
        s.zero = true;
      else
        break;
    }
    return p;
  }

  const WCHAR* WidthAndPrecision(const WCHAR* p, Directive& s) {
    if (p != m_end && *p == u'*') {
      ++p;
      const int w = StarArgument();
      // A negative width from an argument means left alignment, as in C.
      if (w < 0) {
        s.left = true;
        s.width = w == INT_MIN ? INT_MAX : -w;
      } else {
        s.width = w;
      }
    } else if (p != m_end && *p >= u'1' && *p <= u'9') {
      s.width = Number(p);
    }
    if (p != m_end && *p == u'.') {
      ++p;
      if (p != m_end && *p == u'*') {
        ++p;
        const int prec = StarArgument();
        s.precision = prec < 0 ? -1 : prec;  // negative: as if none was given
      } else {
        s.precision = Number(p);
      }
    }
    return p;
  }

  void Convert(WCHAR conv, const Directive& s, Storage& out) {
    switch (conv) {
      case u'%':
        out.push_back(u'%');
        break;
      case u'd':
      case u'i':
        Integer(s, static_cast<char>(conv), true, out);
        break;
      case u'u':
      case u'o':
      case u'x':
      case u'X':
        Integer(s, static_cast<char>(conv), false, out);
        break;
      case u'e':
      case u'E':
      case u'f':
      case u'F':
      case u'g':
      case u'G':
      case u'a':
      case u'A':
        Floating(s, static_cast<char>(conv), out);
        break;
      case u'c':
        Character(s, s.narrowText, out);
        break;
      case u'C':
        Character(s, !s.wideText, out);
        break;
      case u's':
        Text(s, out);
        break;
      case u'S':
        Text(s, out);
        break;
      case u'p':
        Pointer(s, out);
        break;
      default:
        Fail("CString::Format: unknown conversion");
    }
  }

  const WCHAR* Modifier(const WCHAR* p, Directive& s) {
    auto at = [&](std::size_t k, char16_t c) { return static_cast<std::size_t>(m_end - p) > k && p[k] == c; };
    if (at(0, u'h')) {
      s.narrowText = true;
      if (at(1, u'h')) {
        s.size = Size::Char;
        return p + 2;
      }
      s.size = Size::Short;
      return p + 1;
    }
    if (at(0, u'l')) {
      if (at(1, u'l')) {
        s.size = Size::Long64;
        return p + 2;
      }
      s.wideText = true;  // `long` is 32 bits: only the text width changes
      return p + 1;
    }
    if (at(0, u'w')) {
      s.wideText = true;
      return p + 1;
    }
    if (at(0, u'I')) {
      if (at(1, u'6') && at(2, u'4')) {
        s.size = Size::Long64;
        return p + 3;
      }
      if (at(1, u'3') && at(2, u'2')) return p + 3;
      s.size = Size::Pointer;
      return p + 1;
    }
    if (at(0, u'L') || at(0, u'j')) {
      s.size = Size::Long64;
      return p + 1;
    }
    if (at(0, u'z') || at(0, u't')) {
      s.size = Size::Pointer;
      return p + 1;
    }
    return p;
  }

  // The narrow printf directive for one number: flags, width, precision, then the tail. Built in
  // a fixed buffer (at most 1 + 5 + 10 + 1 + 10 + 3 + 1 bytes), so no allocation per number.
  struct NarrowFormat {
    char text[40];
  };

  static char* PutInt(char* o, int v) {
    char digits[12];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + v % 10);
      v /= 10;
    } while (v != 0);
    while (n > 0) *o++ = digits[--n];
    return o;
  }

  static NarrowFormat NarrowDirective(const Directive& s, const char* tail) {
    NarrowFormat f;
    char* o = f.text;
    *o++ = '%';
    if (s.left) *o++ = '-';
    if (s.plus) *o++ = '+';
    if (s.space) *o++ = ' ';
    if (s.alt) *o++ = '#';
    if (s.zero) *o++ = '0';
    if (s.width >= 0) o = PutInt(o, s.width);
    if (s.precision >= 0) {
      *o++ = '.';
      o = PutInt(o, s.precision);
    }
    while (*tail != '\0') *o++ = *tail++;
    *o = '\0';
    return f;
  }

  template <class T>
  static void Print(const NarrowFormat& directive, T value, Storage& out) {
    char small[128];
    // The format is built here from checked parts, never taken from the caller as is.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int n = std::snprintf(small, sizeof small, directive.text, value);
    if (n < 0) Fail("CString::Format: the number cannot be formatted");
    if (static_cast<std::size_t>(n) < sizeof small) {
      for (int k = 0; k < n; ++k) out.push_back(static_cast<unsigned char>(small[k]));
      return;
    }
    std::vector<char, FrameworkAllocator<char>> big(static_cast<std::size_t>(n) + 1);
    n = std::snprintf(big.data(), big.size(), directive.text, value);
#pragma GCC diagnostic pop
    if (n < 0) Fail("CString::Format: the number cannot be formatted");
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k)
      out[at + static_cast<std::size_t>(k)] = static_cast<unsigned char>(big[static_cast<std::size_t>(k)]);
  }

  void Integer(const Directive& s, char conv, bool isSigned, Storage& out) {
    const FormatArg& a = Next();
    unsigned long long bits;
    if (a.kind == FormatArg::Kind::Signed)
      bits = static_cast<unsigned long long>(a.i);
    else if (a.kind == FormatArg::Kind::Unsigned)
      bits = a.u;
    else
      Fail("CString::Format: an integer conversion was given a non-integer argument");
    // Cut to the conversion's width, as the cast a C caller would have written.
    switch (s.size) {
      case Size::Char:
        bits = isSigned ? static_cast<unsigned long long>(static_cast<signed char>(bits))
                        : static_cast<unsigned char>(bits);
        break;
      case Size::Short:
        bits = isSigned ? static_cast<unsigned long long>(static_cast<std::int16_t>(bits))
                        : static_cast<std::uint16_t>(bits);
        break;
      case Size::Default:
        bits = isSigned ? static_cast<unsigned long long>(static_cast<std::int32_t>(bits))
                        : static_cast<std::uint32_t>(bits);
        break;
      case Size::Long64:
      case Size::Pointer:
        break;
    }
    const char tail[] = {'l', 'l', conv, '\0'};
    const NarrowFormat directive = NarrowDirective(s, tail);
    if (isSigned)
      Print(directive, static_cast<long long>(bits), out);
    else
      Print(directive, bits, out);
  }

  void Floating(const Directive& s, char conv, Storage& out) {
    const FormatArg& a = Next();
    double v;
    if (a.kind == FormatArg::Kind::Floating)
      v = a.d;
    else if (a.kind == FormatArg::Kind::Signed)
      v = static_cast<double>(a.i);
    else if (a.kind == FormatArg::Kind::Unsigned)
      v = static_cast<double>(a.u);
    else
      Fail("CString::Format: a floating conversion was given a non-number argument");
    const char tail[] = {conv, '\0'};
    Print(NarrowDirective(s, tail), v, out);
  }

  void Pointer(const Directive& s, Storage& out) {
    const FormatArg& a = Next();
    const void* v;
    if (a.kind == FormatArg::Kind::Pointer)
      v = a.p;
    else if (a.kind == FormatArg::Kind::WideText)
      v = a.ws;
    else if (a.kind == FormatArg::Kind::NarrowText)
      v = a.ns;
    else
      Fail("CString::Format: %p was given a number");
    Directive t = s;
    t.plus = t.space = t.alt = t.zero = false;
    t.precision = -1;
    Print(NarrowDirective(t, "p"), v, out);
  }

  // Text and characters: padded to the width with blanks, or with zeros under the 0 flag
  // (as the Windows run-time library does), counting UTF-16 units.
  static void Pad(const Directive& s, const WCHAR* text, std::size_t n, Storage& out) {
    const std::size_t width = s.width > 0 ? static_cast<std::size_t>(s.width) : 0;
    const std::size_t fill = width > n ? width - n : 0;
    if (!s.left) out.append(fill, s.zero ? u'0' : u' ');
    out.append(text, n);
    if (s.left) out.append(fill, u' ');
  }

  void Character(const Directive& s, bool narrow, Storage& out) {
    const FormatArg& a = Next();
    unsigned long long bits;
    if (a.kind == FormatArg::Kind::Signed)
      bits = static_cast<unsigned long long>(a.i);
    else if (a.kind == FormatArg::Kind::Unsigned)
      bits = a.u;
    else
      Fail("CString::Format: %c was given a non-integer argument");
    WCHAR unit;
    if (narrow) {
      // One byte of UTF-8: a lone byte above 0x7F is no character and reads as U+FFFD.
      const unsigned char b = static_cast<unsigned char>(bits);
      unit = b < 0x80 ? b : static_cast<WCHAR>(0xFFFD);
    } else {
      unit = static_cast<WCHAR>(bits);
    }
    Pad(s, &unit, 1, out);
  }

  // A text argument is printed by what it is, whatever the conversion's width letter says:
  // the argument's type is known, so a narrow text under %s is not misread.
  void Text(const Directive& s, Storage& out) {
    const FormatArg& a = Next();
    static const WCHAR kNull[] = {u'(', u'n', u'u', u'l', u'l', u')'};
    const WCHAR* text = nullptr;
    std::size_t n = 0;
    CString decoded;
    if (a.kind == FormatArg::Kind::WideText) {
      if (a.ws == nullptr) {
        text = kNull;
        n = 6;
      } else {
        text = a.ws;
        n = a.length != static_cast<std::size_t>(-1) ? a.length : UnitTraits::length(a.ws);
      }
    } else if (a.kind == FormatArg::Kind::NarrowText) {
      if (a.ns == nullptr) {
        text = kNull;
        n = 6;
      } else {
        decoded = CString::FromUtf8(a.ns);
        text = decoded.GetString();
        n = static_cast<std::size_t>(decoded.GetLength());
      }
    } else if (a.kind == FormatArg::Kind::Pointer && a.p == nullptr) {
      text = kNull;
      n = 6;
    } else {
      Fail("CString::Format: a text conversion was given a non-text argument");
    }
    if (s.precision >= 0 && static_cast<std::size_t>(s.precision) < n) n = static_cast<std::size_t>(s.precision);
    Pad(s, text, n, out);
  }

  const WCHAR* m_fmt;
  const WCHAR* m_end;
  const FormatArg* m_args;
  std::size_t m_count;
  std::size_t m_next = 0;
};

}  // namespace

void CString::FormatV(CStringRef format, const FormatArg* args, std::size_t count) {
  // Built aside first: an argument may be this very string.
  Storage out;
  Formatter(format.data(), format.size(), args, count).Run(out);
  m_s.swap(out);
}

void CString::AppendFormatV(CStringRef format, const FormatArg* args, std::size_t count) {
  Storage out;
  Formatter(format.data(), format.size(), args, count).Run(out);
  m_s.append(out);
}
