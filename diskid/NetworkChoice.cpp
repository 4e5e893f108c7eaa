// The choice of the interface that names the machine (NetworkChoice.h).
#include "NetworkChoice.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <utility>

namespace utility::diskid {

std::string MacText(const std::vector<unsigned char>& address) {
  if (address.size() != 6 || std::all_of(address.begin(), address.end(), [](unsigned char b) { return b == 0; })) {
    return {};
  }
  char text[18];
  std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", address[0], address[1], address[2], address[3],
                address[4], address[5]);
  return text;
}

bool ParseColonMac(const std::string& text, std::vector<unsigned char>& address) {
  address.clear();
  if (text.size() != 17) return false;
  const auto digit = [](char c) {
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower <= '9' ? lower - '0' : lower - 'a' + 10;
  };
  std::vector<unsigned char> bytes;
  for (std::size_t i = 0; i < text.size(); i += 3) {
    const char high = text[i], low = text[i + 1];
    if (std::isxdigit(static_cast<unsigned char>(high)) == 0 || std::isxdigit(static_cast<unsigned char>(low)) == 0)
      return false;
    if (i + 2 < text.size() && text[i + 2] != ':') return false;
    bytes.push_back(static_cast<unsigned char>(digit(high) * 16 + digit(low)));
  }
  address = std::move(bytes);
  return true;
}

std::string FirstPhysicalMac(std::vector<NetworkInterface> interfaces) {
  std::stable_sort(interfaces.begin(), interfaces.end(),
                   [](const NetworkInterface& a, const NetworkInterface& b) { return a.name < b.name; });
  for (const NetworkInterface& candidate : interfaces) {
    if (!candidate.physical) continue;
    std::string text = MacText(candidate.address);
    if (!text.empty()) return text;
  }
  return {};
}

}  // namespace utility::diskid
