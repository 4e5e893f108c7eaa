// An identity module with GetCPUID but without GetHardDriveComputerID.
#include <Utility/Platform/String.h>

#if defined(__clang__)
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif

extern "C" __attribute__((visibility("default"))) CString GetCPUID() { return CString(u"FAKE-CPU-0001"); }
