// An identity module without GetCPUID: its hard drive identifier is negative, to show that the
// GUID text is made from the 32-bit pattern.
#include <Utility/Platform/Types.h>

extern "C" __attribute__((visibility("default"))) LONG GetHardDriveComputerID() { return -2; }
extern "C" __attribute__((visibility("default"))) const char* GetMACaddress() { return "00-00-00-00-00-00"; }
