// CString: UTF-16 text over a UnitString of 16-bit units. Positions and counts are
// clamped the framework's way, so no member reads or writes outside the text.
#include <Utility/Platform/Bstr.h>
#include <Utility/Platform/Exception.h>
#include <Utility/Platform/String.h>
#include <Utility/Platform/Unicode.h>

#include <algorithm>
#include <climits>

#include "CodePageBackend.h"

namespace {

std::size_t Clamp(int value, std::size_t limit) {
  if (value <= 0) return 0;
  return std::min(static_cast<std::size_t>(value), limit);
}

const WCHAR* Units(const char16_t* s) { return reinterpret_cast<const WCHAR*>(s); }

// Length up to the first zero unit of a text that may hold embedded zeros.
std::size_t TerminatedLength(const CString::Storage& s) {
  const std::size_t zero = s.find(WCHAR{0});
  return zero == CString::Storage::npos ? s.size() : zero;
}

bool InSet(WCHAR ch, CStringRef set) {
  return std::find(set.data(), set.data() + set.size(), ch) != set.data() + set.size();
}

// Decodes through the platform's one UTF-8 codec; each ill-formed sequence (maximal subpart)
// becomes U+FFFD. No byte gives more than one unit, so the text's size is room enough.
void AppendUtf8(CString::Storage& out, std::string_view in) {
  const std::size_t at = out.size();
  out.resize(at + in.size());
  const auto done = utility::platform::codepage::Utf8ToUtf16(reinterpret_cast<const unsigned char*>(in.data()),
                                                             in.size(), out.data() + at, in.size(), false);
  out.resize(at + done.count);
}

}  // namespace

CStringRef::CStringRef(const WCHAR* s) noexcept : m_p(s), m_n(s == nullptr ? 0 : UnitTraits::length(s)) {
  if (m_p == nullptr) m_p = reinterpret_cast<const WCHAR*>(u"");
}
CStringRef::CStringRef(const char16_t* s) noexcept : CStringRef(Units(s)) {}
CStringRef::CStringRef(const CString& s) noexcept : m_p(s.GetString()), m_n(static_cast<std::size_t>(s.GetLength())) {}

CString::CString() noexcept = default;
CString::CString(const CString& other) = default;
CString::CString(CString&& other) noexcept = default;
CString::CString(const WCHAR* s) {
  if (s != nullptr) m_s.assign(s);
}
CString::CString(const char16_t* s) : CString(Units(s)) {}
CString::CString(const char* utf8) {
  if (utf8 != nullptr) AppendUtf8(m_s, utf8);
}
CString::CString(const WCHAR* s, int length) {
  if (s != nullptr && length > 0) m_s.assign(s, static_cast<std::size_t>(length));
}
CString::CString(const char16_t* s, int length) : CString(Units(s), length) {}
CString::CString(WCHAR ch, int repeat) {
  if (repeat > 0) m_s.assign(static_cast<std::size_t>(repeat), ch);
}
CString::CString(std::u16string_view s)
    : CString(Units(s.data()), static_cast<int>(std::min<std::size_t>(s.size(), INT_MAX))) {}
CString::~CString() = default;

CString& CString::operator=(const CString& other) = default;
CString& CString::operator=(CString&& other) noexcept = default;
CString& CString::operator=(const WCHAR* s) {
  if (s == nullptr) {
    m_s.clear();
  } else {
    m_s.assign(s);  // safe even when s points into this string
  }
  return *this;
}
CString& CString::operator=(const char16_t* s) { return *this = Units(s); }
CString& CString::operator=(const char* utf8) { return *this = CString(utf8); }
CString& CString::operator=(WCHAR ch) {
  m_s.assign(1, ch);
  return *this;
}

int CString::GetLength() const noexcept { return static_cast<int>(m_s.size()); }
bool CString::IsEmpty() const noexcept { return m_s.empty(); }
void CString::Empty() noexcept { m_s.clear(); }

WCHAR CString::GetAt(int index) const noexcept {
  return index >= 0 && static_cast<std::size_t>(index) < m_s.size() ? m_s[static_cast<std::size_t>(index)] : WCHAR{0};
}
WCHAR CString::operator[](int index) const noexcept { return GetAt(index); }
void CString::SetAt(int index, WCHAR ch) noexcept {
  if (index >= 0 && static_cast<std::size_t>(index) < m_s.size()) m_s[static_cast<std::size_t>(index)] = ch;
}

CString::operator const WCHAR*() const noexcept { return m_s.c_str(); }
const WCHAR* CString::GetString() const noexcept { return m_s.c_str(); }
std::u16string_view CString::View() const noexcept {
  return {reinterpret_cast<const char16_t*>(m_s.data()), m_s.size()};
}

