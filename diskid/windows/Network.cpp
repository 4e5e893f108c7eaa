// The network adapters as the IP helper lists them: an adapter is physical when the system
// marks its interface as a hardware one and it is neither loopback nor a tunnel. Adapters are
// told apart by their adapter names (a GUID per adapter, fixed for its life), as the names
// that users see can be changed at will.
// The IP helper's interface rows need the socket headers first, in this order.
#include <winsock2.h>

#include <ws2ipdef.h>

#include <windows.h>

#include <iphlpapi.h>

#include <string>
#include <utility>
#include <vector>

#include "../Identifiers.h"
#include "../NetworkChoice.h"

namespace utility::diskid {
namespace {

// The adapters' list, or an empty buffer; the list grows between two calls at times, so the
// size the first call asks for is tried a few times.
std::vector<unsigned char> AdapterList() {
  const ULONG flags = GAA_FLAG_SKIP_UNICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                      GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_SKIP_FRIENDLY_NAME;
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  for (int attempt = 0; attempt < 4; ++attempt) {
    buffer.assign(size, 0);
    const ULONG result =
        GetAdaptersAddresses(AF_UNSPEC, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    if (result == ERROR_SUCCESS) return buffer;
    if (result != ERROR_BUFFER_OVERFLOW) break;
  }
  return {};
}

// Whether the interface under an adapter sits on hardware (its driver says so), as opposed to
// the system's virtual adapters (filters, miniports of tunnels and virtual switches).
bool HardwareInterface(const IP_ADAPTER_ADDRESSES& adapter) {
  if (adapter.IfType == IF_TYPE_SOFTWARE_LOOPBACK || adapter.IfType == IF_TYPE_TUNNEL) return false;
  MIB_IF_ROW2 row{};
  row.InterfaceLuid = adapter.Luid;
  if (GetIfEntry2(&row) != NO_ERROR) return false;
  return row.InterfaceAndOperStatusFlags.HardwareInterface != 0;
}

}  // namespace

std::string FirstMacAddress() {
  std::vector<unsigned char> buffer = AdapterList();
  if (buffer.empty()) return {};
  std::vector<NetworkInterface> interfaces;
  for (const IP_ADAPTER_ADDRESSES* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data());
       adapter != nullptr; adapter = adapter->Next) {
    const char* name = adapter->AdapterName != nullptr ? adapter->AdapterName : "";
    NetworkInterface candidate{name, HardwareInterface(*adapter), {}};
    if (candidate.physical) {
      candidate.address.assign(adapter->PhysicalAddress, adapter->PhysicalAddress + adapter->PhysicalAddressLength);
    }
    interfaces.push_back(std::move(candidate));
  }
  return FirstPhysicalMac(std::move(interfaces));
}

}  // namespace utility::diskid
