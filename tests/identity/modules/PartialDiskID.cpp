// An identity module without GetCPUID: its hard drive identifier is negative, to show that the
// GUID text is made from the 32-bit pattern.
#include <Utility/Platform/Types.h>
#include "support/ModuleExport.h"

TEST_MODULE_EXPORT LONG GetHardDriveComputerID() { return -2; }
TEST_MODULE_EXPORT const char* GetMACaddress() { return "00-00-00-00-00-00"; }
