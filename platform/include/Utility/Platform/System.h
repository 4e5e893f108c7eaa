// System information: the processor count and the memory layout a host may ask about.
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

#define PROCESSOR_ARCHITECTURE_INTEL 0
#define PROCESSOR_ARCHITECTURE_ARM 5
#define PROCESSOR_ARCHITECTURE_AMD64 9
#define PROCESSOR_ARCHITECTURE_ARM64 12
#define PROCESSOR_ARCHITECTURE_UNKNOWN 0xFFFF

struct SYSTEM_INFO {
  __extension__ union {
    DWORD dwOemId;
    __extension__ struct {  // anonymous, as Win32 declares it
      WORD wProcessorArchitecture;
      WORD wReserved;
    };
  };
  DWORD dwPageSize;
  LPVOID lpMinimumApplicationAddress;
  LPVOID lpMaximumApplicationAddress;
  DWORD_PTR dwActiveProcessorMask;
  DWORD dwNumberOfProcessors;
  DWORD dwProcessorType;
  DWORD dwAllocationGranularity;
  WORD wProcessorLevel;
  WORD wProcessorRevision;
};

// GetSystemInfo()
//
// Fills info. dwNumberOfProcessors is the number of logical processors online in the
// machine (not only those this process may run on), at most the bits of a DWORD_PTR (64),
// as in one processor group of Win32; dwActiveProcessorMask has one bit per such processor,
// processors numbered from 0. A null info is ignored.
//
// Example:
//   SYSTEM_INFO si{}; GetSystemInfo(&si);   // si.dwNumberOfProcessors == 8 on 8 threads
UTILITY_PLATFORM_API void GetSystemInfo(SYSTEM_INFO* info) noexcept;
