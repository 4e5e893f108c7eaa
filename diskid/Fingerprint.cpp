// The 32-bit fingerprint of an identity text, the same on every system.
#include "Identifiers.h"

namespace utility::diskid {

std::uint32_t Fingerprint(const std::string& text) {
  std::uint32_t hash = 2166136261u;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return hash;
}

}  // namespace utility::diskid
