// GUID text derived from a 32-bit identifier, shared by the library and the identity module so
// that both spell the same identifier the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace utility::identity {

// Writes the 36-character GUID text of id into text (at most size bytes, terminated). The
// eleven fields come from logical shifts of the 32-bit pattern; fields 6 and 10 are equal.
inline void FormatGuidByID(std::uint32_t id, char* text, std::size_t size) {
  const auto bits = [id](int left, int right, std::uint32_t keep) {
    const std::uint32_t shifted = left != 0 ? static_cast<std::uint32_t>(id << left) : id >> right;
    return static_cast<unsigned>(shifted & keep);
  };
  std::snprintf(text, size, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", bits(8, 0, 0xFFFFFFFFu),
                bits(4, 0, 0xFFFFu), bits(2, 0, 0xFFFFu), 0u, bits(4, 0, 0xFFu), bits(0, 2, 0xFFu), bits(1, 0, 0xFFu),
                bits(0, 8, 0xFFu), bits(0, 4, 0xFFu), bits(0, 2, 0xFFu), bits(0, 1, 0xFFu));
}

}  // namespace utility::identity
