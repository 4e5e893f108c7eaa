// The identity module's exports, under the exact names the library looks up. Every query reads
// the machine again; none may throw, crash or hang where a disk serial, a network interface or
// the system's records are missing: each then answers 0 or an empty text.
#include <Utility/Platform/Export.h>
#include <Utility/Platform/String.h>
#include <Utility/Platform/Types.h>

#include "Identifiers.h"

// Exported as a DLL exports on Windows, as a visible symbol elsewhere (Platform/Export.h).
#define DISKID_API extern "C" UTILITY_SYMBOL_EXPORT

#if defined(__clang__)
// The text queries return the framework's CString by value, as the library calls them.
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif

namespace {

// CreateGuidByID's text, as the library keeps its own: the next call overwrites it.
char g_guidText[utility::diskid::kGuidTextSize] = {};

CString FromAscii(const std::string& text) { return CString(text.c_str()); }

}  // namespace

// GetHardDriveComputerID()
//
// The 32-bit fingerprint of the root file system's disk serial number (or of the file
// system's UUID where no serial can be read); 0 when neither is available.
DISKID_API LONG GetHardDriveComputerID() {
  try {
    const std::string identity = utility::diskid::RootDiskIdentity();
    return identity.empty() ? 0 : static_cast<LONG>(utility::diskid::Fingerprint(identity));
  } catch (...) {
    return 0;
  }
}

// GetCPUID()
//
// The processor identifier as 16 hexadecimal digits; empty when it cannot be read.
DISKID_API CString GetCPUID() {
  try {
    return FromAscii(utility::diskid::ProcessorIdentity());
  } catch (...) {
    return CString();
  }
}

// GetMACaddress()
//
// The first physical network interface's MAC address, e.g. "02-FC-00-00-00-01"; empty when
// there is none.
DISKID_API CString GetMACaddress() {
  try {
    return FromAscii(utility::diskid::FirstMacAddress());
  } catch (...) {
    return CString();
  }
}

// CreateGuidByID()
//
// The GUID text of an identifier, spelled as the library spells it (a test holds the two
// together), in a buffer of this
// module that the next call overwrites.
DISKID_API const char* CreateGuidByID(ULONG id) {
  utility::diskid::WriteGuidText(id, g_guidText);
  return g_guidText;
}
