// UnitString: the storage of CString. A growable, zero-terminated array of UTF-16 units that
// keeps up to 23 units inside the object itself, so that the short texts the library makes
// most (numbers, dates, names, type names) are copied and released without touching the heap.
// Longer texts live in a heap block that grows by doubling. Allocation failure raises
// CMemoryException, as every allocation of the framework does.
//
// The members are those of std::basic_string that CString needs, with the same meaning;
// a pointer argument may point into the string itself.
//
// Example:
//   UnitString s(reinterpret_cast<const WCHAR*>(u"2024-03-05"), 10);  // held inside the object
//   s.append(s.data(), 4);                                            // "2024-03-052024"
//   s.find(u'-') == 4;
#pragma once

#include <cstddef>
#include <cstring>

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

class UTILITY_PLATFORM_API UnitString {
 public:
  using value_type = WCHAR;
  using size_type = std::size_t;
  using iterator = WCHAR*;
  using const_iterator = const WCHAR*;
  static constexpr size_type npos = static_cast<size_type>(-1);
  // Units held inside the object, the terminating zero aside.
  static constexpr size_type kLocalUnits = 23;

  UnitString() noexcept : m_p(m_local), m_size(0) { m_local[0] = 0; }
  UnitString(const WCHAR* s, size_type n) : UnitString() { assign(s, n); }
  UnitString(size_type n, WCHAR ch) : UnitString() { assign(n, ch); }
  // Copies of short texts are a plain copy of the units: no call, no allocation.
  UnitString(const UnitString& other) : m_p(m_local), m_size(other.m_size) {
    if (other.m_size <= kLocalUnits)
      std::memcpy(m_local, other.m_p, (other.m_size + 1) * sizeof(WCHAR));
    else
      CopyLong(other);
  }
  UnitString(UnitString&& other) noexcept : m_p(m_local), m_size(0) { Take(other); }
  ~UnitString() {
    if (m_p != m_local) Release();
  }
  UnitString& operator=(const UnitString& other) {
    if (this != &other) assign(other.m_p, other.m_size);
    return *this;
  }
  UnitString& operator=(UnitString&& other) noexcept {
    if (this != &other) {
      if (m_p != m_local) Release();
      m_p = m_local;
      Take(other);
    }
    return *this;
  }

  size_type size() const noexcept { return m_size; }
  bool empty() const noexcept { return m_size == 0; }
  size_type capacity() const noexcept { return m_p == m_local ? kLocalUnits : m_capacity; }
  const WCHAR* data() const noexcept { return m_p; }
  WCHAR* data() noexcept { return m_p; }
  const WCHAR* c_str() const noexcept { return m_p; }
  WCHAR& operator[](size_type i) noexcept { return m_p[i]; }
  const WCHAR& operator[](size_type i) const noexcept { return m_p[i]; }
  iterator begin() noexcept { return m_p; }
  iterator end() noexcept { return m_p + m_size; }
  const_iterator begin() const noexcept { return m_p; }
  const_iterator end() const noexcept { return m_p + m_size; }

  // Room for at least n units without another allocation.
  void reserve(size_type n);
  // New units take the value ch.
  void resize(size_type n, WCHAR ch = 0);
  // The length becomes n; units past the old length are left for the caller to write.
  WCHAR* resize_for_overwrite(size_type n);
  void clear() noexcept;
  void push_back(WCHAR ch);
  void swap(UnitString& other) noexcept;

  UnitString& assign(const WCHAR* s, size_type n);
  UnitString& assign(const WCHAR* s);  // up to the first zero unit
  UnitString& assign(size_type n, WCHAR ch);
  UnitString& assign(const UnitString& s, size_type pos, size_type n);  // n is cut to fit
  UnitString& append(const WCHAR* s, size_type n);
  UnitString& append(const WCHAR* s);  // up to the first zero unit
  UnitString& append(size_type n, WCHAR ch);
  UnitString& append(const UnitString& s) { return append(s.m_p, s.m_size); }
  UnitString& append(const UnitString& s, size_type pos, size_type n);  // n is cut to fit
  UnitString& insert(size_type pos, const WCHAR* s, size_type n);       // pos <= size()
  UnitString& insert(size_type pos, size_type n, WCHAR ch);
  UnitString& insert(size_type pos, const UnitString& s) { return insert(pos, s.m_p, s.m_size); }
  UnitString& erase(size_type pos, size_type n = npos);  // n is cut to fit
  iterator erase(const_iterator first, const_iterator last);

  size_type find(WCHAR ch, size_type pos = 0) const noexcept;
  size_type find(const WCHAR* s, size_type pos, size_type n) const noexcept;
  size_type rfind(WCHAR ch, size_type pos = npos) const noexcept;

  // Unit by unit, as unsigned values; a prefix orders first.
  friend UTILITY_PLATFORM_API bool operator==(const UnitString& a, const UnitString& b) noexcept;
  friend UTILITY_PLATFORM_API bool operator<(const UnitString& a, const UnitString& b) noexcept;

 private:
  void CopyLong(const UnitString& other);
  void Take(UnitString& other) noexcept;  // this holds nothing of its own
  void Release() noexcept;
  // Makes room for n units, keeping the first keep units; returns the (possibly new) array.
  WCHAR* Grow(size_type n, size_type keep);

  WCHAR* m_p;  // m_local, or a heap block of m_capacity + 1 units
  size_type m_size;
  union {
    size_type m_capacity;
    WCHAR m_local[kLocalUnits + 1];
  };
};

UTILITY_PLATFORM_API bool operator==(const UnitString& a, const UnitString& b) noexcept;
UTILITY_PLATFORM_API bool operator<(const UnitString& a, const UnitString& b) noexcept;
