// The spelling rules of disk and file system identities (DiskText.h).
#include "DiskText.h"

#include <cctype>
#include <cstdio>

namespace utility::diskid {

bool Printable(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) return false;
  }
  return true;
}

std::string TrimmedSerial(std::string raw) {
  while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\0')) raw.pop_back();
  std::size_t first = 0;
  while (first < raw.size() && raw[first] == ' ') ++first;
  raw.erase(0, first);
  return Printable(raw) ? raw : std::string();
}

std::string VolumeSerialText(std::uint32_t serial) {
  if (serial == 0) return {};
  char text[16];
  std::snprintf(text, sizeof text, "%04X-%04X", static_cast<unsigned>(serial >> 16),
                static_cast<unsigned>(serial & 0xFFFFu));
  return text;
}

std::string VolumeGuidText(const std::string& volumeName) {
  const std::size_t open = volumeName.find('{');
  if (open == std::string::npos) return {};
  const std::size_t close = volumeName.find('}', open);
  if (close == std::string::npos || close - open - 1 != 36) return {};
  std::string guid = volumeName.substr(open + 1, 36);
  for (std::size_t i = 0; i < guid.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    const unsigned char c = static_cast<unsigned char>(guid[i]);
    if (dash ? c != '-' : std::isxdigit(c) == 0) return {};
    guid[i] = static_cast<char>(std::tolower(c));
  }
  return guid;
}

}  // namespace utility::diskid
