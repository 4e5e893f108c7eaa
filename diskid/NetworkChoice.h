// Which network interface names the machine, whichever system listed them: the first physical
// one by name with a usable hardware address, and how that address is spelled.
#pragma once

#include <string>
#include <vector>

namespace utility::diskid {

// One network interface as the system lists it.
struct NetworkInterface {
  std::string name;                    // the system's own, fixed name of the interface
  bool physical = false;               // it sits on hardware: not loopback, a tunnel or a bridge
  std::vector<unsigned char> address;  // its hardware address, empty when it has none
};

// A hardware address as six upper-case hexadecimal pairs joined by "-"; empty unless it is
// six bytes long and not all zero (an all-zero address names no hardware).
//
//   MacText({0x02, 0xfc, 0, 0, 0, 1}) == "02-FC-00-00-00-01"
std::string MacText(const std::vector<unsigned char>& address);

// The bytes of a hardware address written as six hexadecimal pairs joined by ':', as the
// kernel publishes it ("02:fc:00:00:00:01"); false, leaving address empty, for any other text.
bool ParseColonMac(const std::string& text, std::vector<unsigned char>& address);

// The MacText of the first physical interface, in byte order of the names, whose address
// gives a MacText; empty when there is none.
std::string FirstPhysicalMac(std::vector<NetworkInterface> interfaces);

}  // namespace utility::diskid