CString& CString::operator+=(const CString& s) {
  m_s.append(s.m_s);
  return *this;
}
CString& CString::operator+=(const WCHAR* s) {
  if (s != nullptr) m_s.append(s);
  return *this;
}
CString& CString::operator+=(const char16_t* s) { return *this += Units(s); }
CString& CString::operator+=(WCHAR ch) {
  m_s.push_back(ch);
  return *this;
}
CString& CString::operator+=(char16_t ch) { return *this += static_cast<WCHAR>(ch); }
void CString::Append(const WCHAR* s, int length) {
  if (s != nullptr && length > 0) m_s.append(s, static_cast<std::size_t>(length));
}

CString operator+(const CString& a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}
CString operator+(const CString& a, const char16_t* b) {
  CString r(a);
  r += b;
  return r;
}
CString operator+(const char16_t* a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}
CString operator+(const CString& a, WCHAR b) {
  CString r(a);
  r += b;
  return r;
}

bool operator==(const CString& a, const CString& b) noexcept { return a.m_s == b.m_s; }
bool operator==(const CString& a, const char16_t* b) noexcept { return a == Units(b); }
bool operator==(const CString& a, const WCHAR* b) noexcept {
  const CStringRef r(b);
  return a.m_s.size() == r.size() && UnitTraits::compare(a.m_s.data(), r.data(), r.size()) == 0;
}
bool operator<(const CString& a, const CString& b) noexcept { return a.m_s < b.m_s; }

int CString::Compare(CStringRef other) const noexcept {
  // Zero-terminated comparison, as the C library's wcscmp does it.
  const WCHAR* a = m_s.c_str();
  const WCHAR* b = other.data();
  for (;; ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
    if (*a == 0) return 0;
  }
}

