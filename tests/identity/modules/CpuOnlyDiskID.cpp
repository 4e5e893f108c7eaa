// An identity module with GetCPUID but without GetHardDriveComputerID.
#include <Utility/Platform/String.h>
#include "support/ModuleExport.h"

#if defined(__clang__)
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif

TEST_MODULE_EXPORT CString GetCPUID() { return CString(u"FAKE-CPU-0001"); }
