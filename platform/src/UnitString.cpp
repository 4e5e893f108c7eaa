// UnitString: short texts inside the object, longer ones in a heap block that doubles as it
// grows. Every array ends in a zero unit past its length.
#include <Utility/Platform/UnitString.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

#include <Utility/Platform/Exception.h>

namespace {

// The most units a block may hold, its terminator included, in a byte count that fits.
constexpr std::size_t kMaxUnits = std::numeric_limits<std::ptrdiff_t>::max() / sizeof(WCHAR) - 1;

WCHAR* Allocate(std::size_t capacity) {
  if (capacity > kMaxUnits) utility::platform::ThrowMemoryException();
  void* p = std::malloc((capacity + 1) * sizeof(WCHAR));
  if (p == nullptr) utility::platform::ThrowMemoryException();
  return static_cast<WCHAR*>(p);
}

void Copy(WCHAR* to, const WCHAR* from, std::size_t n) noexcept {
  if (n != 0) std::memmove(to, from, n * sizeof(WCHAR));
}

std::size_t UnitsBefore(const WCHAR* s) noexcept {
  std::size_t n = 0;
  while (s[n] != 0) ++n;
  return n;
}

}  // namespace

void UnitString::CopyLong(const UnitString& other) {
  m_p = Allocate(other.m_size);
  m_capacity = other.m_size;
  std::memcpy(m_p, other.m_p, (other.m_size + 1) * sizeof(WCHAR));
}

void UnitString::Take(UnitString& other) noexcept {
  if (other.m_p == other.m_local) {
    std::memcpy(m_local, other.m_local, (other.m_size + 1) * sizeof(WCHAR));
    m_p = m_local;
  } else {
    m_p = other.m_p;
    m_capacity = other.m_capacity;
  }
  m_size = other.m_size;
  other.m_p = other.m_local;
  other.m_size = 0;
  other.m_local[0] = 0;
}

void UnitString::Release() noexcept { std::free(m_p); }

WCHAR* UnitString::Grow(size_type n, size_type keep) {
  const size_type have = capacity();
  if (n <= have) return m_p;
  // Doubling keeps a run of appends linear.
  const size_type wanted = have > kMaxUnits / 2 ? n : std::max(n, have * 2);
  WCHAR* block = Allocate(wanted);
  Copy(block, m_p, keep);
  if (m_p != m_local) Release();
  m_p = block;
  m_capacity = wanted;
  return m_p;
}

void UnitString::reserve(size_type n) {
  Grow(n, m_size);
  m_p[m_size] = 0;
}

void UnitString::resize(size_type n, WCHAR ch) {
  if (n > m_size) {
    Grow(n, m_size);
    std::fill(m_p + m_size, m_p + n, ch);
  }
  m_size = n;
  m_p[n] = 0;
}

WCHAR* UnitString::resize_for_overwrite(size_type n) {
  Grow(n, m_size < n ? m_size : n);
  m_size = n;
  m_p[n] = 0;
  return m_p;
}

void UnitString::clear() noexcept {
  m_size = 0;
  m_p[0] = 0;
}

void UnitString::push_back(WCHAR ch) {
  Grow(m_size + 1, m_size);
  m_p[m_size++] = ch;
  m_p[m_size] = 0;
}

void UnitString::swap(UnitString& other) noexcept {
  if (this == &other) return;
  UnitString held(static_cast<UnitString&&>(other));
  other = static_cast<UnitString&&>(*this);
  *this = static_cast<UnitString&&>(held);
}

UnitString& UnitString::assign(const WCHAR* s, size_type n) {
  if (n <= capacity()) {
    Copy(m_p, s, n);  // s may lie inside this string
  } else {
    // The source is read before the old block goes, since it may lie inside it.
    WCHAR* block = Allocate(n);
    Copy(block, s, n);
    if (m_p != m_local) Release();
    m_p = block;
    m_capacity = n;
  }
  m_size = n;
  m_p[n] = 0;
  return *this;
}

UnitString& UnitString::assign(const WCHAR* s) { return assign(s, UnitsBefore(s)); }

