// Internal: the loader of the identity module DiskID.dll, which lies beside the host program.
// One object serves one query: it loads the module, resolves its exports and releases the
// module when it is destroyed, on every path out of the query.
#pragma once

#include <Utility/Platform/String.h>
#include <Utility/Platform/Types.h>

class CDiskIDDll {
 public:
  // The module's functions as the library calls them. GetMACaddress and CreateGuidByID are
  // only looked up, never called.
  using HardDriveIDFunction = LONG (*)();
  using MACAddressFunction = CString (*)();
  using GuidByIDFunction = const char* (*)(ULONG);
  using CPUIDFunction = CString (*)();

  CDiskIDDll() noexcept = default;
  CDiskIDDll(const CDiskIDDll&) = delete;
  CDiskIDDll& operator=(const CDiskIDDll&) = delete;
  virtual ~CDiskIDDll();

  // Releases any module held, then loads DiskID.dll from the host directory and looks up the
  // four exports; a missing module or export leaves the matching members null.
  void Load();

  // The module's processor identifier text, copied while the module is still loaded; empty
  // when the function is missing.
  CString GetCPUID() const;

  HardDriveIDFunction m_getHardDriveComputerID = nullptr;
  MACAddressFunction m_getMACaddress = nullptr;
  GuidByIDFunction m_createGuidByID = nullptr;
  CPUIDFunction m_getCPUID = nullptr;
  HMODULE m_module = nullptr;
};
