// The network interfaces as the kernel lists them in /sys/class/net: an interface that sits on a
// device (a bus the kernel knows) is physical, as opposed to loopback, bridges, tunnels and
// other virtual interfaces.
#include <string>
#include <utility>
#include <vector>

#include "../Identifiers.h"
#include "../NetworkChoice.h"
#include "Sysfs.h"

namespace utility::diskid {

std::string FirstMacAddress() {
  const std::string root = "/sys/class/net/";
  std::vector<NetworkInterface> interfaces;
  for (const std::string& name : ListDirectory(root)) {
    const std::string dir = root + name;
    NetworkInterface candidate{name, Exists(dir + "/device"), {}};
    if (candidate.physical) ParseColonMac(ReadLine(dir + "/address"), candidate.address);
    interfaces.push_back(std::move(candidate));
  }
  return FirstPhysicalMac(std::move(interfaces));
}

}  // namespace utility::diskid
