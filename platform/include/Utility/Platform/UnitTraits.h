// Character traits for 16-bit units stored as `unsigned short`, so that strings of the
// exported wide type need no cast between distinct character types.
#pragma once

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <ios>

struct UnitTraits {
  using char_type = unsigned short;
  using int_type = unsigned int;
  using off_type = std::streamoff;
  using pos_type = std::streampos;
  using state_type = std::mbstate_t;

  static constexpr void assign(char_type& r, const char_type& a) noexcept { r = a; }
  static constexpr bool eq(char_type a, char_type b) noexcept { return a == b; }
  static constexpr bool lt(char_type a, char_type b) noexcept { return a < b; }
  static constexpr int compare(const char_type* a, const char_type* b, std::size_t n) noexcept {
    for (std::size_t i = 0; i < n; ++i) {
      if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
  }
  static constexpr std::size_t length(const char_type* s) noexcept {
    std::size_t n = 0;
    while (s[n] != 0) ++n;
    return n;
  }
  static constexpr const char_type* find(const char_type* s, std::size_t n, const char_type& a) noexcept {
    for (std::size_t i = 0; i < n; ++i) {
      if (s[i] == a) return s + i;
    }
    return nullptr;
  }
  static char_type* move(char_type* d, const char_type* s, std::size_t n) noexcept {
    if (n != 0) std::memmove(d, s, n * sizeof(char_type));
    return d;
  }
  static char_type* copy(char_type* d, const char_type* s, std::size_t n) noexcept {
    if (n != 0) std::memcpy(d, s, n * sizeof(char_type));
    return d;
  }
  static constexpr char_type* assign(char_type* d, std::size_t n, char_type a) noexcept {
    for (std::size_t i = 0; i < n; ++i) d[i] = a;
    return d;
  }
  static constexpr char_type to_char_type(int_type c) noexcept { return static_cast<char_type>(c); }
  static constexpr int_type to_int_type(char_type c) noexcept { return c; }
  static constexpr bool eq_int_type(int_type a, int_type b) noexcept { return a == b; }
  static constexpr int_type eof() noexcept { return static_cast<int_type>(-1); }
  static constexpr int_type not_eof(int_type c) noexcept { return c == eof() ? 0u : c; }
};