int CString::CompareNoCase(CStringRef other) const noexcept {
  const WCHAR* a = m_s.c_str();
  const WCHAR* b = other.data();
  for (;; ++a, ++b) {
    const WCHAR x = utility::platform::ToUpperUnit(*a);
    const WCHAR y = utility::platform::ToUpperUnit(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

int CString::Find(WCHAR ch, int start) const noexcept {
  // Like the framework, searches the zero-terminated text only.
  const std::size_t end = TerminatedLength(m_s);
  if (start < 0 || static_cast<std::size_t>(start) >= m_s.size()) return -1;
  const std::size_t p = m_s.find(ch, static_cast<std::size_t>(start));
  return p == Storage::npos || p >= end ? -1 : static_cast<int>(p);
}

int CString::Find(CStringRef sub, int start) const noexcept {
  const std::size_t end = TerminatedLength(m_s);
  if (start < 0 || static_cast<std::size_t>(start) > m_s.size()) return -1;
  const std::size_t subEnd =
      static_cast<std::size_t>(std::find(sub.data(), sub.data() + sub.size(), WCHAR{0}) - sub.data());
  const std::size_t p = m_s.find(sub.data(), static_cast<std::size_t>(start), subEnd);
  return p == Storage::npos || p + subEnd > end ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(WCHAR ch) const noexcept {
  // Searches the zero-terminated text, as the framework does.
  const std::size_t p = m_s.rfind(ch, TerminatedLength(m_s));
  if (p == Storage::npos || p >= TerminatedLength(m_s)) return -1;
  return static_cast<int>(p);
}

int CString::FindOneOf(CStringRef set) const noexcept {
  const std::size_t end = TerminatedLength(m_s);
  for (std::size_t i = 0; i < end; ++i) {
    if (InSet(m_s[i], set)) return static_cast<int>(i);
  }
  return -1;
}

CString CString::Left(int count) const {
  CString r;
  r.m_s.assign(m_s, 0, Clamp(count, m_s.size()));
  return r;
}

CString CString::Right(int count) const {
  const std::size_t n = Clamp(count, m_s.size());
  CString r;
  r.m_s.assign(m_s, m_s.size() - n, n);
  return r;
}

CString CString::Mid(int first) const { return Mid(first, INT_MAX); }

CString CString::Mid(int first, int count) const {
  const std::size_t from = Clamp(first, m_s.size());
  CString r;
  r.m_s.assign(m_s, from, Clamp(count, m_s.size() - from));
  return r;
}

CString CString::SpanIncluding(CStringRef set) const {
  std::size_t n = 0;
  while (n < m_s.size() && m_s[n] != 0 && InSet(m_s[n], set)) ++n;
  return Left(static_cast<int>(n));
}

CString CString::SpanExcluding(CStringRef set) const {
  std::size_t n = 0;
  while (n < m_s.size() && m_s[n] != 0 && !InSet(m_s[n], set)) ++n;
  return Left(static_cast<int>(n));
}

CString& CString::MakeUpper() noexcept {
  for (WCHAR& c : m_s) c = utility::platform::ToUpperUnit(c);
  return *this;
}

CString& CString::MakeLower() noexcept {
  for (WCHAR& c : m_s) c = utility::platform::ToLowerUnit(c);
  return *this;
}

CString& CString::MakeReverse() noexcept {
  std::reverse(m_s.begin(), m_s.end());
  return *this;
}

CString& CString::TrimLeft() noexcept {
  std::size_t n = 0;
  while (n < m_s.size() && utility::platform::IsWhiteSpace(m_s[n])) ++n;
  if (n != 0) m_s.erase(0, n);
  return *this;
}

CString& CString::TrimLeft(WCHAR target) noexcept {
  std::size_t n = 0;
  while (n < m_s.size() && m_s[n] == target) ++n;
  m_s.erase(0, n);
  return *this;
}

CString& CString::TrimLeft(CStringRef targets) noexcept {
  std::size_t n = 0;
  while (n < m_s.size() && InSet(m_s[n], targets)) ++n;
  m_s.erase(0, n);
  return *this;
}

CString& CString::TrimRight() noexcept {
  std::size_t n = m_s.size();
  while (n > 0 && utility::platform::IsWhiteSpace(m_s[n - 1])) --n;
  if (n != m_s.size()) m_s.resize(n);
  return *this;
}

CString& CString::TrimRight(WCHAR target) noexcept {
  std::size_t n = m_s.size();
  while (n > 0 && m_s[n - 1] == target) --n;
  m_s.resize(n);
  return *this;
}

CString& CString::TrimRight(CStringRef targets) noexcept {
  std::size_t n = m_s.size();
  while (n > 0 && InSet(m_s[n - 1], targets)) --n;
  m_s.resize(n);
  return *this;
}

CString& CString::Trim() noexcept { return TrimRight().TrimLeft(); }

int CString::Replace(WCHAR oldCh, WCHAR newCh) noexcept {
  int count = 0;
  for (WCHAR& c : m_s) {
    if (c == oldCh) {
      c = newCh;
      ++count;
    }
  }
  return count;
}

int CString::Replace(CStringRef oldText, CStringRef newText) {
  if (oldText.size() == 0) return 0;
  // Build into a new buffer: one pass, linear in the text, and safe when either argument
  // views this string.
  Storage out;
  int count = 0;
  std::size_t from = 0;
  for (;;) {
    const std::size_t p = m_s.find(oldText.data(), from, oldText.size());
    if (p == Storage::npos) break;
    if (count == 0) out.reserve(m_s.size());
    out.append(m_s, from, p - from);
    out.append(newText.data(), newText.size());
    from = p + oldText.size();
    ++count;
  }
  if (count == 0) return 0;
  out.append(m_s, from, Storage::npos);
  m_s.swap(out);
  return count;
}

int CString::Remove(WCHAR ch) noexcept {
  const std::size_t before = m_s.size();
  m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
  return static_cast<int>(before - m_s.size());
}

int CString::Insert(int index, WCHAR ch) {
  m_s.insert(Clamp(index, m_s.size()), 1, ch);
  return GetLength();
}

int CString::Insert(int index, CStringRef text) {
  const Storage copy(text.data(), text.size());  // text may view this string
  m_s.insert(Clamp(index, m_s.size()), copy);
  return GetLength();
}

int CString::Delete(int index, int count) noexcept {
  const std::size_t from = Clamp(index, m_s.size());
  m_s.erase(from, Clamp(count, m_s.size() - from));
  return GetLength();
}

BSTR CString::AllocSysString() const {
  BSTR b = SysAllocStringLen(m_s.data(), static_cast<UINT>(m_s.size()));
  if (b == nullptr) utility::platform::ThrowMemoryException();
  return b;
}

WCHAR* CString::GetBuffer(int minLength) {
  const std::size_t n = minLength > 0 ? static_cast<std::size_t>(minLength) : 0;
  if (m_s.size() < n) {
    const std::size_t old = m_s.size();
    m_s.resize(n);
    std::fill(m_s.begin() + static_cast<std::ptrdiff_t>(old), m_s.end(), WCHAR{0});
  }
  return m_s.data();
}

WCHAR* CString::GetBufferSetLength(int length) {
  // The caller writes the units it asked for; filling them first would write a long buffer twice.
  return m_s.resize_for_overwrite(length > 0 ? static_cast<std::size_t>(length) : 0);
}

void CString::ReleaseBuffer(int newLength) noexcept {
  if (newLength < 0) {
    m_s.resize(TerminatedLength(m_s));
  } else if (static_cast<std::size_t>(newLength) <= m_s.size()) {
    m_s.resize(static_cast<std::size_t>(newLength));
  }
}

// Encodes through the same codec; a lone surrogate becomes U+FFFD. No unit gives more than
// three bytes.
std::string CString::ToUtf8() const {
  std::string out(m_s.size() * 3, '\0');
  const auto done = utility::platform::codepage::Utf16ToUtf8(m_s.data(), m_s.size(), out.data(), out.size(), false);
  out.resize(done.count);
  return out;
}

CString CString::FromUtf8(std::string_view utf8) {
  CString r;
  AppendUtf8(r.m_s, utf8);
  return r;
}
