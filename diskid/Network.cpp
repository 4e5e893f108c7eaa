// The MAC address of the first physical network interface: one that sits on a device (a bus
// the kernel knows), as opposed to loopback, bridges, tunnels and other virtual interfaces.
#include <cctype>
#include <string>

#include "Identifiers.h"
#include "Sysfs.h"

namespace utility::diskid {

std::string FirstMacAddress() {
  const std::string root = "/sys/class/net/";
  for (const std::string& name : ListDirectory(root)) {
    const std::string dir = root + name;
    if (!Exists(dir + "/device")) continue;
    const std::string address = ReadLine(dir + "/address");
    // Six hexadecimal pairs joined by ':'; an all-zero address names no hardware.
    if (address.size() != 17 || address == "00:00:00:00:00:00") continue;
    std::string text;
    bool valid = true;
    for (std::size_t i = 0; i < address.size() && valid; ++i) {
      const char c = address[i];
      if (i % 3 == 2) {
        valid = c == ':';
        text += '-';
      } else {
        valid = std::isxdigit(static_cast<unsigned char>(c)) != 0;
        text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      }
    }
    if (valid) return text;
  }
  return {};
}

}  // namespace utility::diskid