UnitString& UnitString::assign(size_type n, WCHAR ch) {
  Grow(n, 0);
  std::fill(m_p, m_p + n, ch);
  m_size = n;
  m_p[n] = 0;
  return *this;
}

UnitString& UnitString::assign(const UnitString& s, size_type pos, size_type n) {
  return assign(s.m_p + pos, std::min(n, s.m_size - pos));
}

UnitString& UnitString::append(const WCHAR* s, size_type n) {
  if (n == 0) return *this;
  if (m_size + n <= capacity()) {
    Copy(m_p + m_size, s, n);
  } else {
    // Into a new block first: s may lie inside the old one.
    const size_type have = capacity();
    const size_type wanted = have > kMaxUnits / 2 ? m_size + n : std::max(m_size + n, have * 2);
    WCHAR* block = Allocate(wanted);
    Copy(block, m_p, m_size);
    Copy(block + m_size, s, n);
    if (m_p != m_local) Release();
    m_p = block;
    m_capacity = wanted;
  }
  m_size += n;
  m_p[m_size] = 0;
  return *this;
}

UnitString& UnitString::append(const WCHAR* s) { return append(s, UnitsBefore(s)); }

UnitString& UnitString::append(size_type n, WCHAR ch) {
  Grow(m_size + n, m_size);
  std::fill(m_p + m_size, m_p + m_size + n, ch);
  m_size += n;
  m_p[m_size] = 0;
  return *this;
}

UnitString& UnitString::append(const UnitString& s, size_type pos, size_type n) {
  return append(s.m_p + pos, std::min(n, s.m_size - pos));
}

UnitString& UnitString::insert(size_type pos, const WCHAR* s, size_type n) {
  if (n == 0) return *this;
  // Built in a new string when s could be moved by the shift: simple and never wrong.
  UnitString result;
  result.reserve(m_size + n);
  result.append(m_p, pos).append(s, n).append(m_p + pos, m_size - pos);
  *this = static_cast<UnitString&&>(result);
  return *this;
}

UnitString& UnitString::insert(size_type pos, size_type n, WCHAR ch) {
  if (n == 0) return *this;
  Grow(m_size + n, m_size);
  Copy(m_p + pos + n, m_p + pos, m_size - pos);
  std::fill(m_p + pos, m_p + pos + n, ch);
  m_size += n;
  m_p[m_size] = 0;
  return *this;
}

UnitString& UnitString::erase(size_type pos, size_type n) {
  n = std::min(n, m_size - pos);
  Copy(m_p + pos, m_p + pos + n, m_size - pos - n);
  m_size -= n;
  m_p[m_size] = 0;
  return *this;
}

UnitString::iterator UnitString::erase(const_iterator first, const_iterator last) {
  const auto pos = static_cast<size_type>(first - m_p);
  erase(pos, static_cast<size_type>(last - first));
  return m_p + pos;
}

UnitString::size_type UnitString::find(WCHAR ch, size_type pos) const noexcept {
  for (size_type i = pos; i < m_size; ++i) {
    if (m_p[i] == ch) return i;
  }
  return npos;
}

UnitString::size_type UnitString::find(const WCHAR* s, size_type pos, size_type n) const noexcept {
  if (pos > m_size || n > m_size - pos) return npos;
  if (n == 0) return pos;
  const WCHAR* end = m_p + m_size;
  const WCHAR* at = std::search(static_cast<const WCHAR*>(m_p) + pos, end, s, s + n);
  return at == end ? npos : static_cast<size_type>(at - m_p);
}

UnitString::size_type UnitString::rfind(WCHAR ch, size_type pos) const noexcept {
  if (m_size == 0) return npos;
  for (size_type i = std::min(pos, m_size - 1) + 1; i-- > 0;) {
    if (m_p[i] == ch) return i;
  }
  return npos;
}

bool operator==(const UnitString& a, const UnitString& b) noexcept {
  return a.m_size == b.m_size && std::memcmp(a.m_p, b.m_p, a.m_size * sizeof(WCHAR)) == 0;
}

bool operator<(const UnitString& a, const UnitString& b) noexcept {
  return std::lexicographical_compare(a.m_p, a.m_p + a.m_size, b.m_p, b.m_p + b.m_size);
}
