// IsValidIP and IsSameIp: IPv4 address text under the library's rule and under the classic
// BSD notation.
#include <cstdint>
#include <cstring>
#include <string>

#include <Utility/Utility.h>

#include "Ipv4Text.h"

namespace {

// The longest address text read, in bytes: what the fixed buffers of the original hold.
constexpr int kMaxAddressBytes = 1023;

// The value of an address text: its UTF-8 bytes up to the first zero unit, read as a BSD
// address. A text too long for the buffer is no address.
std::uint32_t AddressValue(const CString& text) {
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text.GetString(), -1, nullptr, 0, nullptr, nullptr);
  // An empty text (one byte: the terminator) is no address either.
  if (bytes <= 1 || bytes - 1 > kMaxAddressBytes) return utility::names::kNoAddress;
  std::string buffer(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.GetString(), -1, buffer.data(), bytes, nullptr, nullptr);
  buffer.resize(static_cast<std::size_t>(bytes - 1));
  return utility::names::ParseBsdAddress(buffer);
}

}  // namespace

int CUtility::IsValidIP(char* address) {
  if (address == nullptr) return 0;
  return utility::names::IsDottedQuad(std::string_view(address, std::strlen(address))) ? 1 : 0;
}

int CUtility::IsSameIp(CString firstAddress, CString secondAddress) {
  // The second text is read first, as the original does; the order shows nowhere else.
  const std::uint32_t second = AddressValue(secondAddress);
  const std::uint32_t first = AddressValue(firstAddress);
  return first == second ? 1 : 0;
}
